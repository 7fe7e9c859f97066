#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>
#include <stop_token>
#include <string>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "engine/tests/tekst_windows1250.h"
#include "jobs/rozpoznanie_zrodla.h"
#include "pliki/przepisz.h"
#include "pliki/rozpoznany_poczatek.h"

namespace jobs {
namespace {

using namespace engine;

const std::string PROZA =
    "Stary plik z tekstem leżał na dyskietce przez wiele lat. Źródłem kłopotów były ogonki: każdy "
    "program zapisywał je po swojemu, więc zdanie „zażółć gęślą jaźń” wyglądało za każdym razem "
    "inaczej. Łódź, Gdańsk i Kraków mają w nazwach polskie litery.";
// Only ł ż ń ę ć Ż: Windows-EE and ISO-Latin-2 write these alike, and none of their UTF-8
// bytes is a Windows-EE letter.
const std::string BEZ_A_S_Z =
    "Ten biały kot leżał cały dzień przy piecu, a dzieci chciały się z nim bawić. Żelazny piec "
    "grzał, w kuchni pachniało chlebem i miodem. Gęsi gęgały w szopie, psy leżały w sieni, koń "
    "żuł siano. Wieczorem wszyscy zjedli kolację i poszli spać, bo jutro czeka ich praca w polu.";

std::string wStandardzie(const std::string& utf8, int standard)
{
    return engine::test::KonwertujBajty(utf8, UTF8_INDEX, standard);
}

class RozpoznaniePliku : public testing::Test {
protected:
    QTemporaryDir folder;

