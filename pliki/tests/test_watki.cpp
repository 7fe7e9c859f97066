// The streaming loop writes from a thread of its own: the caller's Postep still hears only
// from the thread that called Przepisz, and no thread outlives it, however it ends.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "pliki/przepisz.h"
#include "pliki/tests/test_przepisz.h"

namespace pliki {
namespace {

namespace fs = std::filesystem;
using Zegar = std::chrono::steady_clock;

std::size_t liczbaWatkow()
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/task"), {}));
}

class Folder {
public:
    Folder()
    {
        std::string wzor = (fs::temp_directory_path() / "znakomat-watki-XXXXXX").string();
        sciezka_ = ::mkdtemp(wzor.data());
    }
    ~Folder() { fs::remove_all(sciezka_); }
    fs::path operator/(const char* nazwa) const { return sciezka_ / nazwa; }

private:
    fs::path sciezka_;
};

void zapiszPlik(const fs::path& sciezka, const std::string& tresc)
{
    std::ofstream(sciezka, std::ios::binary) << tresc;
}

std::string czytajPlik(const fs::path& sciezka)
{
    std::ifstream plik(sciezka, std::ios::binary);
    return {std::istreambuf_iterator<char>(plik), {}};
}

// Several pieces of UTF-8 with letters everywhere, so that some are cut between pieces.
std::string tekstUtf8(std::size_t dlugosc)
{
    std::mt19937 los(7);
    std::string tekst;
    while (tekst.size() < dlugosc) {
        tekst += los() % 4 == 0 ? std::string(engine::Litera(engine::UTF8_INDEX, 1 + los() % 18)) : "ab ";
    }
    return tekst;
}

// Notes whether any call came from another thread than the one that made it.
class NadzorWatku final : public engine::Postep {
public:
    void przedKrokiem(int) override { zanotuj(); }
    void poKroku() override { zanotuj(); }
    void przedZatwierdzeniem() override { zanotuj(); }
    void wTrakcie() override { zanotuj(); }
    bool przerwac() override
    {
        zanotuj();
        return czyPrzerwac ? czyPrzerwac() : false;
    }
    int odstepOczekiwania() const override { return 20; }

