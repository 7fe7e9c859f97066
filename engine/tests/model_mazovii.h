#pragma once

// Mazovia as its description has it: code page 437 by iconv, the eighteen letters at the
// bytes of its row in place of 437's characters there. Characters in UTF-8.

#include <optional>
#include <string>
#include <string_view>

#include "engine/standardy.h"
#include "engine/tests/przez_iconv.h"

namespace engine::test {

constexpr std::string_view LITERY = "ĄĆĘŁŃÓŚŹŻąćęłńóśźż";

inline std::optional<std::string> zMazovii(char bajt)
{
    const std::size_t litera = Standardy(MAZOVIA).Znaki.find(bajt);
    if (litera != std::string_view::npos) {
        return std::string(LITERY.substr(2 * litera, 2));
    }
    ZIconv znak = przezIconv("CP437", "UTF-8", std::string(1, bajt));
    return znak.stop ? std::nullopt : std::optional(znak.wynik);
}

inline std::optional<std::string> doMazovii(std::string_view znak)
{
    for (std::size_t litera = 0; litera < LICZBA_LITER; ++litera) {
        if (LITERY.substr(2 * litera, 2) == znak) {
            return std::string(1, Standardy(MAZOVIA).Znaki[litera]);
        }
    }
    ZIconv bajt = przezIconv("UTF-8", "CP437", std::string(znak));
    // A byte a letter took no longer stands for its character.
    if (bajt.stop || Standardy(MAZOVIA).Znaki.find(bajt.wynik[0]) != std::string_view::npos) {
        return std::nullopt;
    }
    return bajt.wynik;
}

}  // namespace engine::test
