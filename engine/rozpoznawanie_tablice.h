#pragma once

// What the recognition's byte counts and its words both read a byte by: its class as a
// neighbour, the letter it stands for in each standard, the UTF-8 letters.

#include <array>
#include <cstdint>

#include "engine/model_polszczyzny.h"
#include "engine/standardy.h"

namespace engine {

inline constexpr std::uint8_t ZADNA_LITERA = LICZBA_LITER;
// Neighbours' ASCII letters a..z, and a last column for none.
inline constexpr std::size_t SASIEDNICH_LITER = model::LICZBA_LITER_ASCII + 1;

inline bool Kontynuacja(unsigned bajt)
{
    return (bajt & 0xC0) == 0x80;
}

struct TabliceRozpoznawania {
    // The class of a neighbour (model::BRAK_SASIADA ...).
    std::array<std::uint8_t, 256> klasa{};
    // a..z for either case, SASIEDNICH_LITER - 1 for any other byte
    std::array<std::uint8_t, 256> literaAscii{};
    // [standard][byte - 0x80]: the letter 0..17 the byte stands for, or ZADNA_LITERA
    std::array<std::array<std::uint8_t, 128>, LICZBA_STANDARDOW> litera{};
    // [first byte - 0xC0][second byte - 0x80]
    std::array<std::uint8_t, 64 * 64> literaUtf8{};
    // Length of the UTF-8 character a byte begins; 0 for a byte that begins none.
    std::array<std::uint8_t, 256> dlugoscUtf8{};
    // [standard][byte - 0x80]: a letter of a code page's own that is no Polish one.
    std::array<std::array<bool, 128>, LICZBA_STANDARDOW> obcaLitera{};

    // Built once, on first use.
    static const TabliceRozpoznawania& wspolne();

private:
    TabliceRozpoznawania();
    void zapiszObceLitery(int strona);
};

}  // namespace engine
