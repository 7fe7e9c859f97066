#pragma once

#include <string>

#include "engine/konwersja.h"

namespace engine::test {

// A whole byte text converted at once, by the conversion the programs run on a file's
// pieces: what tests, benchmarks and fuzz targets compare with or build their texts by.
inline std::string KonwertujBajty(std::string tekst, int zrodlo, int cel)
{
    PrzygotowanaKonwersja(zrodlo, cel).konwertujWMiejscu(tekst);
    return tekst;
}

}  // namespace engine::test
