#include "engine/rozpoznawanie_tablice.h"

#include <optional>
#include <stdexcept>
#include <string_view>

#include "engine/strona.h"
#include "engine/wszystkie_znaki.h"

namespace engine {

TabliceRozpoznawania::TabliceRozpoznawania()
{
    for (unsigned b = 0; b < 256; ++b) {
        klasa[b] = b >= 0x80              ? model::NIE_ASCII
                   : b >= 'a' && b <= 'z' ? model::MALA_ASCII
                   : b >= 'A' && b <= 'Z' ? model::WIELKA_ASCII
                                          : model::BRAK_SASIADA;
        literaAscii[b] = static_cast<std::uint8_t>(klasa[b] == model::MALA_ASCII     ? b - 'a'
                                                   : klasa[b] == model::WIELKA_ASCII ? b - 'A'
                                                                                     : SASIEDNICH_LITER - 1);
        dlugoscUtf8[b] = b >= 0xC2 && b <= 0xDF   ? 2
                         : b >= 0xE0 && b <= 0xEF ? 3
                         : b >= 0xF0 && b <= 0xF4 ? 4
                                                  : 0;
    }
    for (auto& wiersz : litera) {
        wiersz.fill(ZADNA_LITERA);
    }
    literaUtf8.fill(ZADNA_LITERA);
    for (int standard = 0; standard < LICZBA_STANDARDOW; ++standard) {
        // Of two equal entries the lower position wins, as in the conversion.
        for (int pozycja = LICZBA_LITER; pozycja >= 1; --pozycja) {
            const std::string_view znak = Litera(standard, pozycja);
            const auto pierwszy = static_cast<unsigned char>(znak[0]);
            const auto numer = static_cast<std::uint8_t>(pozycja - 1);
            if (standard == UTF8_INDEX) {
                literaUtf8[(pierwszy - 0xC0u) * 64 + (static_cast<unsigned char>(znak[1]) - 0x80u)] = numer;
            } else if (pierwszy >= 0x80) {
                litera[static_cast<std::size_t>(standard)][pierwszy - 0x80u] = numer;
            }
        }
    }
    for (const int strona : StronyKodowe()) {
        if (strona != UTF8_INDEX) {
            zapiszObceLitery(strona);
        }
    }
}

void TabliceRozpoznawania::zapiszObceLitery(int strona)
{
    // Latin letters: U+00C0 to U+024F without × and ÷.
    const auto lacinska = [](char32_t z) { return z >= 0xC0 && z <= 0x24F && z != 0xD7 && z != 0xF7; };
    try {
        const std::optional<Strona> znaki = StronaStandardu(strona);
        for (unsigned b = 0x80; b < 0x100; ++b) {
            obcaLitera[static_cast<std::size_t>(strona)][b - 0x80] =
                znaki && lacinska(znaki->znaki[b]) &&
                litera[static_cast<std::size_t>(strona)][b - 0x80] == ZADNA_LITERA;
        }
    } catch (const std::exception&) {
        // Without the system's table of the page its foreign letters are unknown: a byte
        // outside the Polish letters then counts as no letter.
        obcaLitera[static_cast<std::size_t>(strona)].fill(false);
    }
}

const TabliceRozpoznawania& TabliceRozpoznawania::wspolne()
{
    static const TabliceRozpoznawania tablice;
    return tablice;
}

}  // namespace engine