    QString zapisz(const char* nazwa, const std::string& tresc)
    {
        const QString sciezka = folder.filePath(QString::fromUtf8(nazwa));
        QFile plik(sciezka);
        EXPECT_TRUE(plik.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(plik.write(tresc.data(), static_cast<qint64>(tresc.size())),
                  static_cast<qint64>(tresc.size()));
        return sciezka;
    }
};

// What is no regular file with something in it is not opened, so nothing waits on it.
TEST_F(RozpoznaniePliku, CzytaTylkoZwyklePliki)
{
    const QString potok = folder.filePath(QStringLiteral("potok"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(potok).constData(), 0600), 0);
    struct Przypadek {
        const char* opis;
        QString sciezka;
        const char* uwaga;
    };
    const Przypadek przypadki[] = {
        {"pusty plik", zapisz("pusty.txt", ""), "Plik jest pusty"},
        {"folder", folder.path(), "folder"},
        {"potok bez piszącego", potok, "potok (FIFO)"},
        {"urządzenie bez końca", QStringLiteral("/dev/zero"), "urządzenie"},
        {"brak pliku", folder.filePath(QStringLiteral("brak.txt")), "nie istnieje"},
        {"plik w miejscu folderu", zapisz("plik.txt", "x") + QStringLiteral("/a.txt"), "nie jest folderem"},
    };
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        const WynikRozpoznania wynik = RozpoznajPlik(przypadek.sciezka, WINDOWS_EE);
        EXPECT_FALSE(wynik.rozpoznanie.has_value());
        EXPECT_TRUE(wynik.uwaga.contains(QString::fromUtf8(przypadek.uwaga))) << wynik.uwaga.toStdString();
        EXPECT_EQ(StandardDoWybrania(wynik), std::nullopt);
        EXPECT_EQ(OpisRozpoznania(wynik, true, std::nullopt), wynik.uwaga);
    }
}

// A plain header before the letters is read through as the command line reads it, up to
// GRANICA_ASCII; one as long as all the window reads stops the reading.
TEST_F(RozpoznaniePliku, DlugiNaglowekAscii)
{
    const std::string mazovia = wStandardzie(PROZA, MAZOVIA);
    for (const std::size_t naglowek :
         {std::size_t{0}, GRANICA_ASCII - 4096, GRANICA_ASCII + pliki::ROZPOZNAWANY_POCZATEK}) {
        SCOPED_TRACE(naglowek);
        const QString sciezka = zapisz("naglowek.txt", std::string(naglowek, ' ') + mazovia);
        const WynikRozpoznania wynik = RozpoznajPlik(sciezka, WINDOWS_EE);
        if (naglowek > GRANICA_ASCII) {
            EXPECT_FALSE(wynik.rozpoznanie.has_value());
            EXPECT_TRUE(wynik.uwaga.contains(QStringLiteral("Pierwsze 16 MB"))) << wynik.uwaga.toStdString();
            continue;
        }
        pliki::PlikWejsciowy wejscie(QFile::encodeName(sciezka).toStdString());
        pliki::RozpoznanyPoczatek wierszPolecen(wejscie);
        wierszPolecen.rozpoznaj();
        ASSERT_TRUE(wynik.rozpoznanie.has_value());
        EXPECT_EQ(wynik.rozpoznanie->werdykt, wierszPolecen.rozpoznanie().werdykt);
        EXPECT_EQ(wynik.rozpoznanie->standard(), wierszPolecen.rozpoznanie().standard());
        EXPECT_EQ(StandardDoWybrania(wynik), MAZOVIA);
    }

    std::stop_source zatrzymanie;
    zatrzymanie.request_stop();
    const WynikRozpoznania przerwany =
        RozpoznajPlik(zapisz("krotki.txt", mazovia), WINDOWS_EE, zatrzymanie.get_token());
    EXPECT_FALSE(przerwany.rozpoznanie.has_value());
}

// "-" is a file in the current folder here too, never standard input.
TEST_F(RozpoznaniePliku, MinusJestPlikiem)
{
    zapisz("-", wStandardzie(PROZA, MAZOVIA));
    const QString biezacy = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const WynikRozpoznania wynik = RozpoznajPlik(QStringLiteral("-"), WINDOWS_EE);
    QDir::setCurrent(biezacy);
    EXPECT_EQ(StandardDoWybrania(wynik), MAZOVIA) << wynik.uwaga.toStdString();
}

// The list keeps a standard that converts the text as the recognised one does.
TEST_F(RozpoznaniePliku, ZostawiaStandardDajacyToSamo)
{
    struct Przypadek {
        const char* opis;
        const std::string& tekst;
        int prawdziwy;
        int obecny;
        std::optional<int> wybrany;
        const char* opisWyniku;
    };
    const Przypadek przypadki[] = {
        {"DHN czytany jako Cyfromat", PROZA, DHN, DHN, std::nullopt,
         "Rozpoznany standard: Cyfromat. Wybrany DHN"},
        {"Mazovia", PROZA, MAZOVIA, WINDOWS_EE, MAZOVIA, "Rozpoznany standard: Mazovia."},
        {"ISO-Latin-2 z ą, ś i ź", PROZA, ISO_LATIN_2, WINDOWS_EE, ISO_LATIN_2,
         "Rozpoznany standard: ISO-Latin-2."},
        {"Windows-EE bez ą, ś i ź", BEZ_A_S_Z, WINDOWS_EE, WINDOWS_EE, std::nullopt, "daje ten sam wynik"},
        {"UTF-8 bez bajtów liter Windows-EE", BEZ_A_S_Z, UTF8_INDEX, WINDOWS_EE, UTF8_INDEX,
         "standard: UTF-8."},
    };
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        const WynikRozpoznania wynik = RozpoznajPlik(
            zapisz("tekst.txt", wStandardzie(przypadek.tekst, przypadek.prawdziwy)), przypadek.obecny);
        ASSERT_TRUE(wynik.rozpoznanie.has_value());
        EXPECT_EQ(wynik.rozpoznanie->werdykt, Werdykt::Rozpoznany);
        EXPECT_EQ(StandardDoWybrania(wynik), przypadek.wybrany);
        const QString opis = OpisRozpoznania(wynik, true, std::nullopt);
        EXPECT_TRUE(opis.contains(QString::fromUtf8(przypadek.opisWyniku))) << opis.toStdString();
    }
}

// The list's own standard is a prior: a text that reads as ordinary Polish in it keeps it,
// also with a foreign word; an uncertain verdict without it moves the list to the
// likeliest. Each reason is told in the tooltip.
TEST(WyborZrodla, ListaJakoPrior)
{
    using Powod = WyborZrodla::Powod;
    struct Przypadek {
        const char* opis;
        std::string bajty;
        int obecny;
        Powod powod;
        std::optional<int> wybrany;
        const char* wOpisie;
    };
    const auto wWindows1250 = [](const char* utf8) { return wStandardzie(utf8, WINDOWS_EE); };
    const Przypadek przypadki[] = {
        {"Mazovia", wStandardzie(PROZA, MAZOVIA), WINDOWS_EE, Powod::Rozpoznany, MAZOVIA,
         "Rozpoznany standard: Mazovia."},
        {"Mazovia, na liście brak", wStandardzie(PROZA, MAZOVIA), BRAK, Powod::Rozpoznany, MAZOVIA,
         "Rozpoznany standard: Mazovia."},
        {"jedno słowo w Mazovii", wStandardzie("może", MAZOVIA), WINDOWS_EE, Powod::NajbardziejPrawdopodobny,
         MAZOVIA, "Windows-EE do nich nie należy, więc wybrany jest najbardziej prawdopodobny: Mazovia."},
        {"obce słowo", "No\xEBl", WINDOWS_EE, Powod::NicDoWyboru, std::nullopt,
         "nie da się rozpoznać na pewno"},
        {"czeskie słowo", "\x9Elu\x9Dou\xE8k\xFD", WINDOWS_EE, Powod::ZwyczajnyTekst, std::nullopt,
         "Zostaje Windows-EE: tekst czyta się w nim zwyczajnie."},
        {"rzadkie nazwisko", wWindows1250("Pan Fąfara mawiał: kto rano wstaje, temu Pan Bóg daje."),
         WINDOWS_EE, Powod::ZwyczajnyTekst, std::nullopt, "Zostaje Windows-EE"},
    };
    for (const Przypadek& p : przypadki) {
        SCOPED_TRACE(p.opis);
        const WynikRozpoznania wynik =
            RozpoznajTekst(QString::fromStdU16String(DekodujWindows1250(p.bajty)), p.obecny);
        const WyborZrodla wybor = WybierzZrodlo(wynik);
        EXPECT_EQ(static_cast<int>(wybor.powod), static_cast<int>(p.powod));
        EXPECT_EQ(wybor.standard, p.wybrany);
        const QString opis = OpisRozpoznania(wynik, false, std::nullopt);
        EXPECT_TRUE(opis.contains(QString::fromUtf8(p.wOpisie))) << opis.toStdString();
    }
}

}  // namespace
}  // namespace jobs
