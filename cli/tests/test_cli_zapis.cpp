// znakomat-cli as a process where its output is at risk: signals while an output is
// rewritten in place, runs killed at any moment, a slow pipe, and a terminal.

#include <sys/file.h>
#include <sys/ioctl.h>

#include <chrono>
#include <random>
#include <thread>

#include "cli/tests/proces_cli.h"

namespace cli::test {
namespace {

// Waits until `warunek` holds, at most `limit`; whether it did.
template <typename Warunek>
bool czekajNa(Warunek warunek, std::chrono::milliseconds limit = std::chrono::seconds(60))
{
    const auto koniec = std::chrono::steady_clock::now() + limit;
    while (!warunek()) {
        if (std::chrono::steady_clock::now() > koniec) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

char pierwszyBajt(const fs::path& plik)
{
    char bajt = '\0';
    const int deskryptor = ::open(plik.c_str(), O_RDONLY | O_CLOEXEC);
    if (deskryptor >= 0) {
        [[maybe_unused]] const ssize_t przeczytane = ::pread(deskryptor, &bajt, 1, 0);
        ::close(deskryptor);
    }
    return bajt;
}

// The largest resident memory of a living process since its exec, in bytes.
std::size_t szczytPamieci(pid_t pid)
{
    std::ifstream stan("/proc/" + std::to_string(pid) + "/status");
    for (std::string wiersz; std::getline(stan, wiersz);) {
        if (wiersz.starts_with("VmHWM:")) {
            return std::stoull(wiersz.substr(6)) * 1024;
        }
    }
    return 0;
}

using ZapisCli = ZnakomatCli;

// An output with a second hard link is copied into in place. A signal that comes once the
// copy has begun, to whichever thread, waits for its end: the output is then wholly new,
// never half new and half old, and no temporary file stays.
TEST_F(ZapisCli, SygnalWTrakciePrzepisywaniaWMiejscu)
{
    constexpr std::size_t ROZMIAR = std::size_t{96} << 20;
    zapiszPlik(folder_ / "we.txt", std::string(ROZMIAR, 'n'));
    const std::string stary(ROZMIAR, 's');
    fs::create_directory(folder_ / "wyniki");
    struct Przypadek {
        const char* opis;
        std::vector<std::string> argumenty;
        fs::path wynik;
    };
    const std::vector<Przypadek> przypadki{
        {"-o", {"-f", "UTF-8", "-t", "brak", "-o", "wy.txt", "we.txt"}, folder_ / "wy.txt"},
        {"-d", {"-f", "UTF-8", "-t", "brak", "-d", "wyniki", "we.txt"}, folder_ / "wyniki/we.txt"},
    };
    for (const Przypadek& przypadek : przypadki) {
        for (const int sygnal : {SIGINT, SIGTERM}) {
            SCOPED_TRACE(std::string(przypadek.opis) + " " + strsignal(sygnal));
            zapiszPlik(przypadek.wynik, stary);
            const fs::path drugi = przypadek.wynik.string() + ".link";
            fs::remove(drugi);
            fs::create_hard_link(przypadek.wynik, drugi);
            Opcje opcje;
            opcje.folder = folder_.string();
            Proces proces(przypadek.argumenty, opcje);
            ASSERT_TRUE(czekajNa([&] { return pierwszyBajt(przypadek.wynik) == 'n'; }))
                << "kopia się nie zaczęła";
            ::kill(proces.pid(), sygnal);
            const Wynik wynik = proces.zakoncz();

            EXPECT_EQ(wynik.sygnal, sygnal) << wynik.bledy;
            const std::string teraz = czytajPlik(przypadek.wynik);
            EXPECT_EQ(teraz.size(), ROZMIAR);
            EXPECT_EQ(teraz.find('s'), std::string::npos) << "stary tekst od bajtu " << teraz.find('s');
            EXPECT_EQ(fs::hard_link_count(przypadek.wynik), 2u);
            fs::remove(drugi);
        }
    }
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"we.txt", "wy.txt", "wyniki"}));
    EXPECT_EQ(fs::directory_iterator(folder_ / "wyniki")->path().filename(), "we.txt");
}

// Runs killed at random moments leave the old output or the new one, and whatever
// temporary file they leave the next run removes.
TEST_F(ZapisCli, SigkillWLosowejChwili)
{
    const std::string nowy(std::size_t{4} << 20, 'n');
    zapiszPlik(folder_ / "we.txt", nowy);
    zapiszPlik(folder_ / "wy.txt", "stary\n");
    std::minstd_rand losowanie(2024);
    Opcje opcje;
    opcje.folder = folder_.string();
    for (int proba = 0; proba < 30; ++proba) {
        Proces proces({"-f", "UTF-8", "-t", "brak", "-o", "wy.txt", "we.txt"}, opcje);
        std::this_thread::sleep_for(std::chrono::microseconds(losowanie() % 30000));
        ::kill(proces.pid(), SIGKILL);
        proces.zakoncz();
        const std::string teraz = czytajPlik(folder_ / "wy.txt");
        ASSERT_TRUE(teraz == "stary\n" || teraz == nowy) << "wynik częściowy, " << teraz.size() << " bajtów";
    }
    // A user's files that only look like temporaries stay, whoever holds them.
    zapiszPlik(folder_ / ".wy.txt.znakomat-Xy12Zq", nowy);
    zapiszPlik(folder_ / ".wy.txt.znakomat-Trzyma", nowy);
    const int trzymany = ::open((folder_ / ".wy.txt.znakomat-Trzyma").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(trzymany, LOCK_EX), 0);

    EXPECT_EQ(uruchom({"-f", "UTF-8", "-t", "brak", "-o", "wy.txt", "we.txt"}).kod, 0);
    ::close(trzymany);

    EXPECT_TRUE(czytajPlik(folder_ / "wy.txt") == nowy);
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{".wy.txt.znakomat-Trzyma",
                                                            ".wy.txt.znakomat-Xy12Zq", "we.txt", "wy.txt"}));
}

