#pragma once

// iconv(3) over a whole text, the reference the whole-text conversion is checked against.

#include <iconv.h>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

namespace engine::test {

// The output up to where iconv stops, and that place in the text if it stopped.
struct ZIconv {
    std::string wynik;
    std::optional<std::size_t> stop;
};

inline ZIconv przezIconv(const char* z, const char* na, std::string tekst)
{
    const iconv_t cd = ::iconv_open(na, z);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv_open ") + z + " -> " + na);
    }
    std::string wynik(tekst.size() * 4 + 16, '\0');
    char* we = tekst.data();
    std::size_t zostalo = tekst.size();
    char* wy = wynik.data();
    std::size_t miejsce = wynik.size();
    const bool blad = ::iconv(cd, &we, &zostalo, &wy, &miejsce) == static_cast<std::size_t>(-1);
    ::iconv_close(cd);
    wynik.resize(static_cast<std::size_t>(wy - wynik.data()));
    return {wynik, blad ? std::optional(static_cast<std::size_t>(we - tekst.data())) : std::nullopt};
}

}  // namespace engine::test
