// Where the bytes of 80 and above stand, by every way the passes find them, against a
// byte-by-byte reading.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/wysokie_bajty.h"

namespace engine {
namespace {

using Blok = std::array<unsigned char, BLOK_MASKI>;
using Maski = MaskiWysokich (*)(const unsigned char*);

// Bit k set for each byte k from `od` to `doBajtu`.
std::uint64_t bajtyOdDo(const Blok& blok, unsigned od, unsigned doBajtu)
{
    std::uint64_t bity = 0;
    for (std::size_t k = 0; k < blok.size(); ++k) {
        if (blok[k] >= od && blok[k] <= doBajtu) {
            bity |= std::uint64_t{1} << k;
        }
    }
    return bity;
}

template <unsigned Od, unsigned Do>
std::vector<std::pair<std::string, Maski>> sposoby()
{
    std::vector<std::pair<std::string, Maski>> wszystkie = {{"zwykle", MaskiZwykle<Od, Do>},
                                                            {"bloku", MaskiBloku<Od, Do>}};
#if defined(__SSE2__)
    wszystkie.emplace_back("SSE2", MaskiSse2<Od, Do>);
#endif
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx2")) {
        wszystkie.emplace_back("AVX2", MaskiAvx2<Od, Do>);
    }
#endif
    return wszystkie;
}

// Every byte value at every place of a block of ASCII and of a block of random bytes, and
// random blocks with few or many high bytes.
std::vector<Blok> bloki()
{
    std::mt19937 los(11);
    std::uniform_int_distribution<int> bajt(0, 255);
    std::vector<Blok> wszystkie;
    Blok ascii;
    ascii.fill('a');
    for (int n = 0; n < 300; ++n) {
        Blok losowy;
        for (unsigned char& b : losowy) {
            b = static_cast<unsigned char>(n % 2 == 0 ? bajt(los) : bajt(los) % 8 == 0 ? 0xC4 : 'e');
        }
        wszystkie.push_back(losowy);
    }
    for (const Blok& tlo : {ascii, wszystkie.front()}) {
        for (std::size_t k = 0; k < BLOK_MASKI; ++k) {
            for (unsigned b = 0; b < 256; ++b) {
                Blok blok = tlo;
                blok[k] = static_cast<unsigned char>(b);
                wszystkie.push_back(blok);
            }
        }
    }
    return wszystkie;
}

template <unsigned Od, unsigned Do>
void sprawdzMaski(const std::vector<Blok>& wszystkie)
{
    for (const auto& [nazwa, maski] : sposoby<Od, Do>()) {
        SCOPED_TRACE(nazwa + " " + std::to_string(Od) + ".." + std::to_string(Do));
        for (std::size_t i = 0; i < wszystkie.size(); ++i) {
            const MaskiWysokich m = maski(wszystkie[i].data());
            ASSERT_EQ(m.wysokie, bajtyOdDo(wszystkie[i], 0x80, 0xFF)) << "blok " << i;
            ASSERT_EQ(m.wiodace, bajtyOdDo(wszystkie[i], Od, Do)) << "blok " << i;
        }
    }
}

TEST(WysokieBajty, MaskiJakBajtPoBajcie)
{
    const std::vector<Blok> wszystkie = bloki();
    sprawdzMaski<0xC0, 0xFF>(wszystkie);  // UTF-8 lead bytes
    sprawdzMaski<0xC3, 0xC5>(wszystkie);  // leads of the Polish letters in UTF-8
    sprawdzMaski<0x80, 0xFF>(wszystkie);
    sprawdzMaski<0xFF, 0xFF>(wszystkie);
}

// From every start, in texts of every length up to a few vectors: in a buffer of the text's
// size (the sanitizers' build sees a read past it), and followed by high bytes that must not
// be seen.
TEST(WysokieBajty, NastepnyWysokiJakBajtPoBajcie)
{
    std::mt19937 los(3);
    for (std::size_t rozmiar = 0; rozmiar <= 80; ++rozmiar) {
        for (int n = 0; n < 12; ++n) {
            std::vector<unsigned char> tekst(rozmiar);
            for (unsigned char& b : tekst) {
                b = los() % (2 + rozmiar) == 0 ? static_cast<unsigned char>(0x80 + los() % 128) : 'z';
            }
            std::vector<unsigned char> zaKoncem = tekst;
            zaKoncem.push_back('z');
            zaKoncem.resize(rozmiar + 16, 0x80);
            for (std::size_t od = 0; od <= rozmiar; ++od) {
                std::size_t oczekiwany = od;
                while (oczekiwany < rozmiar && tekst[oczekiwany] < 0x80) {
                    ++oczekiwany;
                }
                ASSERT_EQ(NastepnyWysoki(tekst.data(), od, rozmiar), oczekiwany)
                    << "rozmiar " << rozmiar << " od " << od;
                ASSERT_EQ(NastepnyWysoki(zaKoncem.data(), od, rozmiar), oczekiwany)
                    << "rozmiar " << rozmiar << " od " << od;
            }
        }
    }
}

}  // namespace
}  // namespace engine
