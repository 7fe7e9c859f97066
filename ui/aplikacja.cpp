#include "aplikacja.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QScreen>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>

#include <csignal>

#include "znakomat.xpm"

void przygotujAplikacje(QApplication& aplikacja)
{
    // A file size limit or a closed pipe must come back as an error the user sees, not
    // end the program with the output half written.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));

    // Qt's own texts (dialog buttons, file dialogs) in Polish, whatever the user's locale.
    auto* tlumaczenie = new QTranslator(&aplikacja);
    if (tlumaczenie->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(tlumaczenie);
    }

    // The layout is fixed in pixels; a fixed style and a face narrow enough for the
    // longest captions keep every text whole on any desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont czcionka(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                               QStringLiteral("DejaVu Sans")});
    czcionka.setPointSizeF(7.5);
    QApplication::setFont(czcionka);
    // Frame captions sit on the frame's top line, so the controls inside keep their place.
    aplikacja.setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
                       "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                       " left: 6px; padding: 0px 2px; }"));

    QApplication::setWindowIcon(ikonaZnakomatu());
    // On Wayland the compositor finds the menu entry (and its icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(ZNAKOMAT_ID));
}

QIcon ikonaZnakomatu()
{
    return QIcon(QPixmap(ikona_znakomat));
}

void wysrodkuj(QWidget& okno)
{
    const QScreen* ekran = okno.screen();
    if (ekran == nullptr) {
        return;
    }
    QRect ramka = okno.frameGeometry();
    ramka.moveCenter(ekran->availableGeometry().center());
    okno.move(ramka.topLeft());
}
