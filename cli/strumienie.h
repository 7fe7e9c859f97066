#pragma once

// The standard streams and the rule that no output is one of its own inputs.

#include <string>

#include "pliki/nadzor.h"
#include "pliki/wejscie.h"

namespace cli {

void zajmijStandardoweStrumienie();

void odrzucZamknietyStrumien(const std::string& nazwa, pliki::BladPliku::Czynnosc czynnosc);

// Throws ZleUzycie when the output named is the input's own file.
void sprawdzInnyNizWyjscie(const pliki::PlikWejsciowy& wejscie, const std::string& nazwaWejscia,
                           const std::string& nazwaWyjscia);

}  // namespace cli
