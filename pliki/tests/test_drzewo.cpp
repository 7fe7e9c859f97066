// Trees for a batch: names a case-blind file system takes for one, inputs replaced after the
// walk, folders made below a link.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/postep.h"
#include "pliki/drzewo.h"
#include "pliki/katalog.h"
#include "pliki/tests/test_pomoc.h"
#include "pliki/wejscie.h"

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

// Each way of putting something else in a walked file's place is refused, and fast: a pipe
// is not waited for. The file left as it was is read.
TEST(Drzewo, PodmienionePoPrzejsciuOdrzucone)
{
    TymczasowyFolder folder;
    zapiszPlik(folder / "tajne", "TAJNE");
    fs::create_directories(folder / "obcy");
    zapiszPlik(folder / "obcy/plik", "TAJNE");
    const std::vector<std::string> nazwy = {"zostaje", "dowiazanie", "potok",
                                            "inny",    "znikniety",  "folder/plik"};
    for (const std::string& nazwa : nazwy) {
        fs::create_directories((folder / "drzewo" / nazwa).parent_path());
        zapiszPlik(folder / "drzewo" / nazwa, "jawne");
    }
    const Drzewo drzewo = PrzejdzDrzewo((folder / "drzewo").string());
    ASSERT_TRUE(drzewo.bledy.empty());
    ASSERT_EQ(drzewo.pliki.size(), nazwy.size());

    fs::remove(folder / "drzewo/dowiazanie");
    fs::create_symlink(folder / "tajne", folder / "drzewo/dowiazanie");
    fs::remove(folder / "drzewo/potok");
    ASSERT_EQ(::mkfifo((folder / "drzewo/potok").c_str(), 0600), 0);
    fs::rename(folder / "tajne", folder / "drzewo/inny");
    fs::remove(folder / "drzewo/znikniety");
    fs::remove_all(folder / "drzewo/folder");
    fs::create_directory_symlink(folder / "obcy", folder / "drzewo/folder");

    for (const PlikDrzewa& plik : drzewo.pliki) {
        const std::string nazwa = plik.sciezka.substr((folder / "drzewo/").string().size());
        SCOPED_TRACE(nazwa);
        try {
            PlikWejsciowy wejscie(plik.sciezka, plik.znany);
            std::string tekst;
            wejscie.czytaj(tekst, 100, znakomat::BezPostepu());
            EXPECT_EQ(nazwa, "zostaje");
            EXPECT_EQ(tekst, "jawne");
        } catch (const BladPliku& blad) {
            EXPECT_NE(nazwa, "zostaje");
            EXPECT_EQ(blad.numer, nazwa == "znikniety" ? ENOENT : ESTALE);
        }
    }
}

// Folders made below a folder that exists, but never through a link the path meets below it.
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
