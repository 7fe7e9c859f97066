// Reading inputs of every kind, and the one rule for two names of one file or device.

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "engine/standardy.h"
#include "pliki/przepisz.h"
#include "pliki/tests/test_petla.h"
#include "pliki/tests/test_pomoc.h"
#include "pliki/tests/test_przepisz.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace pliki::test {
namespace {

using namespace std::chrono_literals;

std::string losoweBajty(std::size_t dlugosc, unsigned ziarno)
{
    std::mt19937 los(ziarno);
    std::string tekst(dlugosc, '\0');
    for (char& znak : tekst) {
        znak = static_cast<char>(los());
    }
    return tekst;
}

// All that the input gives, read piece by piece.
std::string przeczytajWszystko(PlikWejsciowy& wejscie, engine::Postep& postep)
{
    std::string calosc;
    std::string kawalek;
    do {
        wejscie.czytaj(kawalek, 4096, postep);
        calosc += kawalek;
    } while (!kawalek.empty());
    return calosc;
}

class Wejscie : public ::testing::Test {
protected:
    TymczasowyFolder folder;
};

TEST_F(Wejscie, FifoBezPisarzaPrzerwaneNaProsbe)
{
    const fs::path fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // In a child with an alarm, so that opening or reading that hangs fails the test.
    const auto poczatek = std::chrono::steady_clock::now();
    const std::string wynik = wDziecku([&] {
        ::alarm(20);
        PlikWejsciowy wejscie(fifo);
        NadzorDoLiczby postep(5);
        std::string kawalek;
        try {
            wejscie.czytaj(kawalek, 4096, postep);
        } catch (const engine::Przerwane&) {
            return "przerwane po " + std::to_string(postep.wywolan());
        }
        return "przeczytane " + std::to_string(kawalek.size()) + " bajtów";
    });
    EXPECT_EQ(wynik, "przerwane po 5");
    EXPECT_LT(std::chrono::steady_clock::now() - poczatek, 5s);
}

// Counts the waits for a silent pipe, never stops.
class NadzorOczekiwania final : public engine::Postep {
public:
    void wTrakcie() override { ++oczekiwan; }
    int odstepOczekiwania() const override { return 10; }
    std::atomic<int> oczekiwan{0};
};

TEST_F(Wejscie, FifoPisarzPrzychodziPozniejIWszystkoJestPrzeczytane)
{
    const fs::path fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string dane = losoweBajty(1 << 20, 7);
    PlikWejsciowy wejscie(fifo);
    NadzorOczekiwania postep;
    bool czekal = false;

    std::thread pisarz([&] {
        // The writer comes once the reader is already waiting for it.
        const auto termin = std::chrono::steady_clock::now() + 10s;
        while (postep.oczekiwan < 2 && std::chrono::steady_clock::now() < termin) {
            std::this_thread::yield();
        }
        czekal = postep.oczekiwan >= 2;
        // A reader that has given up must not leave this thread blocked or the test killed.
        sigset_t potok;
        sigemptyset(&potok);
        sigaddset(&potok, SIGPIPE);
        ::pthread_sigmask(SIG_BLOCK, &potok, nullptr);
        const int deskryptor = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (deskryptor >= 0) {
            ::fcntl(deskryptor, F_SETFL, 0);
        }
        std::mt19937 los(3);
        for (std::size_t p = 0; deskryptor >= 0 && p < dane.size();) {
            const std::size_t ile = std::min<std::size_t>(1 + los() % 70000, dane.size() - p);
            const ssize_t zapisane = ::write(deskryptor, dane.data() + p, ile);
            if (zapisane <= 0) {
                break;
            }
            p += static_cast<std::size_t>(zapisane);
        }
        ::close(deskryptor);
    });
    const std::string przeczytane = przeczytajWszystko(wejscie, postep);
    wejscie.zamknij();
    pisarz.join();

    EXPECT_TRUE(czekal);
    EXPECT_EQ(przeczytane.size(), dane.size());
    EXPECT_TRUE(przeczytane == dane);
}

TEST_F(Wejscie, NieskonczoneWejsciePrzerwaneNaProsbe)
{
    const fs::path wynik = folder / "wynik.txt";
    zapiszPlik(wynik, "stary");
    PlikWejsciowy wejscie("/dev/zero");
    EXPECT_FALSE(wejscie.rozmiar());
    NadzorDoLiczby postep(20);
    {
        PlikWyjsciowy wyjscie(wynik);
        engine::KonwersjaBlokowa konwersja(0, engine::UTF8_INDEX);
        EXPECT_THROW(Przepisz(wejscie, wyjscie, konwersja, postep), engine::Przerwane);
    }
    EXPECT_EQ(postep.wywolan(), 20);
    EXPECT_EQ(czytajPlik(wynik), "stary");
    EXPECT_EQ(wpisy(folder.sciezka()), std::set<std::string>{"wynik.txt"});
}

TEST_F(Wejscie, RozmiarZnanyTylkoDlaZwyklegoPliku)
{
    zapiszPlik(folder / "plik.txt", std::string(12345, 'a'));
    zapiszPlik(folder / "pusty.txt", "");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);

