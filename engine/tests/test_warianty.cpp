// The byte pass's variants against each other and against a literal reading of the
// tables: letters at every place of a vector block, tables no pair of standards gives, and
// which variants can be chosen.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/konwersja.h"
#include "engine/przebieg.h"
#include "engine/standardy.h"
#include "engine/tests/model_konwersji.h"
#include "engine/tests/warianty.h"
#include "engine/tests/wymuszany_wariant.h"

namespace engine {
namespace {

using test::dlaKazdegoWariantu;
using test::modelKonwersji;
using ::testing::PrintToString;

// A letter at every position of the first blocks of the vector passes (16, 32 and 64 bytes),
// alone or at the start of a run of letters, so that a letter of two bytes lies across every
// block boundary and the text ends in every way, a lone first byte included. Every variant,
// in place and into new memory, gives what the model gives.
TEST(Warianty, LiteraNaKazdejPozycjiBloku)
{
    constexpr std::array<std::pair<int, int>, 9> pary = {{{UTF8_INDEX, WINDOWS_EE},
                                                          {UTF8_INDEX, 0},
                                                          {UTF8_INDEX, MAZOVIA},
                                                          {WINDOWS_EE, UTF8_INDEX},
                                                          {0, UTF8_INDEX},
                                                          {WINDOWS_EE, CYFROMAT},
                                                          {WFN, IBM_LATIN_2},
                                                          {MAZOVIA, WINDOWS_EE},
                                                          {0, ISO_LATIN_2}}};
    // (length of the text, letters in the run)
    constexpr std::array<std::pair<std::size_t, int>, 6> ksztalty = {
        {{63, 1}, {65, 1}, {130, 1}, {66, 3}, {129, 40}, {200, 70}}};
    for (const auto& [zrodlo, cel] : pary) {
        for (const auto& [dlugosc, ile] : ksztalty) {
            std::vector<std::string> teksty;
            std::vector<std::string> oczekiwane;
            for (std::size_t pozycja = 0; pozycja < dlugosc; ++pozycja) {
                std::string tekst(pozycja, 'x');
                for (int k = 0; k < ile && tekst.size() < dlugosc; ++k) {
                    tekst += Litera(zrodlo, (static_cast<int>(pozycja) + k) % LICZBA_LITER + 1);
                }
                tekst.resize(dlugosc, 'y');
                oczekiwane.push_back(modelKonwersji(tekst, zrodlo, cel));
                teksty.push_back(std::move(tekst));
            }
            dlaKazdegoWariantu([&] {
                const PrzygotowanaKonwersja konwersja(zrodlo, cel);
                for (std::size_t i = 0; i < teksty.size(); ++i) {
                    SCOPED_TRACE(std::to_string(zrodlo) + " -> " + std::to_string(cel) + ", " +
                                 PrintToString(teksty[i]));
                    std::string wMiejscu = teksty[i];
                    konwersja.konwertujWMiejscu(wMiejscu);
                    ASSERT_EQ(wMiejscu, oczekiwane[i]);
                    std::vector<char> miejsce(konwersja.najwiecejBajtow(teksty[i].size()));
                    const std::size_t n = konwersja.konwertuj(teksty[i], miejsce.data());
                    ASSERT_EQ(std::string(miejsce.data(), n), oczekiwane[i]);
                }
            });
            ASSERT_FALSE(HasFatalFailure());
        }
    }
}

// Tables that no pair of standards gives, for the paths the standards leave unused: changes
// in every row of sixteen, letters below 80, pairs whose second byte is low or starts a pair
// itself, and more rows of pairs than the vector lookup keeps. Every variant's pass gives
// what a literal reading of the tables gives, in place where the pass allows it.
TablicePrzebiegu jednobajtowe(std::mt19937& los, int ileLiter, bool wysokie, int szerCelu)
{
    TablicePrzebiegu t;
    t.szerCelu = szerCelu;
    for (int b = 0; b < 256; ++b) {
        t.mapa[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
    }
    for (int i = 0; i < ileLiter; ++i) {
        // One letter in each row in turn, so that many rows hold one.
        const auto b = static_cast<std::size_t>((wysokie ? 0x80 + i * 16 % 128 : i * 16 % 256) + los() % 16);
        t.litera[b] = static_cast<std::uint8_t>(i % LICZBA_LITER + 1);
        t.mapa[b] = static_cast<std::uint8_t>(los());
        t.drugi[b] = szerCelu == 2 ? static_cast<std::uint8_t>(0x80 | los()) : 0;
    }
    t.rodzaj = wysokie ? PoczatekLitery::Wysoki : PoczatekLitery::Kazdy;
    t.przygotujWiersze();
    return t;
}

// Pairs as {first, second}; letters numbered in order.
TablicePrzebiegu zPar(std::mt19937& los, const std::vector<std::pair<int, int>>& pary)
{
    TablicePrzebiegu t;
    t.szerZrodla = 2;
    int najmniejszy = 0xFF;
    int litera = 0;
    for (const auto& [pierwszy, drugi] : pary) {
        std::uint8_t& wiersz = t.wiersz[static_cast<std::size_t>(pierwszy)];
        if (wiersz == 0) {
            t.pary.emplace_back();
            wiersz = static_cast<std::uint8_t>(t.pary.size());
        }
        litera = litera % LICZBA_LITER + 1;
        t.pary[wiersz - 1u][static_cast<std::size_t>(drugi)] = static_cast<std::uint8_t>(litera);
        t.zamiany[static_cast<std::size_t>(litera)] = {static_cast<std::uint8_t>(los()), 0};
        najmniejszy = std::min(najmniejszy, pierwszy);
    }
    t.rodzaj = najmniejszy >= 0xC0   ? PoczatekLitery::Wiodacy
               : najmniejszy >= 0x80 ? PoczatekLitery::Wysoki
                                     : PoczatekLitery::Kazdy;
    t.przygotujWiersze();
    return t;
}

std::string literalnie(const TablicePrzebiegu& t, const std::string& tekst)
{
    std::string wynik;
    for (std::size_t p = 0; p < tekst.size(); ++p) {
        const auto b = static_cast<std::uint8_t>(tekst[p]);
        if (t.szerZrodla == 2) {
            const int litera =
                p + 1 < tekst.size() ? t.literaPary(b, static_cast<std::uint8_t>(tekst[p + 1])) : 0;
            wynik += litera == 0 ? static_cast<char>(b)
                                 : static_cast<char>(t.zamiany[static_cast<std::size_t>(litera)][0]);
            p += litera != 0;
            continue;
        }
        wynik += static_cast<char>(t.mapa[b]);
        if (t.szerCelu == 2 && t.litera[b] != 0) {
            wynik += static_cast<char>(t.drugi[b]);
        }
    }
    return wynik;
}

TEST(Warianty, TabliceSpozaStandardow)
{
    std::mt19937 los(24);
    const std::vector<std::pair<std::string, TablicePrzebiegu>> przypadki = {
        {"a change in each of 16 rows", jednobajtowe(los, 16, false, 1)},
        {"every byte a letter", jednobajtowe(los, 256, false, 1)},
        {"8 high rows", jednobajtowe(los, 18, true, 1)},
        {"widening from 16 rows", jednobajtowe(los, 18, false, 2)},
        {"widening from 8 high rows", jednobajtowe(los, 40, true, 2)},
        {"one row of pairs", zPar(los, {{0xC4, 0x85}, {0xC4, 0xBF}, {0xC4, 0xFF}})},
        {"four rows of pairs",
         zPar(los, {{0xC2, 0x80}, {0xD0, 0xA0}, {0xE1, 0xFE}, {0xFF, 0x81}, {0xFF, 0xFD}})},
        {"five rows of pairs",
         zPar(los, {{0xC1, 0x80}, {0xC2, 0x90}, {0xC3, 0xA0}, {0xC4, 0xB0}, {0xC5, 0xC0}})},
        {"a low second byte", zPar(los, {{0xC4, 0x41}, {0xC5, 0x85}})},
        {"a second byte that starts a pair", zPar(los, {{0xC4, 0xC5}, {0xC5, 0xC4}, {0xC5, 0x85}})},
        {"pairs of low bytes", zPar(los, {{0x41, 0x42}, {0x42, 0x41}, {0x80, 0x41}})},
        {"more pairs in a row than a hash of 32 places keeps apart",
         zPar(los,
              [] {
                  std::vector<std::pair<int, int>> pary;
                  for (int drugi = 0x80; drugi <= 0xA0; ++drugi) {
                      pary.emplace_back(0xC4, drugi);
                  }
                  return pary;
              }())},
    };
    // Texts of the bytes the tables hold, a few others, in every length around the blocks.
    std::vector<std::string> teksty;
    for (const std::size_t dlugosc : {0u, 1u, 2u, 31u, 63u, 64u, 65u, 66u, 127u, 129u, 1000u}) {
        for (int i = 0; i < 3; ++i) {
            std::string tekst;
            for (std::size_t k = 0; k < dlugosc; ++k) {
                constexpr std::string_view czeste = "\x41\x42\x80\x81\x85\x90\xA0\xBF\xC4\xC5\xFF\xFE x";
                tekst += los() % 3 == 0 ? static_cast<char>(los()) : czeste[los() % czeste.size()];
            }
            teksty.push_back(std::move(tekst));
        }
    }
    for (const auto& [opis, t] : przypadki) {
        SCOPED_TRACE(opis);
        for (const Wariant wariant : DostepneWarianty()) {
            SCOPED_TRACE(std::string(NazwaWariantu(wariant)));
            const Przebiegi& przebiegi = PrzebiegiWariantu(wariant);
            for (const std::string& tekst : teksty) {
                const std::string oczekiwany = literalnie(t, tekst);
                const std::vector<std::uint8_t> z(tekst.begin(), tekst.end());
                std::vector<std::uint8_t> w(2 * z.size() + ZAPAS_ZAPISU);
                std::vector<std::uint8_t> wMiejscu = z;
                std::size_t n = z.size();
                if (t.szerZrodla == 2) {
                    n = przebiegi.zPar(z.data(), z.size(), w.data(), false, t);
                    wMiejscu.resize(przebiegi.zPar(wMiejscu.data(), z.size(), wMiejscu.data(), true, t));
                } else if (t.szerCelu == 2) {
                    n = przebiegi.poszerz(z.data(), z.size(), w.data(), t);
                    wMiejscu.assign(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(n));
                } else {
                    przebiegi.zamien(z.data(), z.size(), w.data(), t);
                    przebiegi.zamien(wMiejscu.data(), z.size(), wMiejscu.data(), t);
                }
                ASSERT_EQ(std::string(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(n)), oczekiwany)
                    << PrintToString(tekst);
                ASSERT_EQ(std::string(wMiejscu.begin(), wMiejscu.end()), oczekiwany) << PrintToString(tekst);
            }
        }
    }
}

TEST(Warianty, ZwyklyZawszeIKazdyDostepnyDaSieWymusic)
{
    ASSERT_FALSE(DostepneWarianty().empty());
    EXPECT_EQ(DostepneWarianty().front(), Wariant::Zwykly);
    EXPECT_EQ(BiezacyWariant(), DostepneWarianty().back());
    for (const Wariant wariant :
         {Wariant::Zwykly, Wariant::Sse2, Wariant::Ssse3, Wariant::Avx2, Wariant::Avx512Vbmi}) {
        const bool dostepny = std::find(DostepneWarianty().begin(), DostepneWarianty().end(), wariant) !=
                              DostepneWarianty().end();
        if (dostepny) {
            WymusWariant(wariant);
            EXPECT_EQ(BiezacyWariant(), wariant);
        } else {
            EXPECT_THROW(WymusWariant(wariant), std::invalid_argument) << NazwaWariantu(wariant);
        }
    }
    WymusWariant(std::nullopt);
    EXPECT_EQ(BiezacyWariant(), DostepneWarianty().back());
}

}  // namespace
}  // namespace engine
