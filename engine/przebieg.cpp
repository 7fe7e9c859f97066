#include "engine/przebieg.h"

#include <algorithm>

namespace engine {

namespace {

std::vector<Wariant> wykryjWarianty()
{
    std::vector<Wariant> warianty = {Wariant::Zwykly};
#if defined(ZNAKOMAT_SIMD_X86)
    __builtin_cpu_init();
    warianty.push_back(Wariant::Sse2);
    if (__builtin_cpu_supports("ssse3")) {
        warianty.push_back(Wariant::Ssse3);
    }
    if (__builtin_cpu_supports("avx2")) {
        warianty.push_back(Wariant::Avx2);
    }
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi")) {
        warianty.push_back(Wariant::Avx512Vbmi);
    }
#endif
    return warianty;
}

// The hash of 32 places for the AVX2 lookup of pairs, if one of the family keeps every
// letter apart.
void przygotujSkrot(TablicePrzebiegu& t)
{
    TablicePrzebiegu::SkrotPar& skrot = t.skrot;
    skrot.jest = false;
    if (!t.paryWektorowo || std::any_of(t.wiodace.begin(), t.wiodace.end(), [](int b) { return b < 0x80; })) {
        return;
    }
    // Shifts of 5 and more leave nothing of the first byte in the place.
    for (skrot.drugi = 1; skrot.drugi < 8; ++skrot.drugi) {
        for (skrot.pierwszy[0] = 0; skrot.pierwszy[0] < 5; ++skrot.pierwszy[0]) {
            for (skrot.pierwszy[1] = skrot.pierwszy[0] + 1; skrot.pierwszy[1] <= 5; ++skrot.pierwszy[1]) {
                // A place no letter takes stands for a pair that hashes elsewhere, so that
                // no pair of the text matches it.
                for (int miejsce = 0; miejsce < 32; ++miejsce) {
                    int inny = 0;
                    while (skrot.miejsce(0, inny) == miejsce) {
                        ++inny;
                    }
                    const auto m = static_cast<std::size_t>(miejsce);
                    skrot.pierwsze[m] = 0;
                    skrot.drugie[m] = static_cast<std::uint8_t>(inny);
                    skrot.cele[m] = 0;
                }
                std::array<bool, 32> zajete{};
                bool rozdzielone = true;
                for (std::size_t r = 0; r < t.pary.size() && rozdzielone; ++r) {
                    for (int b = 0x80; b < 256 && rozdzielone; ++b) {
                        const std::uint8_t litera = t.pary[r][static_cast<std::size_t>(b)];
                        if (litera == 0) {
                            continue;
                        }
                        const auto m = static_cast<std::size_t>(skrot.miejsce(t.wiodace[r], b));
                        rozdzielone = !zajete[m];
                        zajete[m] = true;
                        skrot.pierwsze[m] = t.wiodace[r];
                        skrot.drugie[m] = static_cast<std::uint8_t>(b);
                        skrot.cele[m] = t.celLitery[litera];
                    }
                }
                if (rozdzielone) {
                    skrot.jest = true;
                    return;
                }
            }
        }
    }
}

}  // namespace

std::string_view NazwaWariantu(Wariant wariant)
{
    switch (wariant) {
        case Wariant::Zwykly:
            return "zwykly";
        case Wariant::Sse2:
            return "sse2";
        case Wariant::Ssse3:
            return "ssse3";
        case Wariant::Avx2:
            return "avx2";
        case Wariant::Avx512Vbmi:
            return "avx512vbmi";
    }
    return "?";
}

const std::vector<Wariant>& DostepneWarianty()
{
    static const std::vector<Wariant> warianty = wykryjWarianty();
    return warianty;
}

const Przebiegi& PrzebiegiWariantu(Wariant wariant)
{
    switch (wariant) {
#if defined(ZNAKOMAT_SIMD_X86)
        case Wariant::Sse2:
            return PRZEBIEGI_SSE2;
        case Wariant::Ssse3:
            return PRZEBIEGI_SSSE3;
        case Wariant::Avx2:
            return PRZEBIEGI_AVX2;
        case Wariant::Avx512Vbmi:
            return PRZEBIEGI_AVX512_VBMI;
#endif
        default:
            return PRZEBIEGI_ZWYKLE;
    }
}

void TablicePrzebiegu::przygotujWiersze()
{
    nibleZmian.clear();
    nibleLiter.clear();
    for (int h = 0; h < 16; ++h) {
        bool zmiana = false;
        bool litery = false;
        for (int l = 0; l < 16; ++l) {
            const auto b = static_cast<std::size_t>(16 * h + l);
            roznicaMapy[h][l] = static_cast<std::uint8_t>(mapa[b] ^ b);
            drugiWiersz[h][l] = drugi[b];
            zmiana = zmiana || mapa[b] != b;
            litery = litery || litera[b] != 0;
        }
        if (zmiana) {
            nibleZmian.push_back(static_cast<std::uint8_t>(h));
        }
        if (litery) {
            nibleLiter.push_back(static_cast<std::uint8_t>(h));
        }
    }

    wiodace.assign(pary.size(), 0);
    for (int b = 0; b < 256; ++b) {
        if (wiersz[static_cast<std::size_t>(b)] != 0) {
            wiodace[wiersz[static_cast<std::size_t>(b)] - 1u] = static_cast<std::uint8_t>(b);
        }
    }
    paryWektorowo = szerZrodla == 2 && szerCelu == 1 && !pary.empty() && pary.size() <= NAJWIECEJ_WIERSZY_PAR;
    for (const auto& rzad : pary) {
        for (int b = 0; b < 256; ++b) {
            if (rzad[static_cast<std::size_t>(b)] != 0 &&
                (b < 0x80 || wiersz[static_cast<std::size_t>(b)] != 0)) {
                paryWektorowo = false;
            }
        }
    }
    for (std::size_t l = 0; l < zamiany.size(); ++l) {
        celLitery[l] = zamiany[l][0];
    }
    przygotujSkrot(*this);
}

}  // namespace engine