    EXPECT_EQ(PlikWejsciowy(folder / "plik.txt").rozmiar(), 12345u);
    EXPECT_FALSE(PlikWejsciowy(folder / "pusty.txt").rozmiar());
    EXPECT_FALSE(PlikWejsciowy(folder / "fifo").rozmiar());
    // A /proc file says it is empty, yet has a text.
    PlikWejsciowy status("/proc/self/status");
    EXPECT_FALSE(status.rozmiar());
    EXPECT_NE(przeczytajWszystko(status, engine::BezPostepu()).find("Pid:"), std::string::npos);
}

TEST_F(Wejscie, BledyOtwarcia)
{
    const auto numerBledu = [](const std::string& nazwa) {
        try {
            PlikWejsciowy wejscie(nazwa);
        } catch (const BladPliku& blad) {
            EXPECT_EQ(blad.czynnosc, BladPliku::Odczyt);
            EXPECT_EQ(blad.nazwa, nazwa);
            return blad.numer;
        }
        return 0;
    };
    EXPECT_EQ(numerBledu(folder.sciezka()), EISDIR);
    EXPECT_EQ(numerBledu(folder / "nie-ma.txt"), ENOENT);
}

class TenSam : public Wejscie {};

TEST_F(TenSam, PlikPodInnymiNazwami)
{
    const fs::path plik = folder / "plik.txt";
    zapiszPlik(plik, "tekst");
    zapiszPlik(folder / "kopia.txt", "tekst");
    fs::create_symlink("plik.txt", folder / "dowiazanie");
    fs::create_hard_link(plik, folder / "twarde.txt");
    const fs::path wzgledna = fs::relative(plik, fs::current_path());
    ASSERT_TRUE(wzgledna.is_relative());

    EXPECT_TRUE(TenSamPlik(plik, folder / "dowiazanie"));
    EXPECT_TRUE(TenSamPlik(folder / "twarde.txt", plik));
    EXPECT_TRUE(TenSamPlik(wzgledna, plik));
    EXPECT_FALSE(TenSamPlik(plik, folder / "kopia.txt"));
    EXPECT_FALSE(TenSamPlik(plik, folder / "nie-ma.txt"));

    const PlikWejsciowy wejscie(folder / "dowiazanie");
    EXPECT_TRUE(wejscie.jestTymSamymPlikiem(folder / "twarde.txt"));
    EXPECT_FALSE(wejscie.jestTymSamymPlikiem(folder / "kopia.txt"));
}

TEST_F(TenSam, UrzadzenieZnakowePoNumerze)
{
    const fs::path kopia = folder / "null";
    if (::mknod(kopia.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
        GTEST_SKIP() << "mknod niedozwolone: " << std::strerror(errno);
    }
    // Two FIFOs have no device number: they differ as files.
    ASSERT_EQ(::mkfifo((folder / "fifo1").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "fifo2").c_str(), 0600), 0);

    // A character device holds no text to destroy: never the same, even under two names.
    EXPECT_FALSE(TenSamPlik("/dev/null", kopia));
    EXPECT_FALSE(TenSamPlik("/dev/null", "/dev/null"));
    EXPECT_FALSE(TenSamPlik("/dev/null", "/dev/zero"));
    EXPECT_FALSE(TenSamPlik(folder / "fifo1", folder / "fifo2"));
    EXPECT_FALSE(PlikWejsciowy(kopia).jestTymSamymPlikiem("/dev/null"));
}

TEST_F(TenSam, UrzadzenieBlokowePoNumerze)
{
    const fs::path obraz = folder / "obraz.img";
    zapiszPlik(obraz, std::string(1 << 20, 'o'));
    const pliki::test::UrzadzeniePetli petla(obraz);
    if (petla.sciezka().empty()) {
        GTEST_SKIP() << petla.powod();
    }
    const struct stat stan = stanPliku(petla.sciezka());
    ASSERT_TRUE(S_ISBLK(stan.st_mode));
    const fs::path kopia = folder / "petla";
    const fs::path znakowe = folder / "znakowe";
    ASSERT_EQ(::mknod(kopia.c_str(), S_IFBLK | 0600, stan.st_rdev), 0);
    // The same numbers as a character device are another device.
    ASSERT_EQ(::mknod(znakowe.c_str(), S_IFCHR | 0600, stan.st_rdev), 0);

    EXPECT_TRUE(TenSamPlik(petla.sciezka(), kopia));
    EXPECT_FALSE(TenSamPlik(petla.sciezka(), znakowe));
    EXPECT_FALSE(TenSamPlik(petla.sciezka(), obraz));
    EXPECT_TRUE(PlikWejsciowy(kopia).jestTymSamymPlikiem(petla.sciezka()));
}

}  // namespace
}  // namespace pliki::test
