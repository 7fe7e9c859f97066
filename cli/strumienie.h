#pragma once

// The standard streams and the rule that no output is one of its own inputs.

#include <string>

#include "cli/uzycie.h"
#include "pliki/blad_pliku.h"

namespace cli {

void zajmijStandardoweStrumienie();

void odrzucZamknietyStrumien(const std::string& nazwa, pliki::BladPliku::Czynnosc czynnosc);

// Why an output named as its input's own file is refused.
ZleUzycie tenSamPlik(const std::string& nazwaWejscia, const std::string& nazwaWyjscia);

}  // namespace cli
