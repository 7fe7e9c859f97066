#pragma once

// A slow, literal rendering of the eighteen steps, kept apart from the engine's single pass
// so the two can be compared on any text.

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/standardy.h"
#include "engine/windows1250.h"

namespace engine::test {

// A table entry as text units: the bytes themselves, or their Windows-1250 characters.
template <class Jednostka>
std::basic_string<Jednostka> wpisJako(std::string_view bajty)
{
    std::basic_string<Jednostka> wynik;
    for (const char b : bajty) {
        if constexpr (std::is_same_v<Jednostka, char>) {
            wynik.push_back(b);
        } else {
            wynik.push_back(ZnakWindows1250(static_cast<unsigned char>(b)));
        }
    }
    return wynik;
}

// Step i scans the whole text left to right and replaces each non-overlapping occurrence of
// source entry i by target entry i. Every unit remembers whether a step wrote it; a written
// unit never matches again, neither alone nor as half of a two-unit entry.
template <class Jednostka>
std::basic_string<Jednostka> modelKonwersji(const std::basic_string<Jednostka>& tekst, int zrodlo, int cel)
{
    using Znak = std::pair<Jednostka, bool>;
    std::vector<Znak> znaki;
    for (const Jednostka z : tekst) {
        znaki.emplace_back(z, false);
    }
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        const auto szukany = wpisJako<Jednostka>(Litera(zrodlo, krok));
        const auto zamiennik = wpisJako<Jednostka>(Litera(cel, krok));
        std::vector<Znak> nowe;
        std::size_t p = 0;
        while (p < znaki.size()) {
            bool pasuje = p + szukany.size() <= znaki.size();
            for (std::size_t k = 0; pasuje && k < szukany.size(); ++k) {
                pasuje = !znaki[p + k].second && znaki[p + k].first == szukany[k];
            }
            if (pasuje) {
                for (const Jednostka z : zamiennik) {
                    nowe.emplace_back(z, true);
                }
                p += szukany.size();
            } else {
                nowe.push_back(znaki[p]);
                ++p;
            }
        }
        znaki = std::move(nowe);
    }
    std::basic_string<Jednostka> wynik;
    for (const Znak& z : znaki) {
        wynik.push_back(z.first);
    }
    return wynik;
}

}  // namespace engine::test
