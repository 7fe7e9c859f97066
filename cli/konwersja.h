#pragma once

// One input or several converted onto one output, and what the conversion says of them.

#include <functional>
#include <string>
#include <vector>

#include "pliki/konwersja_pliku.h"

namespace cli {

// How every input is converted; without a source each input's own standard is recognised.
using Zadanie = pliki::UstawieniaKonwersji;

// A conversion of a whole text stopped, as iconv stops: the message says where and why.
struct BladKonwersji {
    std::string komunikat;
};

// One input converted, and what it has to say besides its text.
struct WynikWejscia {
    // The standard converted from; the target itself when the text had no letters.
    int zrodlo;
    bool bezLiter = false;
    // Lines for standard error; empty ones say nothing.
    std::vector<std::string> uwagi;
};

// Runs `konwersja` of the input `nazwaWejscia` into `nazwaWyjscia` and turns its result into
// this tool's lines, and its refusals into ZleUzycie and BladKonwersji. Throws those, BladPliku.
WynikWejscia konwertujWejscie(const std::function<pliki::WynikKonwersji()>& konwersja,
                              const std::string& nazwaWejscia, const std::string& nazwaWyjscia,
                              const Zadanie& zadanie);

// Each input converted onto the one output in turn; returns the exit status.
int konwertuj(const std::vector<std::string>& wejscia, const std::string& nazwaWyjscia,
              const Zadanie& zadanie);

}  // namespace cli
