#pragma once

// What znakomat-cli tells its user, in Polish, and how names appear in it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/nie_litery.h"
#include "pliki/blad_pliku.h"
#include "pliki/konwersja_pliku.h"

namespace cli {

constexpr int KONIEC_DOBRZE = 0;
constexpr int KONIEC_BLAD_KONWERSJI = 1;
constexpr int KONIEC_ZLE_UZYCIE = 2;

// A line on standard error, after the program's name.
void wypiszBlad(const std::string& komunikat);

// Lines for standard error; empty ones say nothing.
void wypiszUwagi(const std::vector<std::string>& uwagi);

// Writes a fixed text to standard output, as -l and -h do; returns the exit status.
int wypisz(std::string_view tekst);

std::string cudzyslow(std::string_view tekst);

std::string opisBleduPliku(const pliki::BladPliku& blad);

// "standardowe wejście" or the file named.
std::string opisWejscia(const std::string& nazwa);

std::string nazwaStandardu(int standard);

std::string listaNazw(std::span<const int> standardy, std::string_view oddzielone);

// What passed unchanged although the target reads it otherwise, in one line, with the options
// that convert it; empty when nothing did. `zPodstawa`: -b was given. `przesuniecie`: bytes
// of the text before the first piece the count saw.
std::string ostrzezenie(const engine::NieLitery& nieLitery, const std::string& nazwaWejscia, int zrodlo,
                        int cel, bool zPodstawa, std::uint64_t przesuniecie);

// A name for a line that scripts split at tabs: backslash and control characters escaped.
// Messages (cudzyslow) escape the control characters alone.
std::string wJednymWierszu(std::string_view nazwa);

// Where and why a whole-text conversion of `nazwaWejscia` stopped.
std::string opisZatrzymania(const pliki::ZatrzymanaKonwersja& zatrzymana, const std::string& nazwaWejscia,
                            int cel);

}  // namespace cli
