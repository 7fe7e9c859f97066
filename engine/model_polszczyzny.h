#pragma once

#include <array>

#include "engine/standardy.h"

// How Polish prose uses its letters, measured by scripts/proza_polska.py.
namespace znakomat::model {

// Classes of a character's neighbour; a context is the class before times four plus the
// class after.
inline constexpr int BRAK_SASIADA = 0;  // space, digit, punctuation or the edge of the text
inline constexpr int MALA_ASCII = 1;
inline constexpr int WIELKA_ASCII = 2;
inline constexpr int NIE_ASCII = 3;
inline constexpr int LICZBA_KONTEKSTOW = 16;
// a..z, case folded
inline constexpr int LICZBA_LITER_ASCII = 26;

// Row of every other non-ASCII character, after the eighteen letters in the table's order.
inline constexpr int INNY = LICZBA_LITER;

extern const std::array<std::array<double, LICZBA_KONTEKSTOW>, LICZBA_LITER + 1> LOG_CZESTOSC;
extern const std::array<std::array<double, LICZBA_LITER_ASCII>, LICZBA_LITER + 1> LOG_LITERY_PRZED;
extern const std::array<std::array<double, LICZBA_LITER_ASCII>, LICZBA_LITER + 1> LOG_LITERY_PO;
extern const double LOG_CZESTOSC_INNEGO;

}  // namespace znakomat::model
