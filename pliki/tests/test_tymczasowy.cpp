// The temporary file and the removal of leftovers, each on its own.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "pliki/porzucone.h"
#include "pliki/tests/test_pomoc.h"
#include "pliki/tests/test_wyjscie.h"
#include "pliki/tymczasowy.h"

namespace pliki::test {
namespace {

TEST(Tymczasowy, NazwaTymczasowegoTylkoWJednejPostaci)
{
    const struct {
        const char* nazwa;
        bool tymczasowa;
    } przypadki[] = {
        {".wynik.txt.znakomat\u2301Ab3dE9", true},
        {".x.znakomat\u2301000000", true},
        {".\u0105.znakomat\u2301zzzzzz", true},
        {"wynik.txt.znakomat\u2301Ab3dE9", false},    // not hidden
        {".wynik.txt.znakomat-Ab3dE9", false},        // a mark one can type
        {".wynik.txt.znakomat\u2301Ab3dE", false},    // five random characters
        {".wynik.txt.znakomat\u2301Ab3dE9x", false},  // seven
        {".wynik.txt.znakomat\u2301Ab_dE9", false},
        {".znakomat\u2301Ab3dE9", false},  // no output's name
        {".wynik.txt", false},
        {"", false},
    };
    for (const auto& [nazwa, tymczasowa] : przypadki) {
        EXPECT_EQ(MaNazweTymczasowego(nazwa), tymczasowa) << nazwa;
    }
}

// Whether another run could take the file's lock now.
bool wolny(const fs::path& plik)
{
    const Deskryptor inny(::open(plik.c_str(), O_RDONLY | O_CLOEXEC));
    return inny.otwarty() && ::flock(inny.numer(), LOCK_EX | LOCK_NB) == 0;
}

// A named temporary is locked, signed and gone with its owner; one that replaced the
// output is the output, unsigned, and stays. An unnamed one gets its name only when asked.
TEST(Tymczasowy, NazwanyZnikaZWlascicielemAZastapionyZostaje)
{
    for (const Tymczasowy sposob : {Tymczasowy::ZawszeNazwany, Tymczasowy::BezNazwyGdzieMozna}) {
        const bool nazwany = sposob == Tymczasowy::ZawszeNazwany;
        SCOPED_TRACE(nazwany ? "nazwany" : "bez nazwy");
        TymczasowyFolder folder;
        const Deskryptor miejsce(::open(folder.sciezka().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        {
            PlikTymczasowy tymczasowy(sposob);
            ASSERT_TRUE(tymczasowy.utworz(miejsce.numer(), "wynik.txt", 0600));
            EXPECT_TRUE(MaPodpisTymczasowego(tymczasowy.numer()));
            if (nazwany || bezNazwyMozliwe(folder.sciezka())) {
                EXPECT_EQ(wpisy(folder.sciezka()).size(), nazwany ? 1u : 0u);
            }
            if (nazwany) {
                const fs::path plik = folder / *wpisy(folder.sciezka()).begin();
                EXPECT_TRUE(MaNazweTymczasowego(plik.filename().string())) << plik;
                EXPECT_FALSE(wolny(plik));
            }
        }
        EXPECT_TRUE(wpisy(folder.sciezka()).empty());

        PlikTymczasowy tymczasowy(sposob);
        ASSERT_TRUE(tymczasowy.utworz(miejsce.numer(), "wynik.txt", 0600));
        ASSERT_EQ(::write(tymczasowy.numer(), "nowy", 4), 4);
        ASSERT_EQ(tymczasowy.nadajNazwe("wynik.txt"), 0);
        EXPECT_EQ(wpisy(folder.sciezka()).size(), 1u);
        ASSERT_EQ(tymczasowy.zastap("wynik.txt"), 0);
        EXPECT_FALSE(MaPodpisTymczasowego(tymczasowy.numer()));
        EXPECT_EQ(tymczasowy.zamknij(), 0);
        EXPECT_EQ(wpisy(folder.sciezka()), std::set<std::string>{"wynik.txt"});
        EXPECT_EQ(czytajPlik(folder / "wynik.txt"), "nowy");
    }
}

// A leftover as a killed run leaves it: signed, named, and held by nobody.
void porzuc(const fs::path& plik)
{
    zapiszPlik(plik, "porzucony");
    ASSERT_EQ(::setxattr(plik.c_str(), "user.znakomat.tymczasowy", "znakomat", 8, 0), 0);
}

// A large folder is read once in a while, so that a batch into it stays cheap; a small one
// every time. Each janitor keeps its own memory of what it has read.
TEST(Porzucone, DuzyFolderCzytanyRazNaJakiSzas)
{
    for (const int plikow : {10, 300}) {
        SCOPED_TRACE(std::to_string(plikow) + " plików");
        TymczasowyFolder folder;
        for (int numer = 0; numer < plikow; ++numer) {
            zapiszPlik(folder / std::to_string(numer), "");
        }
        const Deskryptor miejsce(::open(folder.sciezka().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const fs::path pierwszy = folder / ".wynik.txt.znakomat\u2301AAAAAA";
        const fs::path drugi = folder / ".wynik.txt.znakomat\u2301BBBBBB";
        porzuc(pierwszy);
        PorzuconeTymczasowe sprzatanie;
        const auto poczatek = std::chrono::steady_clock::now();
        sprzatanie.usunZ(miejsce.numer());
        EXPECT_FALSE(fs::exists(pierwszy));

        porzuc(drugi);
        sprzatanie.usunZ(miejsce.numer());
        if (std::chrono::steady_clock::now() - poczatek > std::chrono::seconds(2)) {
            GTEST_SKIP() << "za wolno, by sprawdzić pamięć przejrzanych folderów";
        }
        EXPECT_EQ(fs::exists(drugi), plikow > 256);
        PorzuconeTymczasowe inne;
        inne.usunZ(miejsce.numer());
        EXPECT_FALSE(fs::exists(drugi));
    }
}

}  // namespace
}  // namespace pliki::test
