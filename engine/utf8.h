#pragma once

// One UTF-8 character at a time, by Unicode's rules, for everyone who reads names or texts.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// The length of the UTF-8 character at the beginning of `tekst` (not empty), its code point in `kod`; 0
// when `tekst` ends inside one that may yet be valid, -1 when it cannot be one (overlong
// forms, surrogates and code points past U+10FFFF included).
int ZnakUtf8(std::string_view tekst, char32_t& kod);

// Writes `znak` (a code point up to U+10FFFF) in UTF-8 at `wynik`, which has room for four
// bytes; returns how many it took.
std::size_t ZapiszUtf8(char32_t znak, char* wynik);

// Appends `znak` (a code point up to U+10FFFF) in UTF-8.
void DopiszUtf8(std::string& wynik, char32_t znak);

}  // namespace engine
