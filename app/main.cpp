#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "aplikacja.h"
#include "frmmain.h"
#include "standardy.h"
#include "sygnaly.h"

namespace {

std::unique_ptr<frmMain> oknoGlowne;

bool jestEkran()
{
    const auto ustawiona = [](const char* nazwa) {
        const char* wartosc = std::getenv(nazwa);
        return wartosc != nullptr && *wartosc != '\0';
    };
    return ustawiona("QT_QPA_PLATFORM") || ustawiona("DISPLAY") || ustawiona("WAYLAND_DISPLAY");
}

// The program's entry: the table is constant and complete before the window loads.
void Main()
{
    (void)znakomat::Standardy(0);
    oknoGlowne = std::make_unique<frmMain>();
    wysrodkuj(*oknoGlowne);
    oknoGlowne->show();
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!jestEkran()) {
        std::fputs(
            "znakomat: brak ekranu graficznego (nie ustawiono DISPLAY ani WAYLAND_DISPLAY).\n"
            "Uruchom program na pulpicie albo na ekranie wirtualnym: xvfb-run znakomat\n",
            stderr);
        return 1;
    }
    pliki::PrzygotujSygnaly();
    // A pipe whose reader goes away is a failed write to report, not the end of the window.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication aplikacja(argc, argv);
    przygotujAplikacje(aplikacja);
    Main();
    const int wynik = QApplication::exec();
    oknoGlowne.reset();
    return wynik;
}
