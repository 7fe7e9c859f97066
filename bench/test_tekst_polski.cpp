// The text the benchmarks measure on: what it holds, and that it never changes with the
// way it is asked for.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "bench/tekst_polski.h"
#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"

namespace {

using namespace engine;
using bench::GenerujTekst;
using bench::TekstPolski;

TEST(TekstPolski, TylkoAsciiILiteryWProporcji)
{
    const std::string tekst = GenerujTekst(std::size_t{4} << 20, WINDOWS_EE, 7);
    ASSERT_EQ(tekst.size(), std::size_t{4} << 20);
    std::array<std::size_t, 256> ile{};
    for (const char c : tekst) {
        ++ile[static_cast<unsigned char>(c)];
    }
    std::size_t litery = 0;
    for (int p = 1; p <= LICZBA_LITER; ++p) {
        const auto bajt = static_cast<unsigned char>(Litera(WINDOWS_EE, p)[0]);
        EXPECT_GT(ile[bajt], 0u) << "litera " << p;
        litery += ile[bajt];
    }
    std::size_t ascii = 0;
    for (int b = 0; b < 0x80; ++b) {
        ascii += ile[static_cast<std::size_t>(b)];
    }
    EXPECT_EQ(ascii + litery, tekst.size()) << "bajty spoza ASCII i liter";
    const double udzial = static_cast<double>(litery) / static_cast<double>(tekst.size());
    EXPECT_GT(udzial, 0.05);
    EXPECT_LT(udzial, 0.07);
    // Only CR LF breaks lines, and lines are short.
    std::size_t wiersz = 0;
    for (std::size_t i = 0; i < tekst.size(); ++i) {
        if (tekst[i] == '\r') {
            ASSERT_TRUE(i + 1 == tekst.size() || tekst[i + 1] == '\n') << i;
        } else if (tekst[i] == '\n') {
            ASSERT_TRUE(i > 0 && tekst[i - 1] == '\r') << i;
            wiersz = 0;
        } else {
            ASSERT_TRUE(tekst[i] == ' ' || static_cast<unsigned char>(tekst[i]) > ' ') << i;
            ASSERT_LE(++wiersz, 80u) << i;
        }
    }
    EXPECT_GT(ile[static_cast<unsigned char>(',')], 0u);
    EXPECT_GT(ile[static_cast<unsigned char>('.')], 0u);
}

TEST(TekstPolski, KawalkamiTakSamoJakWCalosci)
{
    std::mt19937 los(3);
    for (const int standard : {WINDOWS_EE, UTF8_INDEX, MAZOVIA, BRAK}) {
        const std::string calosc = GenerujTekst(300000, standard, 5);
        ASSERT_EQ(calosc.size(), 300000u);
        TekstPolski generator(standard, 5);
        std::string wKawalkach;
        while (wKawalkach.size() < calosc.size()) {
            std::string kawalek;
            generator.dopisz(kawalek,
                             std::min<std::size_t>(los() % 70000, calosc.size() - wKawalkach.size()));
            wKawalkach += kawalek;
        }
        generator.zakoncz(wKawalkach);
        EXPECT_TRUE(wKawalkach == calosc) << standard;
    }
    EXPECT_EQ(GenerujTekst(1000, WINDOWS_EE, 5), GenerujTekst(1000, WINDOWS_EE, 5));
    EXPECT_NE(GenerujTekst(1000, WINDOWS_EE, 5), GenerujTekst(1000, WINDOWS_EE, 6));
    EXPECT_EQ(GenerujTekst(0, UTF8_INDEX), "");
}

TEST(TekstPolski, KazdyStandardToTenSamTekstPrzekonwertowany)
{
    const std::string windows = GenerujTekst(200000, WINDOWS_EE, 9);
    for (int standard = 0; standard < LICZBA_STANDARDOW; ++standard) {
        const std::string oczekiwany = engine::test::KonwertujBajty(windows, WINDOWS_EE, standard);
        const std::string tekst = GenerujTekst(oczekiwany.size(), standard, 9);
        EXPECT_TRUE(tekst == oczekiwany) << standard;
    }
}

TEST(TekstPolski, PrzecietaLiteraUtf8StajeSieSpacja)
{
    // Find a length that ends inside a letter: its lead byte must not stay behind alone.
    const std::string pelny = GenerujTekst(5000, UTF8_INDEX, 2);
    std::size_t przeciecie = 0;
    for (std::size_t i = 0; i + 1 < pelny.size() && przeciecie == 0; ++i) {
        if (static_cast<unsigned char>(pelny[i]) >= 0xC3 && static_cast<unsigned char>(pelny[i]) <= 0xC5) {
            przeciecie = i + 1;
        }
    }
    ASSERT_GT(przeciecie, 0u);
    const std::string krotki = GenerujTekst(przeciecie, UTF8_INDEX, 2);
    ASSERT_EQ(krotki.size(), przeciecie);
    EXPECT_EQ(krotki.back(), ' ');
    EXPECT_EQ(krotki.substr(0, przeciecie - 1), pelny.substr(0, przeciecie - 1));
    EXPECT_THROW(TekstPolski(18), std::out_of_range);
}

}  // namespace
