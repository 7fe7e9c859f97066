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

// The base code page `nazwa` as iconv names it; throws ZleUzycie when it is unknown, not a
// one-byte code page, or no standard given (the source, when it is) takes a base.
std::string nazwaPodstawy(std::string_view nazwa, std::optional<int> zrodlo, int cel);

// Throws ZleUzycie, naming -b, unless every byte of both standards (the source, when it is
// given) is known, so that whole texts are converted.
void sprawdzWszystkieZnaki(std::optional<int> zrodlo, int cel, bool zPodstawa);

// Each standard on a line, its other names beside it; after an empty line, which of them
// convert whole.
std::string listaStandardow();

// The names of the code pages -b takes, a line each.
std::string listaPodstaw();

}  // namespace cli
