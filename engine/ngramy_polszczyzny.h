#pragma once

#include <cstdint>
#include <span>

// Which letters follow which inside Polish words, measured by scripts/proza_polska.py.
namespace engine::model {

// Symbols of a word: its edge, a..z and the nine Polish letters case folded, and one for
// every other non-ASCII character.
inline constexpr int SYMBOL_KRAWEDZI = 0;
inline constexpr int PIERWSZA_LITERA_ASCII = 1;
inline constexpr int PIERWSZA_POLSKA_LITERA = 27;  // ą ć ę ł ń ó ś ź ż
inline constexpr int INNY_SYMBOL = 36;
inline constexpr int LICZBA_SYMBOLI = 37;
// A symbol's likelihood is taken from the four before it at most.
inline constexpr int RZAD_NGRAMU = 5;

struct NGram {
    // The order, then each symbol, LICZBA_SYMBOLI to a digit. A context alone has the order
    // RZAD_NGRAMU plus its length.
    std::uint32_t klucz;
    // Natural logarithm of how often the last symbol follows the others; for a context, of
    // the share of the symbols never seen after it.
    float log;
};

// Sorted by key.
extern const std::span<const NGram> NGRAMY;

}  // namespace engine::model
