#include "ui/aplikacja.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>

#include <csignal>
#include <cstdio>

#include "ui/znakomat.xpm"

namespace okno {

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

    // Qt's file dialogs keep their last folder, history and view in the user's settings
    // and read them back on the next run. The program keeps no state between runs, so
    // Qt's settings go where no file can be made or found.
    for (const auto zasieg : {QSettings::UserScope, QSettings::SystemScope}) {
        QSettings::setPath(QSettings::NativeFormat, zasieg, QStringLiteral("/dev/null"));
    }

    QCoreApplication::setApplicationVersion(QStringLiteral(ZNAKOMAT_WERSJA));
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

std::optional<QString> plikZWierszaPolecen(const QStringList& argumenty)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Zamienia polskie litery tekstu między osiemnastoma standardami kodowania."));
    parser.addPositionalArgument(QStringLiteral("plik"),
                                 QStringLiteral("plik wejściowy; okno otwiera się wtedy w trybie konwersji "
                                                "pliku tekstowego"),
                                 QStringLiteral("[plik]"));
    // Qt's own help option has no Polish description.
    const QCommandLineOption pomoc({QStringLiteral("h"), QStringLiteral("help")},
                                   QStringLiteral("Wyświetla ten opis."));
    parser.addOption(pomoc);
    const QCommandLineOption wersja = parser.addVersionOption();
    if (!parser.parse(argumenty)) {
        std::fprintf(stderr, "znakomat: %s\n", qPrintable(parser.errorText()));
        return std::nullopt;
    }
    if (parser.isSet(pomoc)) {
        parser.showHelp(0);
    }
    if (parser.isSet(wersja)) {
        parser.showVersion();
    }
    const QStringList pliki = parser.positionalArguments();
    if (pliki.size() > 1) {
        std::fputs("znakomat: podaj najwyżej jeden plik wejściowy\n", stderr);
        return std::nullopt;
    }
    return pliki.value(0);
}

}  // namespace okno
