#pragma once

// What the recognition's tests check every verdict by, and the text they start from.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "engine/rozpoznawanie.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"

namespace engine::test {

inline int standard(std::string_view nazwa)
{
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        if (Standardy(i).Nazwa == nazwa) {
            return i;
        }
    }
    throw std::invalid_argument("nieznany standard " + std::string(nazwa));
}

inline std::string konwertuj(std::string tekst, int zrodlo, int cel)
{
    return KonwertujBajty(std::move(tekst), zrodlo, cel);
}

// Right when the text reads the same from both: converted to UTF-8, where every letter is
// a pair no single byte can be, and to Windows-EE, where a UTF-8 source differs too.
inline bool konwertujaTakSamo(const std::string& tekst, int jeden, int drugi)
{
    const int windows = standard("Windows-EE");
    return jeden == drugi || (konwertuj(tekst, jeden, UTF8_INDEX) == konwertuj(tekst, drugi, UTF8_INDEX) &&
                              konwertuj(tekst, jeden, windows) == konwertuj(tekst, drugi, windows));
}

inline std::string nazwa(int indeks)
{
    return std::string(Standardy(indeks).Nazwa);
}

// What every verdict promises, whatever the text.
inline void sprawdzUklad(const std::string& tekst, const Rozpoznanie& r)
{
    ASSERT_EQ(r.ranking.size(), static_cast<std::size_t>(LICZBA_STANDARDOW - 1));
    std::set<int> standardy;
    for (std::size_t i = 0; i < r.ranking.size(); ++i) {
        standardy.insert(r.ranking[i].standard);
        EXPECT_NE(r.ranking[i].standard, standard("brak"));
        if (i > 0) {
            EXPECT_GE(r.ranking[i - 1].wynik, r.ranking[i].wynik);
        }
    }
    EXPECT_EQ(standardy.size(), r.ranking.size());
    for (const int bliski : r.bliskie) {
        const auto miejsce = std::find_if(r.ranking.begin(), r.ranking.end(),
                                          [&](const Kandydat& k) { return k.standard == bliski; });
        ASSERT_NE(miejsce, r.ranking.end());
        EXPECT_LE(r.ranking.front().wynik - miejsce->wynik, std::max(PROG_BLISKOSCI, PROG_LITER))
            << nazwa(bliski);
        EXPECT_FALSE(konwertujaTakSamo(tekst, r.standard(), bliski)) << nazwa(bliski);
    }
    EXPECT_EQ(r.werdykt == Werdykt::Niejednoznaczny, !r.bliskie.empty());
}

// A few sentences with all eighteen letters, capitals in words of capitals and at the
// start of words.
inline const std::string ZDANIA =
    "ŹRÓDŁO ŚWIĘTEJ WODY NA ŁĄCE, KOŃ I ĆMA. Źrebię pije, Łukasz śpi, a Ósemka i Żaneta "
    "wołają: zażółć gęślą jaźń! Ćwiczenia z Ąbrowa? Nie, Ęsko i Ńa to nie słowa, ale "
    "Śląsk, Ćmielów, Ełk i Żywiec są prawdziwe, a pięć źdźbeł trawy rośnie już przy drodze.\n";

// The same verdict, to the last bit of every score.
inline void oczekujTegoSamego(const Rozpoznanie& a, const Rozpoznanie& b)
{
    ASSERT_EQ(a.ranking.size(), b.ranking.size());
    for (std::size_t i = 0; i < a.ranking.size(); ++i) {
        EXPECT_EQ(a.ranking[i].standard, b.ranking[i].standard);
        EXPECT_EQ(a.ranking[i].wynik, b.ranking[i].wynik);
    }
    EXPECT_EQ(a.werdykt, b.werdykt);
    EXPECT_EQ(a.bliskie, b.bliskie);
}

}  // namespace engine::test
