#pragma once

// What every byte of a one-byte standard means, for converting whole texts: the standard's
// own code page, or the base code page the user names with the standard's letters put in.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/standardy.h"

namespace engine {

// The character each of a one-byte standard's 256 bytes stands for.
struct Strona {
    // A byte that stands for no character.
    static constexpr char32_t BEZ_ZNAKU = 0xFFFFFFFF;

    std::array<char32_t, 256> znaki{};
    // The bytes the eighteen letters (Ą Ć Ę ... ż) are written as: the standard's row.
    std::array<unsigned char, LICZBA_LITER> litery{};

    // The byte a character is written as, -1 where there is none. Where two bytes stand for
    // one character, a Polish letter is written as the byte of its row, any other character as
    // the lowest of the bytes.
    int bajt(char32_t znak) const;

    // bajt() of every character below 10000 (hexadecimal), at once.
    std::vector<std::int16_t> odwrotna() const;
};

// Whether a standard has a page without a base: the four code pages and Mazovia (code page
// 437 with its letters). UTF-8 has none and needs none.
bool MaWlasnaStrone(int standard);

// Whether every byte of a standard's texts is known: it is UTF-8, has its own page, or
// (`zPodstawa`) takes the base.
bool ZnaWszystkieZnaki(int standard, bool zPodstawa = false);

// Whether every character of a text converts from `zrodlo` to `cel`: both know all their
// characters. The one rule both front ends ask.
bool KonwertujeWszystkieZnaki(int zrodlo, int cel, bool zPodstawa = false);

// Whether a base changes a standard's page: it does for every one-byte standard but the three
// that are code pages themselves.
bool PrzyjmujePodstawe(int standard);

// The page of a one-byte standard. A standard that takes a base (`podstawa` not empty, as
// NazwaPodstawy gives it) is the base with the eighteen letters at the bytes of its row, but
// for "brak", whose letters are plain ASCII that keeps the base's meaning and only the
// Polish letters written go to the row's bytes. Without a base, Mazovia is the base "IBM437".
// Nothing for UTF-8 or a standard with neither page nor base. Throws std::runtime_error
// when iconv does not know the base or it is no one-byte code page.
std::optional<Strona> StronaStandardu(int standard, std::string_view podstawa = {});

// What a name given as a base is.
enum class RodzajPodstawy { Jednobajtowa, Nieznana, Wielobajtowa };

struct Podstawa {
    RodzajPodstawy rodzaj;
    // The name iconv knows it by; empty when unknown.
    std::string nazwa;
};

// The code page iconv knows by `nazwa`, names compared as the standards' names are (as
// ZnajdzStandard does), and whether each of its bytes is at most one character.
Podstawa ZnajdzPodstawe(std::string_view nazwa);

// Every name (aliases too) iconv gives a one-byte code page, as its configuration spells them,
// sorted, one of each set of names alike by the rule of KluczNazwy.
std::vector<std::string> NazwyPodstaw();

}  // namespace engine
