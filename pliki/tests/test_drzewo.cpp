// Trees for a batch: names a case-blind file system takes for one, folders made below a link.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "pliki/deskryptory.h"
#include "pliki/drzewo.h"
#include "pliki/katalog.h"
#include "pliki/tests/test_pomoc.h"

namespace pliki::test {
namespace {

TEST(Katalog, NazwyRozneTylkoWielkosciaLiterMajaJedenKlucz)
{
    struct Para {
        const char* pierwsza;
        const char* druga;
        bool jedna;
    };
    const Para pary[] = {
        {"cyr/Ж.txt", "cyr/ж.txt", true},
        {"ÿ", "Ÿ", true},
        {"ŁÓDŹ.TXT", "łódź.txt", true},
        {"ΣΟΦΙΑ", "σοφια", true},
        {"σ", "ς", true},
        {"ǅ", "ǆ", true},
        // The long s and the Kelvin sign are upper-cased to plain letters.
        {"ſ", "S", true},
        {"\u212A", "k", true},
        {"Ա", "ա", true},
        {"Ⴀ", "ⴀ", true},
        {"𐐀", "𐐨", true},
        {"ą", "a", false},
        {"ж", "з", false},
        {"ß", "s", false},
        {"a", "b", false},
        // Bytes that are not UTF-8 stay themselves.
        {"\xC3", "\xE3", false},
        {"\xD0\x96\xFF", "\xD0\xB6\xFF", true},
    };
    for (const Para& para : pary) {
        EXPECT_EQ(BezWielkosci(para.pierwsza) == BezWielkosci(para.druga), para.jedna)
            << para.pierwsza << " / " << para.druga;
    }
    EXPECT_EQ(BezWielkosci("Wynik/ŻÓŁW.Txt"), "wynik/żółw.txt");
}

// Folders made below a folder that exists, but never through a link the path meets below it.
// One file is one inode of one file system, whatever name reaches it; the roots of two
// file systems often share an inode number.
TEST(Wezel, TenSamPlikPoKazdejNazwie)
{
    TymczasowyFolder folder;
    zapiszPlik(folder / "plik", "tekst");
    zapiszPlik(folder / "kopia", "tekst");
    fs::create_hard_link(folder / "plik", folder / "twardy");
    fs::create_symlink(folder / "plik", folder / "miekki");
    const struct {
        fs::path pierwszy;
        fs::path drugi;
        bool jeden;
    } przypadki[] = {
        {folder / "plik", folder / "plik", true},
        {folder / "plik", folder / "twardy", true},
        // lstat(2): the link itself, not the file it leads to.
        {folder / "plik", folder / "miekki", false},
        {folder / "plik", folder / "." / ".." / folder.sciezka().filename() / "plik", true},
        {folder / "plik", folder / "kopia", false},
        {folder.sciezka(), folder / "plik", false},
        {"/proc", "/sys", false},
    };
    for (const auto& p : przypadki) {
        SCOPED_TRACE(p.pierwszy.string() + " " + p.drugi.string());
        EXPECT_EQ(TenSamWezel(stanPliku(p.pierwszy), stanPliku(p.drugi)), p.jeden);
        EXPECT_EQ(Wezel(stanPliku(p.pierwszy)) == Wezel(stanPliku(p.drugi)), p.jeden);
    }
    // The same inode number on another device.
    struct stat pierwszy = stanPliku(folder / "plik");
    struct stat drugi = pierwszy;
    drugi.st_dev += 1;
    EXPECT_FALSE(TenSamWezel(pierwszy, drugi));
}

TEST(Drzewo, FolderyTworzonePoziomamiBezDowiazan)
{
    TymczasowyFolder folder;
    fs::create_directories(folder / "wynik/a");
    fs::create_directory(folder / "obcy");
    fs::create_directory_symlink(folder / "obcy", folder / "wynik/a/link");
    fs::create_directory_symlink(folder / "gdzies", folder / "wynik/a/wiszacy");
    zapiszPlik(folder / "wynik/plik", "");
    struct Przypadek {
        const char* sciezka;
        int numer;  // 0: made
        const char* gdzie;
    };
    const Przypadek przypadki[] = {
        {"wynik/a/b/c/d", 0, ""},
        {"wynik/a/b/c/d", 0, ""},
        {"wynik/./a/../a/e/", 0, ""},
        {"wynik/plik/x", ENOTDIR, "wynik/plik/x"},
        {"wynik/a/link/x/y", 0, ""},
        // A link that leads nowhere yet, where a folder is to be made.
        {"wynik/a/wiszacy/x", ENOTDIR, "wynik/a/wiszacy"},
    };
    for (const Przypadek& p : przypadki) {
        SCOPED_TRACE(p.sciezka);
        try {
            UtworzFoldery((folder / p.sciezka).string());
            EXPECT_EQ(p.numer, 0);
            EXPECT_TRUE(fs::is_directory(folder / p.sciezka));
        } catch (const BladPliku& blad) {
            EXPECT_EQ(blad.numer, p.numer);
            EXPECT_EQ(blad.nazwa, (folder / p.gdzie).string());
        }
    }
    // The link the user made, above what was missing, is theirs to follow.
    EXPECT_TRUE(fs::is_directory(folder / "obcy/x/y"));
    EXPECT_FALSE(fs::exists(folder / "gdzies"));
}

}  // namespace
}  // namespace pliki::test
