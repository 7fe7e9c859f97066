#pragma once

#include <array>

#include "engine/standardy.h"

// How Polish prose uses its letters, measured by scripts/proza_polska.py.
namespace engine::model {

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

// The case of a word with a byte of 80 and above, by what stands before it within
// ZASIEG_KONTEKSTU_SLOWA bytes: nothing (0), or the word before by the case of its ASCII
// letters (KSZTALT_... or none) times three, plus what separates them (ODSTEP_...), plus one.
inline constexpr int KSZTALT_MALE = 0;      // all small
inline constexpr int KSZTALT_PIERWSZA = 1;  // the first letter a capital, only it
inline constexpr int KSZTALT_WIELKIE = 2;   // two capitals or more, nothing else
inline constexpr int KSZTALT_MIESZANY = 3;  // the rest
inline constexpr int BEZ_LITER_ASCII = 4;   // the word before has no ASCII letter
inline constexpr int LICZBA_KSZTALTOW = 4;
inline constexpr int ODSTEP_ZWYKLY = 0;         // spaces, commas and the like
inline constexpr int ODSTEP_KONIEC_ZDANIA = 1;  // . ! ? : ;
inline constexpr int ODSTEP_NOWY_WIERSZ = 2;
inline constexpr int LICZBA_KONTEKSTOW_SLOWA = 16;
inline constexpr int ZASIEG_KONTEKSTU_SLOWA = 32;
extern const std::array<std::array<double, LICZBA_KSZTALTOW>, LICZBA_KONTEKSTOW_SLOWA> LOG_KSZTALTU;

}  // namespace engine::model
