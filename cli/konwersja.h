#pragma once

// One input or several converted onto one output.

#include <optional>
#include <string>
#include <vector>

#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace cli {

// How every input is converted.
struct Zadanie {
    // None: each input's own standard is recognised in it.
    std::optional<int> zrodlo;
    int cel;
    // Every character, not only the letters.
    bool wszystkieZnaki = false;
};

// A conversion of a whole text stopped, as iconv stops: the message says where and why.
struct BladKonwersji {
    std::string komunikat;
};

// One input converted, and what it has to say besides its text.
struct Przebieg {
    // The standard converted from; the target itself when the text had no letters.
    int zrodlo;
    bool bezLiter = false;
    // Lines for standard error; empty ones say nothing.
    std::vector<std::string> uwagi;
};

// Converts one input onto `wyjscie` from the source of `zadanie`, or, without it, from the
// standard recognised in the input itself. Each input is a text of its own. Throws
// BladKonwersji, BladPliku.
Przebieg przepiszWejscie(pliki::PlikWejsciowy& wejscie, const std::string& nazwaWejscia,
                         pliki::PlikWyjsciowy& wyjscie, const Zadanie& zadanie);

// Each input converted onto the one output in turn; returns the exit status.
int konwertuj(const std::vector<std::string>& wejscia, const std::string& nazwaWyjscia,
              const Zadanie& zadanie);

}  // namespace cli
