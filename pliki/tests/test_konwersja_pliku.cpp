#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/standardy.h"
#include "pliki/konwersja_pliku.h"
#include "pliki/przepisz.h"
#include "pliki/tests/test_pomoc.h"

namespace pliki::test {
namespace {

using namespace engine;

// Counts how often the output was about to be committed.
class NadzorZatwierdzen final : public engine::Postep {
public:
    void przedZatwierdzeniem() override { ++zatwierdzen; }
    int zatwierdzen = 0;
};

std::string powtorz(const std::string& tekst, int razy)
{
    std::string wynik;
    for (int i = 0; i < razy; ++i) {
        wynik += tekst;
    }
    return wynik;
}

const std::string ZDANIE_UTF8 = "Zażółć gęślą jaźń. ";
const std::string ZDANIE_WINDOWS = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1. ";
const std::string NAGLOWEK(ROZMIAR_KAWALKA, 'a');

// Each input a text of its own, ended and committed, with the result its messages need.
TEST(KonwersjaPliku, WynikIZawartosc)
{
    struct Przypadek {
        const char* opis;
        UstawieniaKonwersji ustawienia;
        std::vector<std::string> wejscia;
        std::string wyjscie;
        int zrodlo;
        std::optional<std::uint64_t> nieLitery;  // of the last input; none when not counted
        std::uint64_t przesuniecie;
        bool bezLiter;
    };
    const std::vector<Przypadek> przypadki = {
        {"litera ucięta na końcu tekstu",
         {UTF8_INDEX, WINDOWS_EE, false, ""},
         {"gęś\xC4"},
         "g\xEA\x9C\xC4",
         UTF8_INDEX,
         1,
         0,
         false},
        {"dwa wejścia nie sklejają litery",
         {UTF8_INDEX, WINDOWS_EE, false, ""},
         {"a\xC4", "\x85z"},
         "a\xC4\x85z",
         UTF8_INDEX,
         std::nullopt,
         0,
         false},
        {"rozpoznany po nagłówku ASCII",
         {std::nullopt, WINDOWS_EE, false, ""},
         {NAGLOWEK + powtorz(ZDANIE_UTF8, 30)},
         NAGLOWEK + powtorz(ZDANIE_WINDOWS, 30),
         UTF8_INDEX,
         0,
         ROZMIAR_KAWALKA,
         false},
        {"bez polskich liter",
         {std::nullopt, UTF8_INDEX, false, ""},
         {"tylko ASCII\n"},
         "tylko ASCII\n",
         UTF8_INDEX,
         0,
         12,
         true},
        {"inne znaki zostają, policzone",
         {WINDOWS_EE, ISO_LATIN_2, false, ""},
         {"\x84x\xB9\x94"},
         "\x84x\xB1\x94",
         WINDOWS_EE,
         2,
         0,
         false},
        {"CSK na stronie 437, każdy znak",
         {CSK, UTF8_INDEX, true, "IBM437"},
         {"\x80\xB0"},
         "Ą░",
         CSK,
         std::nullopt,
         0,
         false},
        {"rozpoznany z podstawą, każdy znak",
         {std::nullopt, UTF8_INDEX, true, "IBM437"},
         {NAGLOWEK + powtorz(ZDANIE_WINDOWS, 30) + "\x84"},
         NAGLOWEK + powtorz(ZDANIE_UTF8, 30) + "„",
         WINDOWS_EE,
         std::nullopt,
         ROZMIAR_KAWALKA,
         false},
        {"każdy znak",
         {WINDOWS_EE, ISO_LATIN_2, true, ""},
         {"\xB9 x"},
         "\xB1 x",
         WINDOWS_EE,
         std::nullopt,
         0,
         false},
    };
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        TymczasowyFolder folder;
        zapiszPlik(folder / "wy.txt", "stare");
        NadzorZatwierdzen postep;
        KonwersjaDoPliku konwersja((folder / "wy.txt").string(), przypadek.ustawienia, postep);
        std::optional<WynikKonwersji> wynik;
        for (std::size_t i = 0; i < przypadek.wejscia.size(); ++i) {
            const fs::path wejscie = folder / ("we" + std::to_string(i));
            zapiszPlik(wejscie, przypadek.wejscia[i]);
            wynik = konwersja.dodaj(wejscie.string());
        }
        EXPECT_EQ(czytajPlik(folder / "wy.txt"), "stare");
        konwersja.zatwierdz();
        EXPECT_EQ(postep.zatwierdzen, 1);
        EXPECT_EQ(czytajPlik(folder / "wy.txt"), przypadek.wyjscie);
        EXPECT_EQ(wynik->zrodlo, przypadek.zrodlo);
        EXPECT_EQ(wynik->przesuniecie, przypadek.przesuniecie);
        EXPECT_EQ(wynik->bezLiter(), przypadek.bezLiter);
        EXPECT_EQ(wynik->rozpoznanie.has_value(), !przypadek.ustawienia.zrodlo);
        EXPECT_EQ(wynik->nieLitery.has_value(), !przypadek.ustawienia.wszystkieZnaki);
        if (przypadek.nieLitery) {
            EXPECT_EQ(wynik->nieLitery->ile(), *przypadek.nieLitery);
        }
    }
}

// A refused or stopped conversion leaves the output as it was and commits nothing; the
// output is not created before its input is known good.
TEST(KonwersjaPliku, OdmowaZostawiaWyjscie)
{
    enum class Odmowa { WejscieJestWyjsciem, BrakWejscia, Zatrzymana, OdmowaWolajacego };
    struct Przypadek {
        const char* opis;
        std::string wejscie;
        UstawieniaKonwersji ustawienia;
        Odmowa odmowa;
        bool wolajacyPytany;
    };
    const std::vector<Przypadek> przypadki = {
        {"wejście prowadzi do wyjścia",
         "dowiazanie",
         {WINDOWS_EE, ISO_LATIN_2, false, ""},
         Odmowa::WejscieJestWyjsciem,
         false},
        {"brak wejścia", "nie ma", {WINDOWS_EE, ISO_LATIN_2, false, ""}, Odmowa::BrakWejscia, false},
        {"znak bez miejsca w celu", "we", {WINDOWS_EE, ISO_LATIN_2, true, ""}, Odmowa::Zatrzymana, true},
        {"wołający odmawia", "we", {WINDOWS_EE, ISO_LATIN_2, false, ""}, Odmowa::OdmowaWolajacego, true},
    };
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        TymczasowyFolder folder;
        zapiszPlik(folder / "we", "ab\x80");
        zapiszPlik(folder / "wy.txt", "stare");
        fs::create_symlink(folder / "wy.txt", folder / "dowiazanie");
        NadzorZatwierdzen postep;
        bool wolajacyPytany = false;
        const auto przedUtworzeniem = [&] {
            wolajacyPytany = true;
            EXPECT_EQ(wpisy(folder.sciezka()).size(), 3u);
            if (przypadek.odmowa == Odmowa::OdmowaWolajacego) {
                throw Odmowa::OdmowaWolajacego;
            }
        };
        const auto konwertuj = [&] {
            KonwertujPlik((folder / przypadek.wejscie).string(), (folder / "wy.txt").string(),
                          przypadek.ustawienia, postep, przedUtworzeniem);
        };
        switch (przypadek.odmowa) {
            case Odmowa::WejscieJestWyjsciem:
                EXPECT_THROW(konwertuj(), WejscieJestWyjsciem);
                break;
            case Odmowa::BrakWejscia:
                EXPECT_THROW(konwertuj(), BladPliku);
                break;
            case Odmowa::Zatrzymana:
                try {
                    konwertuj();
                    ADD_FAILURE() << "przekonwertowane";
                } catch (const ZatrzymanaKonwersja& stop) {
                    EXPECT_EQ(stop.stop.pozycja, 2u);
                    EXPECT_EQ(stop.zrodlo, WINDOWS_EE);
                }
                break;
            case Odmowa::OdmowaWolajacego:
                EXPECT_THROW(konwertuj(), Odmowa);
                break;
        }
        EXPECT_EQ(wolajacyPytany, przypadek.wolajacyPytany);
        EXPECT_EQ(postep.zatwierdzen, 0);
        EXPECT_EQ(czytajPlik(folder / "wy.txt"), "stare");
        EXPECT_EQ(wpisy(folder.sciezka()).size(), 3u);
    }
}

}  // namespace
}  // namespace pliki::test
