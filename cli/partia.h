#pragma once

// Many files at once: recognised, or converted each into a folder.

#include <optional>

#include <string>
#include <vector>
#include "cli/konwersja.h"

namespace cli {

// One line for each input, as far as -f auto reads it to decide; with `rekurencyjnie` a
// folder gives a line for each file in its tree. Returns the exit status.
int rozpoznaj(const std::vector<std::string>& nazwy, bool rekurencyjnie);

// Each input into the file of its name in `katalog`, and with `rekurencyjnie` each tree
// into the same shape there. Returns the exit status.
int konwertujPartie(const std::vector<std::string>& nazwy, const std::string& katalog, const Zadanie& zadanie,
                    bool rekurencyjnie);

}  // namespace cli
