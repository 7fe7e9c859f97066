#pragma once

// Many files at once: recognised, or converted each into a folder.

#include <optional>
#include <string>
#include <vector>

namespace cli {

// One line for each input, as far as -f auto reads it to decide; returns the exit status.
int rozpoznaj(const std::vector<std::string>& wejscia);

// Each input into the file of its name in `katalog`; returns the exit status.
int konwertujPartie(std::vector<std::string> wejscia, const std::string& katalog, std::optional<int> zrodlo,
                    int cel);

}  // namespace cli
