#pragma once

// The pass that writes a byte text once the eighteen steps have decided every letter, in
// several variants: a plain portable one and, on x86-64, SSE2, SSSE3, AVX2 and AVX-512 VBMI
// ones chosen at run time. Every variant gives the same bytes; they differ only in speed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace engine {

enum class Wariant {
    Zwykly,  // portable C++, eight bytes at a time at best
    Sse2,
    Ssse3,
    Avx2,
    Avx512Vbmi,  // vpermb / vpermi2b: 128 bytes of a table in one instruction
};

std::string_view NazwaWariantu(Wariant wariant);

// The variants this build has and this processor runs, plain first, best last.
const std::vector<Wariant>& DostepneWarianty();

// The variant the conversions use: the best one available. Defined alone in
// biezacy_wariant.cpp, so that tests and measurements can link another choice in its place
// (engine/tests/wymuszany_wariant.h).
Wariant BiezacyWariant();

// Which bytes may start a letter, so that the others can be skipped many at a time.
enum class PoczatekLitery {
    Kazdy,    // a source with letters below 80 ("brak")
    Wysoki,   // 80 and above
    Wiodacy,  // C0 and above: lead bytes of UTF-8
};

// The most rows of pairs the vector lookup of a two-byte source keeps in registers.
inline constexpr std::size_t NAJWIECEJ_WIERSZY_PAR = 4;

// How far past the end of its result a pass may write: the fast paths store whole
// vectors and let the next store, or the caller's cut, take care of the excess.
inline constexpr std::size_t ZAPAS_ZAPISU = 64;

// Everything the passes need to know of one decided conversion.
struct TablicePrzebiegu {
    int szerZrodla = 1;
    int szerCelu = 1;
    PoczatekLitery rodzaj = PoczatekLitery::Kazdy;
    bool tozsama = false;  // every letter stays what it is: the text passes unchanged

    // One-byte source: the letter of a byte (0 for none), its first and second target byte
    // (the byte itself and 0 for no letter).
    std::array<std::uint8_t, 256> litera{};
    std::array<std::uint8_t, 256> mapa{};
    std::array<std::uint8_t, 256> drugi{};

    // Two-byte source: the letter of a pair is pary[wiersz[first] - 1][second], wiersz 0
    // for a byte that starts none; zamiany[letter] its target bytes.
    std::array<std::uint8_t, 256> wiersz{};
    std::vector<std::array<std::uint8_t, 256>> pary;
    std::array<std::array<std::uint8_t, 2>, 19> zamiany{};

    // The same one-byte tables cut into rows of sixteen by the high half of the byte, for
    // the vector lookups: only rows that hold a change (nibleZmian) or a letter
    // (nibleLiter) need one.
    std::vector<std::uint8_t> nibleZmian;
    std::vector<std::uint8_t> nibleLiter;
    std::array<std::array<std::uint8_t, 16>, 16> roznicaMapy{};  // mapa[b] ^ b
    std::array<std::array<std::uint8_t, 16>, 16> drugiWiersz{};  // drugi[b]

    // For the vector lookup of a two-byte source into a one-byte target: the first byte of
    // each row of pary, and the target byte of each letter. Only where every letter's second
    // byte is 80 or above and starts no letter itself, so that a letter found at one byte
    // never overlaps one found at the next.
    bool paryWektorowo = false;
    std::vector<std::uint8_t> wiodace;
    std::array<std::uint8_t, 64> celLitery{};

    // The same for lookups of 32 places (AVX2): a pair (l, d) hashed to
    // (d ^ d >> skrot.drugi ^ l << skrot.pierwszy[0] ^ l << skrot.pierwszy[1]) & 31, each
    // place with the pair it stands for and that letter's target byte. Only where such a hash
    // keeps all the letters apart and every first byte is 80 or above.
    struct SkrotPar {
        bool jest = false;
        int drugi = 0;
        std::array<int, 2> pierwszy{};
        std::array<std::uint8_t, 32> pierwsze{};
        std::array<std::uint8_t, 32> drugie{};
        std::array<std::uint8_t, 32> cele{};

        int miejsce(int pierwszyBajt, int drugiBajt) const
        {
            return (drugiBajt ^ drugiBajt >> drugi ^ pierwszyBajt << pierwszy[0] ^
                    pierwszyBajt << pierwszy[1]) &
                   31;
        }
    } skrot;

    int literaPary(std::uint8_t pierwszy, std::uint8_t drugiBajt) const
    {
        const std::uint8_t w = wiersz[pierwszy];
        return w == 0 ? 0 : pary[w - 1u][drugiBajt];
    }

    // Fills the rows of sixteen from litera, mapa and drugi, and the tables of pairs.
    void przygotujWiersze();
};

// The passes of one variant. `z` holds `n` bytes, `w` has room for the result plus
// ZAPAS_ZAPISU and either is `z` (in place) or does not overlap it; poszerz never works
// in place. Reads never go past z + n.
struct Przebiegi {
    // One byte to one byte: n bytes written.
    void (*zamien)(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t);
    // One byte to two: returns the length written, at most 2n.
    std::size_t (*poszerz)(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t);
    // Two-byte source: returns the length written, at most n. With `wMiejscu` w may also
    // lie before z in the same buffer.
    std::size_t (*zPar)(const std::uint8_t* z, std::size_t n, std::uint8_t* w, bool wMiejscu,
                        const TablicePrzebiegu& t);
};

const Przebiegi& PrzebiegiWariantu(Wariant wariant);

// The variants' own sets, defined in przebieg_zwykly.cpp and przebieg_simd.cpp.
extern const Przebiegi PRZEBIEGI_ZWYKLE;
#if defined(ZNAKOMAT_SIMD_X86)
extern const Przebiegi PRZEBIEGI_SSE2;
extern const Przebiegi PRZEBIEGI_SSSE3;
extern const Przebiegi PRZEBIEGI_AVX2;
extern const Przebiegi PRZEBIEGI_AVX512_VBMI;
#endif

}  // namespace engine
