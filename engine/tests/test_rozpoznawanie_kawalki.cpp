// The recognition of a text that arrives in pieces: any cut, and any variant of the pass,
// gives the very verdict the whole text gets.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/przebieg.h"
#include "engine/rozpoznawanie.h"
#include "engine/standardy.h"
#include "engine/tests/sprawdz_rozpoznanie.h"
#include "engine/tests/wymuszany_wariant.h"

namespace engine {
namespace {

using namespace std::string_literals;
using namespace engine::test;

TEST(Rozpoznawanie, KawalkiDajaToSamoCoCalosc)
{
    // Cuts inside UTF-8 letters, inside longer UTF-8 characters and at their edges.
    const std::string tekst =
        ZDANIA + "Ж ж 中文 😀 \xC4 \xC5\x82\xC5"s + konwertuj(ZDANIA, UTF8_INDEX, 1) + "\xF0\x9F";
    const Rozpoznanie calosc = RozpoznajStandard(tekst);
    std::mt19937 los(7);
    for (std::size_t staly = 1; staly <= 8; ++staly) {
        for (int losowo = 0; losowo < 2; ++losowo) {
            SCOPED_TRACE(std::to_string(staly) + (losowo ? " losowo" : ""));
            Rozpoznawacz rozpoznawacz;
            for (std::size_t od = 0; od < tekst.size();) {
                const std::size_t ile =
                    losowo ? std::uniform_int_distribution<std::size_t>(0, 2 * staly)(los) : staly;
                rozpoznawacz.dodaj(std::string_view(tekst).substr(od, ile));
                od += ile;
            }
            oczekujTegoSamego(rozpoznawacz.wynik(), calosc);
        }
    }
}

// Every vector pass finds the bytes a byte-by-byte reading finds: text fed one byte at a
// time never reaches the vector pass. A UTF-8 letter is counted with its second byte, also
// where the two stand in two blocks of the pass, or in two pieces.
TEST(Rozpoznawanie, PrzebiegiWektoroweJakBajtPoBajcie)
{
    std::string dlugi;
    for (int i = 0; i < 40; ++i) {
        dlugi += ZDANIA + "caf\xC3\xA9 \xE2\x80\x94 \xC5";
    }
    std::vector<std::pair<std::string, std::string>> teksty = {
        {"UTF-8", dlugi},
        {"Mazovia", konwertuj(dlugi, UTF8_INDEX, standard("Mazovia"))},
        {"Windows-EE", konwertuj(dlugi, UTF8_INDEX, standard("Windows-EE"))},
    };
    // A letter on each side of each edge of a block.
    for (std::size_t przesuniecie = 60; przesuniecie <= 66; ++przesuniecie) {
        teksty.emplace_back("ASCII " + std::to_string(przesuniecie), std::string(przesuniecie, 'a') + dlugi);
    }
    for (const auto& [opis, tekst] : teksty) {
        Rozpoznawacz bajtPoBajcie;
        for (const char znak : tekst) {
            bajtPoBajcie.dodaj(std::string_view(&znak, 1));
        }
        const Rozpoznanie wzor = bajtPoBajcie.wynik();
        for (const Wariant wariant : DostepneWarianty()) {
            SCOPED_TRACE(opis + " " + std::string(NazwaWariantu(wariant)));
            const WymuszonyWariant wymuszony(wariant);
            oczekujTegoSamego(RozpoznajStandard(tekst), wzor);
            // Pieces that end inside letters and inside blocks.
            Rozpoznawacz kawalkami;
            for (std::size_t od = 0; od < tekst.size(); od += 4097) {
                kawalkami.dodaj(std::string_view(tekst).substr(od, 4097));
            }
            oczekujTegoSamego(kawalkami.wynik(), wzor);
        }
    }
}

TEST(Rozpoznawanie, WynikNieKonczyTekstu)
{
    // "ł" in UTF-8 cut in two: the first half alone is no letter, both halves are.
    Rozpoznawacz rozpoznawacz;
    rozpoznawacz.dodaj("Ca\xC5");
    EXPECT_NE(rozpoznawacz.wynik().standard(), UTF8_INDEX);
    rozpoznawacz.dodaj("\x82y dzie\xC5\x84 by\xC5\x82o ciep\xC5\x82o");
    EXPECT_EQ(rozpoznawacz.wynik().standard(), UTF8_INDEX);
    EXPECT_EQ(rozpoznawacz.wynik().werdykt, Werdykt::Rozpoznany);
}

// The case of a word counts by the word before it, up to 32 bytes back, also where that
// stands in earlier pieces; and a verdict taken inside a word leaves the word open.
TEST(Rozpoznawanie, SlowoPrzedSlowemWKawalkach)
{
    const int csk = standard("CSK");
    const auto tekst = [&](const std::string& przed, std::size_t spacji) {
        return konwertuj(przed + std::string(spacji, ' ') + "środowisku ŚRODOWISKO", UTF8_INDEX, csk);
    };
    for (const std::string przed : {"Zamieszanie", "ZMIENNE.", "w\n", "", "ściągi"}) {
        for (std::size_t spacji = 1; spacji <= 40; spacji += 3) {
            SCOPED_TRACE(przed + " " + std::to_string(spacji));
            const std::string calyTekst = tekst(przed, spacji);
            const Rozpoznanie calosc = RozpoznajStandard(calyTekst);
            for (std::size_t dlugosc = 1; dlugosc <= 9; ++dlugosc) {
                Rozpoznawacz kawalkami;
                for (std::size_t od = 0; od < calyTekst.size(); od += dlugosc) {
                    kawalkami.dodaj(std::string_view(calyTekst).substr(od, dlugosc));
                }
                oczekujTegoSamego(kawalkami.wynik(), calosc);
            }
        }
    }
    // The word before is seen at one space, not beyond 32 bytes.
    EXPECT_NE(RozpoznajStandard(tekst("Zamieszanie", 1)).ranking.front().wynik,
              RozpoznajStandard(tekst("Zamieszanie", 40)).ranking.front().wynik);

    Rozpoznawacz rozpoznawacz;
    const std::string uciety = konwertuj("lecz moż", UTF8_INDEX, csk);
    rozpoznawacz.dodaj(uciety);
    EXPECT_TRUE(konwertujaTakSamo(uciety, rozpoznawacz.wynik().standard(), csk));
    rozpoznawacz.dodaj("liwe");
    oczekujTegoSamego(rozpoznawacz.wynik(), RozpoznajStandard(konwertuj("lecz możliwe", UTF8_INDEX, csk)));
}

}  // namespace
}  // namespace engine
