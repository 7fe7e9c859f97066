#pragma once

// One input or several converted onto one output.

#include <optional>
#include <string>
#include <vector>

#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace cli {

// One input converted, and what it has to say besides its text.
struct Przebieg {
    // The standard converted from; the target itself when the text had no letters.
    int zrodlo;
    bool bezLiter = false;
    // Lines for standard error; empty ones say nothing.
    std::vector<std::string> uwagi;
};

// Converts one input onto `wyjscie` from `zrodlo`, or, without it, from the standard
// recognised in the input itself. Each input is a text of its own.
Przebieg przepiszWejscie(pliki::PlikWejsciowy& wejscie, const std::string& nazwaWejscia,
                         pliki::PlikWyjsciowy& wyjscie, std::optional<int> zrodlo, int cel);

// Each input converted onto the one output in turn; returns the exit status.
int konwertuj(const std::vector<std::string>& wejscia, const std::string& nazwaWyjscia,
              std::optional<int> zrodlo, int cel);

}  // namespace cli