    std::function<bool()> czyPrzerwac;
    std::atomic<int> zInnegoWatku{0};
    int wywolan = 0;

private:
    void zanotuj()
    {
        ++wywolan;
        if (std::this_thread::get_id() != wlasciciel_) {
            ++zInnegoWatku;
        }
    }
    std::thread::id wlasciciel_ = std::this_thread::get_id();
};

TEST(Watki, NadzorSlyszyTylkoWatekWolajacy)
{
    Folder folder;
    const std::string tekst = tekstUtf8(3 * ROZMIAR_KAWALKA + 12345);
    zapiszPlik(folder / "we.txt", tekst);
    const std::size_t przed = liczbaWatkow();
    NadzorWatku postep;
    {
        PlikWejsciowy wejscie((folder / "we.txt").string());
        PlikWyjsciowy wyjscie((folder / "wy.txt").string(), postep);
        engine::KonwersjaBlokowa konwersja(engine::UTF8_INDEX, engine::WINDOWS_EE);
        test::Przepisz(wejscie, wyjscie, konwersja, postep);
        wyjscie.zapisz(konwersja.zakoncz());
        wyjscie.zatwierdz();
    }
    EXPECT_GT(postep.wywolan, 40);
    EXPECT_EQ(postep.zInnegoWatku, 0);
    EXPECT_EQ(liczbaWatkow(), przed);
    EXPECT_TRUE(czytajPlik(folder / "wy.txt") ==
                engine::test::KonwertujBajty(tekst, engine::UTF8_INDEX, engine::WINDOWS_EE));
}

TEST(Watki, BladZapisuWychodziZPrzepisz)
{
    Folder folder;
    zapiszPlik(folder / "we.txt", std::string(2 * ROZMIAR_KAWALKA, 'x'));
    const std::size_t przed = liczbaWatkow();
    NadzorWatku postep;
    PlikWejsciowy wejscie((folder / "we.txt").string());
    PlikWyjsciowy wyjscie("/dev/full", postep);
    engine::KonwersjaBlokowa konwersja(engine::MAZOVIA, engine::WINDOWS_EE);
    std::optional<BladPliku> blad;
    try {
        test::Przepisz(wejscie, wyjscie, konwersja, postep);
    } catch (const BladPliku& b) {
        blad = b;
    }
    ASSERT_TRUE(blad);
    EXPECT_EQ(blad->czynnosc, BladPliku::Zapis);
    EXPECT_EQ(blad->numer, ENOSPC);
    EXPECT_EQ(liczbaWatkow(), przed);
    EXPECT_EQ(postep.zInnegoWatku, 0);
}

// A reader that never reads: the writing thread waits on the full pipe, and a stop request
// still ends the loop at once and takes the thread with it.
TEST(Watki, PrzerwanieGdyPotokStoi)
{
    Folder folder;
    zapiszPlik(folder / "we.txt", std::string(20 * ROZMIAR_KAWALKA, 'x'));
    ASSERT_EQ(::mkfifo((folder / "potok").c_str(), 0600), 0);
    const int czytelnik = ::open((folder / "potok").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(czytelnik, 0);
    const std::size_t przed = liczbaWatkow();
    NadzorWatku postep;
    std::optional<Zegar::time_point> zadane;
    postep.czyPrzerwac = [&] {
        int wPotoku = 0;
        if (!zadane && ::ioctl(czytelnik, FIONREAD, &wPotoku) == 0 &&
            wPotoku >= ::fcntl(czytelnik, F_GETPIPE_SZ)) {
            zadane = Zegar::now();
        }
        return zadane.has_value();
    };
    {
        PlikWejsciowy wejscie((folder / "we.txt").string());
        PlikWyjsciowy wyjscie((folder / "potok").string(), postep);
        engine::KonwersjaBlokowa konwersja(engine::MAZOVIA, engine::WINDOWS_EE);
        EXPECT_THROW(test::Przepisz(wejscie, wyjscie, konwersja, postep), engine::Przerwane);
    }
    ASSERT_TRUE(zadane);
    EXPECT_LT(Zegar::now() - *zadane, std::chrono::seconds(1));
    EXPECT_EQ(liczbaWatkow(), przed);
    EXPECT_EQ(postep.zInnegoWatku, 0);
    ::close(czytelnik);
}

// Text that comes through a pipe a sentence at a time goes out as it comes, each sentence
// before the next is sent, with no thread of the loop left waiting on it.
TEST(Watki, TekstZPotokuWychodziOdRazu)
{
    const std::string zdanie = "Zażółć gęślą jaźń. ";
    const std::string przekonwertowane = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1. ";
    constexpr int ZDAN = 10;
    Folder folder;
    ASSERT_EQ(::mkfifo((folder / "we").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "wy").c_str(), 0600), 0);
    // Opened so that neither open waits for the other side.
    const int doWejscia = ::open((folder / "we").c_str(), O_RDWR | O_CLOEXEC);
    const int zWyjscia = ::open((folder / "wy").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(doWejscia, 0);
    ASSERT_GE(zWyjscia, 0);
    const std::unique_ptr<const int, void (*)(const int*)> zamknijWyjscie(&zWyjscia,
                                                                          [](const int* d) { ::close(*d); });
    // However the test ends, the input ends and the conversion with it.
    struct Konwersja {
        int doWejscia;
        std::thread watek;
        ~Konwersja()
        {
            ::close(doWejscia);
            watek.join();
        }
    } konwersja{doWejscia, std::thread([&] {
                    PlikWejsciowy wejscie((folder / "we").string());
                    PlikWyjsciowy wyjscie((folder / "wy").string());
                    engine::KonwersjaBlokowa konwersja(engine::UTF8_INDEX, engine::WINDOWS_EE);
                    test::Przepisz(wejscie, wyjscie, konwersja);
                    wyjscie.zatwierdz();
                })};
    const Zegar::time_point start = Zegar::now();
    std::string wyszlo;
    for (int i = 1; i <= ZDAN; ++i) {
        ASSERT_EQ(::write(doWejscia, zdanie.data(), zdanie.size()), static_cast<ssize_t>(zdanie.size()));
        const std::size_t oczekiwane = static_cast<std::size_t>(i) * przekonwertowane.size();
        while (wyszlo.size() < oczekiwane) {
            pollfd czekanie{zWyjscia, POLLIN, 0};
            ASSERT_EQ(::poll(&czekanie, 1, 10000), 1) << "zdanie " << i << " nie wyszło";
            char bufor[256];
            const ssize_t przeczytane = ::read(zWyjscia, bufor, sizeof bufor);
            ASSERT_GT(przeczytane, 0);
            wyszlo.append(bufor, static_cast<std::size_t>(przeczytane));
        }
    }
    const auto trwalo = Zegar::now() - start;
    std::string calosc;
    for (int i = 0; i < ZDAN; ++i) {
        calosc += przekonwertowane;
    }
    EXPECT_TRUE(wyszlo == calosc);
    // A sentence left for a thread's own timer to find takes a tenth of a second.
    EXPECT_LT(trwalo, std::chrono::milliseconds(50 * ZDAN));
}

}  // namespace
}  // namespace pliki
