// Recognition of a text fed in pieces cut where the input says gives exactly what the
// whole text gives: the same verdict, ranking, scores and close standards; and so does the
// whole text found with the plain pass, without vector instructions.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/rozpoznawanie.h"
#include "engine/tests/wymuszany_wariant.h"

namespace {

bool takieSame(const engine::Rozpoznanie& a, const engine::Rozpoznanie& b)
{
    if (a.werdykt != b.werdykt || a.bliskie != b.bliskie || a.ranking.size() != b.ranking.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.ranking.size(); ++i) {
        // Equal counts give equal scores, to the last bit.
        if (a.ranking[i].standard != b.ranking[i].standard || a.ranking[i].wynik != b.ranking[i].wynik) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dane, std::size_t rozmiar)
{
    FuzzedDataProvider wejscie(dane, rozmiar);
    const std::string tekst = wejscie.ConsumeRandomLengthString();

    engine::Rozpoznawacz rozpoznawacz;
    for (std::size_t p = 0; p < tekst.size();) {
        const std::size_t ile = wejscie.remaining_bytes() > 0
                                    ? wejscie.ConsumeIntegralInRange<std::size_t>(0, tekst.size() - p)
                                    : tekst.size() - p;
        rozpoznawacz.dodaj(std::string_view(tekst).substr(p, ile));
        p += ile;
    }

    const engine::Rozpoznanie calosc = engine::RozpoznajStandard(tekst);
    if (!takieSame(rozpoznawacz.wynik(), calosc)) {
        std::abort();
    }
    engine::WymusWariant(engine::Wariant::Zwykly);
    const engine::Rozpoznanie zwykle = engine::RozpoznajStandard(tekst);
    engine::WymusWariant(std::nullopt);
    if (!takieSame(zwykle, calosc)) {
        std::abort();
    }
    return 0;
}
