#pragma once

// Standards by the names the user gives them.

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// "auto", in any case, as standard names are.
bool toAuto(std::string_view nazwa);

// The standard called `nazwa`; throws ZleUzycie naming the standards when there is none.
int indeksStandardu(std::string_view nazwa);

// Throws ZleUzycie unless both standards (the source, when it is given) are code pages,
// between which whole texts are converted.
void sprawdzStronyKodowe(std::optional<int> zrodlo, int cel);

// Each standard on a line, its other names beside it.
std::string listaStandardow();

}  // namespace cli
