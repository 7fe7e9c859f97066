// The block conversion, fed in pieces cut where the input says, gives exactly what the
// whole-text conversion gives. The input: the two standards, the text, then the piece sizes.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/strumien.h"
#include "engine/tests/konwersja_bajtow.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dane, std::size_t rozmiar)
{
    FuzzedDataProvider wejscie(dane, rozmiar);
    const int zrodlo = wejscie.ConsumeIntegralInRange(0, engine::LICZBA_STANDARDOW - 1);
    const int cel = wejscie.ConsumeIntegralInRange(0, engine::LICZBA_STANDARDOW - 1);
    const std::string tekst = wejscie.ConsumeRandomLengthString();

    engine::KonwersjaBlokowa konwersja(zrodlo, cel);
    std::string wKawalkach;
    std::vector<char> bufor;
    for (std::size_t p = 0; p < tekst.size();) {
        // Once the sizes run out, the rest is one piece.
        const std::size_t ile = wejscie.remaining_bytes() > 0
                                    ? wejscie.ConsumeIntegralInRange<std::size_t>(0, tekst.size() - p)
                                    : tekst.size() - p;
        // Into memory of exactly the room asked for, as the file library converts.
        bufor.assign(konwersja.najwiecejBajtow(ile), '\xC4');
        wKawalkach.append(bufor.data(),
                          konwersja.konwertuj(std::string_view(tekst).substr(p, ile), bufor.data()));
        p += ile;
    }
    wKawalkach += konwersja.zakoncz();

    if (wKawalkach != engine::test::KonwertujBajty(tekst, zrodlo, cel)) {
        std::abort();
    }
    return 0;
}
