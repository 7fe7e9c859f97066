// The plain variant: portable C++ that looks at eight bytes at a time in a 64-bit word.
// It is what a build without SIMD uses, and the reference the vector variants are tested
// beside.

#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/przebieg.h"
#include "engine/przebieg_wspolne.h"
#include "engine/wysokie_bajty.h"

namespace engine {

namespace {

std::uint64_t slowo(const std::uint8_t* dane)
{
    std::uint64_t s = 0;
    for (int k = 7; k >= 0; --k) {
        s = s << 8 | dane[k];
    }
    return s;
}

struct Slowa {
    template <PoczatekLitery K>
    static std::uint64_t maska64(const std::uint8_t* dane)
    {
        std::uint64_t maska = 0;
        for (int i = 0; i < 8; ++i) {
            std::uint64_t s = slowo(dane + 8 * i);
            if constexpr (K == PoczatekLitery::Wiodacy) {
                // Bit 7 of each byte and'ed with its bit 6.
                s &= s << 1;
            }
            maska |= ZbierzWysokieBity(s & WYSOKIE_BITY) << (8 * i);
        }
        return maska;
    }

    static void kopiujZNadmiarem(std::uint8_t* do_, const std::uint8_t* z, std::size_t ile)
    {
        unsigned char pierwsze[32];
        std::memcpy(pierwsze, z, 32);
        std::memcpy(do_, pierwsze, 32);
        for (std::size_t k = 32; k < ile; k += 16) {
            unsigned char blok[16];
            std::memcpy(blok, z + k, 16);
            std::memcpy(do_ + k, blok, 16);
        }
    }
};

}  // namespace

const Przebiegi PRZEBIEGI_ZWYKLE = {
    przebieg::zamien<Slowa>,
    przebieg::poszerz<Slowa>,
    przebieg::zPar<Slowa>,
};

}  // namespace engine