// Recognition through a pipe that gives a line at a time holds only those bytes: a piece
// read keeps no read buffer of its own.
TEST_F(ZapisCli, WolnyPotokWMalejPamieci)
{
    const fs::path fifo = folder_ / "we.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Opcje opcje;
    opcje.folder = folder_.string();
    opcje.wejscieZPliku = fifo.string();
    Proces proces({"-f", "auto", "-t", "ISO-Latin-2", "-o", "wy.txt"}, opcje);
    const int pisarz = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(pisarz, 0);
    const std::string wiersz = "Zażółć gęślą jaźń, wiersz za wierszem.\n";
    std::string wszystko;
    for (int i = 0; i < 1600; ++i) {
        ASSERT_EQ(::write(pisarz, wiersz.data(), wiersz.size()), static_cast<ssize_t>(wiersz.size()));
        wszystko += wiersz;
        // Each line is read alone before the next is written.
        ASSERT_TRUE(czekajNa([&] {
            int wPotoku = 0;
            return ::ioctl(pisarz, FIONREAD, &wPotoku) == 0 && wPotoku == 0;
        }));
    }
    // The program's own peak while it still waits for more: unlike the child's rusage it
    // counts nothing from before exec, when the child was a copy of this test.
    const std::size_t szczyt = szczytPamieci(proces.pid());
    ::close(pisarz);
    const Wynik wynik = proces.zakoncz();

    EXPECT_EQ(wynik.kod, 0) << wynik.bledy;
    // 1600 pieces of 256 KiB each would be 400 MiB.
    EXPECT_GT(szczyt, 0u);
    EXPECT_LT(szczyt, std::size_t{128} << 20);
    EXPECT_EQ(czytajPlik(folder_ / "wy.txt").size(), wszystko.size() - 9 * 1600);
}

// Typed at a terminal and answered there, or with /dev/null on both sides: a character
// device holds no text to destroy, so it is no "same file".
TEST_F(ZapisCli, TerminalIUrzadzeniaZnakowe)
{
    Opcje zNull;
    zNull.wejscieZPliku = "/dev/null";
    const Wynik wynik = uruchom({"-f", "UTF-8", "-t", "brak", "-o", "/dev/null"}, {}, zNull);
    EXPECT_EQ(wynik.kod, 0) << wynik.bledy;
    EXPECT_EQ(wynik.bledy, "");

    if (std::system("command -v script >/dev/null") != 0) {
        GTEST_SKIP() << "brak script";
    }
    // script gives the program a terminal of its own on both standard streams; ^D ends the text.
    zapiszPlik(folder_ / "klawiatura", "Zażółć\n\x04");
    const std::string polecenie = "cd '" + folder_.string() + "' && script -qec '" + ZNAKOMAT_CLI +
                                  " -f UTF-8 -t brak' /dev/null < klawiatura > ekran 2>&1";
    const int status = std::system(polecenie.c_str());
    const std::string ekran = czytajPlik(folder_ / "ekran");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ekran;
    EXPECT_EQ(ekran.find("ten sam plik"), std::string::npos) << ekran;
    EXPECT_NE(ekran.find("Zazolc"), std::string::npos) << ekran;
}

}  // namespace
}  // namespace cli::test
