#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "engine/standardy.h"
#include "pliki/sygnaly.h"
#include "ui/aplikacja.h"
#include "ui/frmmain.h"

using namespace ui;

namespace {

bool jestEkran()
{
    const auto ustawiona = [](const char* nazwa) {
        const char* wartosc = std::getenv(nazwa);
        return wartosc != nullptr && *wartosc != '\0';
    };
    return ustawiona("QT_QPA_PLATFORM") || ustawiona("DISPLAY") || ustawiona("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[])
{
    // The command line first: help, the version and a wrong usage need no display.
    const std::optional<QString> plik = [&argc, argv] {
        QCoreApplication bezOkna(argc, argv);
        przetlumaczQt(bezOkna);
        return plikZWierszaPolecen(QCoreApplication::arguments());
    }();
    if (!plik) {
        return 2;
    }
    if (!jestEkran()) {
        std::fputs(
            "znakomat: brak ekranu graficznego (nie ustawiono DISPLAY ani WAYLAND_DISPLAY).\n"
            "Uruchom program na pulpicie albo na ekranie wirtualnym: xvfb-run znakomat\n",
            stderr);
        return 1;
    }
    // A pipe whose reader goes away is a failed write to report, not the end of the window.
    pliki::PrzygotujSygnaly(pliki::ZamknietyPotok::JestBledem);
    PreferujXNaWaylandzie(argc, argv);
    auto start = std::make_unique<StartEkranu>(zadanaPlatforma(argc, argv));
    QApplication aplikacja(argc, argv);
    start.reset();
    ZglaszajUtrateEkranu();
    przygotujAplikacje(aplikacja);

    // The table is constant and complete before the window loads.
    (void)engine::Standardy(0);
    // Local, so that it goes before the application: when the display goes away, Qt
    // ends the program from inside the event loop and no destructor runs after it.
    frmMain okno;
    if (!plik->isEmpty()) {
        okno.otworzPlik(*plik);
    }
    wysrodkuj(okno);
    okno.show();
    return QApplication::exec();
}
