// Measures the window's two jobs as a user meets them: the time a conversion takes and
// the longest stretch in which the window could not repaint (a 10 ms timer that cannot
// fire is a frozen window). The box at the end is answered as the window tests answer it.
//
//   pomiar_okna plik WEJŚCIE WYJŚCIE ŹRÓDŁO CEL
//   pomiar_okna tekst MEGABAJTY ŹRÓDŁO CEL
//
// ŹRÓDŁO and CEL are names of standards, as in znakomat-cli -l.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <optional>

#include "engine/standardy.h"
#include "pliki/sygnaly.h"
#include "ui/aplikacja.h"
#include "ui/frmmain.h"
#include "ui/poletekstowe.h"
#include "ui/tests/gui_test.h"

using namespace ui;

namespace {

class Zamrozenia {
public:
    Zamrozenia()
    {
        zegar_.start();
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { najdluzsze_ = std::max(najdluzsze_, zegar_.restart()); });
        timer_.start(10);
    }
    qint64 najdluzszeMs() const { return najdluzsze_; }

private:
    QTimer timer_;
    QElapsedTimer zegar_;
    qint64 najdluzsze_ = 0;
};

void kliknij(frmMain& okno, const char* nazwa)
{
    okno.findChild<QPushButton*>(QString::fromLatin1(nazwa))->click();
}

}  // namespace

int main(int argc, char* argv[])
{
    pliki::PrzygotujSygnaly(pliki::ZamknietyPotok::JestBledem);
    QApplication aplikacja(argc, argv);
    przygotujAplikacje(aplikacja);
    const QStringList argumenty = QApplication::arguments();
    const bool plik = argumenty.value(1) == QLatin1String("plik");
    if (argumenty.size() != (plik ? 6 : 5)) {
        std::fputs("pomiar_okna plik WEJSCIE WYJSCIE ZRODLO CEL | pomiar_okna tekst MEGABAJTY ZRODLO CEL\n",
                   stderr);
        return 2;
    }
    const std::optional<int> zrodlo = engine::ZnajdzStandard(argumenty[argumenty.size() - 2].toStdString());
    const std::optional<int> cel = engine::ZnajdzStandard(argumenty.last().toStdString());
    if (!zrodlo || !cel) {
        std::fputs("pomiar_okna: nieznany standard; nazwy: znakomat-cli -l\n", stderr);
        return 2;
    }
    frmMain okno;
    okno.show();
    okno.findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(*zrodlo);
    okno.findChild<QComboBox*>(QStringLiteral("Combo2"))->setCurrentIndex(*cel);
    int kroki = 0;
    QObject::connect(&okno, &QWidget::windowTitleChanged, [&kroki](const QString& tytul) {
        kroki += tytul.contains(QLatin1String(" z 18")) ? 1 : 0;
    });

    QElapsedTimer czas;
    if (plik) {
        kliknij(okno, "Toolbar_1");
        okno.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(argumenty[2]);
        okno.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(argumenty[3]);
        Zamrozenia zamrozenia;
        OknaModalne okna;
        czas.start();
        kliknij(okno, "Command1");
        const QString komunikat =
            okna.komunikaty().isEmpty() ? QString() : okna.komunikaty().constLast().tekst;
        std::printf("plik: %lld ms, kroki w tytule: %d, najdłuższe zamrożenie okna: %lld ms, komunikat: %s\n",
                    static_cast<long long>(czas.elapsed()), kroki,
                    static_cast<long long>(zamrozenia.najdluzszeMs()), qPrintable(komunikat));
        return 0;
    }

    const QString wiersz = QStringLiteral("Zażółć gęślą jaźń, ZAŻÓŁĆ GĘŚLĄ JAŹŃ: pchnąć w tę łódź jeża.\r\n");
    QString tekst;
    while (tekst.size() < argumenty[2].toLongLong() * 1024 * 1024) {
        tekst += wiersz;
    }
    QGuiApplication::clipboard()->setText(tekst);
    const auto zmierz = [&](const char* nazwa, const char* przycisk) {
        Zamrozenia zamrozenia;
        czas.start();
        kliknij(okno, przycisk);
        QApplication::processEvents();
        std::printf("%s: %lld ms, najdłuższe zamrożenie okna: %lld ms\n", nazwa,
                    static_cast<long long>(czas.elapsed()),
                    static_cast<long long>(zamrozenia.najdluzszeMs()));
    };
    zmierz("wklej", "Command2");
    zmierz("konwertuj", "Command1");
    std::printf("kroki w tytule: %d\n", kroki);
    zmierz("kopiuj", "Command3");
    return 0;
}
