#pragma once

// What znakomat-cli is asked to do: its options, read and checked.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/komunikaty.h"

namespace cli {

// The help -h prints, its list of options made from the table the options are read by.
std::string Pomoc();

// The source named so, the standard of each input is recognised in it.
constexpr std::string_view AUTO = "auto";

struct ZleUzycie {
    std::string komunikat;
};

struct Ustawienia {
    std::optional<std::string> zrodlo;
    std::optional<std::string> cel;
    std::optional<std::string> wyjscie;
    std::optional<std::string> katalog;
    std::optional<std::string> podstawa;
    std::vector<std::string> wejscia;
    bool rozpoznaj = false;
    bool wszystkieZnaki = false;
    bool rekurencyjnie = false;
    bool lista = false;
    bool listaPodstaw = false;
    bool pomoc = false;
    bool wersja = false;
};

// Reads the options and checks that they go together. Throws ZleUzycie.
Ustawienia czytajArgumenty(int argc, char** argv);

}  // namespace cli
