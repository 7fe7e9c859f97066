// The block conversion: a text fed in pieces of any size gives what the whole text gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/strumien.h"
#include "engine/tests/konwersja_bajtow.h"
#include "engine/tests/losowy_tekst.h"
#include "engine/tests/warianty.h"

namespace {

using namespace engine;
using test::losowyTekst;

std::string calosc(const std::string& tekst, int zrodlo, int cel)
{
    return engine::test::KonwertujBajty(tekst, zrodlo, cel);
}

// Into memory of exactly the room asked for, filled with lead bytes, which would join a
// second byte into a letter.
void doBufora(KonwersjaBlokowa& konwersja, std::string_view kawalek, std::string& wynik)
{
    std::vector<char> bufor(konwersja.najwiecejBajtow(kawalek.size()), '\xC4');
    wynik.append(bufor.data(), konwersja.konwertuj(kawalek, bufor.data()));
}

// Feeds the text in pieces whose sizes `rozmiar` draws.
template <class Rozmiar>
std::string wKawalkach(const std::string& tekst, int zrodlo, int cel, Rozmiar rozmiar)
{
    KonwersjaBlokowa konwersja(zrodlo, cel);
    std::string wynik;
    for (std::size_t p = 0; p < tekst.size();) {
        const std::size_t n = std::min<std::size_t>(rozmiar(), tekst.size() - p);
        const std::string_view kawalek(tekst.data() + p, n);
        doBufora(konwersja, kawalek, wynik);
        p += n;
    }
    return wynik + konwersja.zakoncz();
}

TEST(KonwersjaBlokowa, KazdaParaDajeToSamoCoCalyTekst)
{
    test::dlaKazdegoWariantu([] {
        std::mt19937 los(7);
        for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
            const std::string tekst = losowyTekst(zrodlo, 4000, static_cast<unsigned>(zrodlo));
            for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
                const std::string oczekiwany = calosc(tekst, zrodlo, cel);
                const std::string wynik = wKawalkach(tekst, zrodlo, cel, [&] { return 1 + los() % 300; });
                EXPECT_EQ(wynik, oczekiwany) << zrodlo << " -> " << cel;
            }
        }
    });
}

TEST(KonwersjaBlokowa, GranicaWewnatrzLiteryUtf8)
{
    // A cut inside "Ą" and one right after a lone C3 that the next piece does not finish;
    // a lead byte waiting before another lead byte, or before the end.
    for (const std::vector<std::string>& kawalki :
         std::vector<std::vector<std::string>>{{"x\xC4", "\x84y"},
                                               {"\xC3", "\xC3\xB3"},
                                               {"a\xC5"},
                                               {"\xC4", "\xC5", "\x84"},
                                               {"\xC4", "", "\x85"}}) {
        KonwersjaBlokowa konwersja(UTF8_INDEX, WINDOWS_EE);
        std::string wynik;
        std::string tekst;
        for (const std::string& kawalek : kawalki) {
            doBufora(konwersja, kawalek, wynik);
            tekst += kawalek;
        }
        EXPECT_EQ(wynik + konwersja.zakoncz(), calosc(tekst, UTF8_INDEX, WINDOWS_EE))
            << ::testing::PrintToString(tekst);
    }
    test::dlaKazdegoWariantu([] {
        for (std::size_t rozmiar = 1; rozmiar <= 7; ++rozmiar) {
            for (unsigned ziarno = 0; ziarno < 4; ++ziarno) {
                const std::string tekst = losowyTekst(UTF8_INDEX, 600, ziarno);
                for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
                    EXPECT_EQ(wKawalkach(tekst, UTF8_INDEX, cel, [&] { return rozmiar; }),
                              calosc(tekst, UTF8_INDEX, cel))
                        << "kawałki po " << rozmiar << ", cel " << cel;
                }
            }
        }
    });
}

TEST(KonwersjaBlokowa, DrugiBajtLiteryNigdyNieZaczynaInnej)
{
    // Holding back only a trailing lead byte is enough only while this holds.
    for (int p = 1; p <= LICZBA_LITER; ++p) {
        for (int q = 1; q <= LICZBA_LITER; ++q) {
            EXPECT_NE(Litera(UTF8_INDEX, p)[1], Litera(UTF8_INDEX, q)[0]) << p << ", " << q;
        }
    }
}

}  // namespace
