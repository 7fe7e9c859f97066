#pragma once

// Where the bytes of 80 and above stand, for the passes that look only at them: most of a
// Polish text is ASCII, skipped a word, a vector or 64 bytes at a time.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace engine {

// Bit 7 of each of the eight bytes of a word.
inline constexpr std::uint64_t WYSOKIE_BITY = 0x8080808080808080;

// Eight bytes from `p`, the first in the lowest bits on any machine.
inline std::uint64_t OsiemBajtow(const unsigned char* p)
{
    std::uint64_t slowo = 0;
    std::memcpy(&slowo, p, sizeof slowo);
    if constexpr (std::endian::native == std::endian::big) {
        slowo = __builtin_bswap64(slowo);
    }
    return slowo;
}

// The ASCII bytes before the first of 80 and above in `slowo` (from OsiemBajtow); 8 if none.
inline std::size_t AsciiWSlowie(std::uint64_t slowo)
{
    return static_cast<std::size_t>(std::countr_zero(slowo & WYSOKIE_BITY)) / 8;
}

// Bit 7 of each byte of `bity` (its other bits clear) gathered into one byte, the first
// byte's lowest, by a multiplication whose partial products never meet.
inline std::uint64_t ZbierzWysokieBity(std::uint64_t bity)
{
    return (bity >> 7) * 0x0102040810204080 >> 56;
}

// The first position from `od` on of a byte of 80 and above, or `rozmiar` if none.
inline std::size_t NastepnyWysoki(const unsigned char* dane, std::size_t od, std::size_t rozmiar)
{
#if defined(__SSE2__)
    for (; od + 16 <= rozmiar; od += 16) {
        const auto maska = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(dane + od))));
        if (maska != 0) {
            return od + static_cast<std::size_t>(std::countr_zero(maska));
        }
    }
#endif
    for (; od + 8 <= rozmiar; od += 8) {
        if (const std::size_t ascii = AsciiWSlowie(OsiemBajtow(dane + od)); ascii < 8) {
            return od + ascii;
        }
    }
    while (od < rozmiar && dane[od] < 0x80) {
        ++od;
    }
    return od;
}

// Bytes of one mask.
inline constexpr std::size_t BLOK_MASKI = 64;

// Of 64 bytes, bit k set for byte k when it is 80 or above, and when it is one of the
// leading bytes, from Od to Do, that a pass looks at first.
struct MaskiWysokich {
    std::uint64_t wysokie = 0;
    std::uint64_t wiodace = 0;
};

template <unsigned Od, unsigned Do>
constexpr bool Wiodacy(unsigned bajt)
{
    static_assert(0x80 <= Od && Od <= Do && Do <= 0xFF);
    return bajt - Od <= Do - Od;
}

template <unsigned Od, unsigned Do>
MaskiWysokich MaskiZwykle(const unsigned char* tekst)
{
    MaskiWysokich maski;
    for (std::size_t k = 0; k < BLOK_MASKI / 8; ++k) {
        maski.wysokie |= ZbierzWysokieBity(OsiemBajtow(tekst + 8 * k) & WYSOKIE_BITY) << (8 * k);
    }
    for (std::uint64_t w = maski.wysokie; w != 0; w &= w - 1) {
        const int bit = std::countr_zero(w);
        maski.wiodace |= std::uint64_t{Wiodacy<Od, Do>(tekst[bit])} << bit;
    }
    return maski;
}

#if defined(__SSE2__)
// Byte minus Od no more than Do minus Od, unsigned.
template <unsigned Od, unsigned Do>
std::uint16_t WiodaceSse2(__m128i bajty)
{
    if constexpr (Od == 0xC0 && Do == 0xFF) {
        // Bit 7 and'ed with bit 6, one step fewer for the UTF-8 lead bytes.
        return static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_and_si128(bajty, _mm_slli_epi16(bajty, 1))));
    }
    const __m128i odPierwszego = _mm_sub_epi8(bajty, _mm_set1_epi8(static_cast<char>(Od)));
    const __m128i wiodace =
        _mm_cmpeq_epi8(_mm_min_epu8(odPierwszego, _mm_set1_epi8(static_cast<char>(Do - Od))), odPierwszego);
    return static_cast<std::uint16_t>(_mm_movemask_epi8(wiodace));
}

template <unsigned Od, unsigned Do>
MaskiWysokich MaskiSse2(const unsigned char* tekst)
{
    MaskiWysokich maski;
    for (int k = 0; k < 4; ++k) {
        const __m128i bajty = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tekst + 16 * k));
        maski.wysokie |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(bajty))} << (16 * k);
        maski.wiodace |= std::uint64_t{WiodaceSse2<Od, Do>(bajty)} << (16 * k);
    }
    return maski;
}
#endif

#if defined(__x86_64__)
__attribute__((target("avx2"))) inline std::uint32_t WysokieAvx2(__m256i bajty)
{
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(bajty));
}

template <unsigned Od, unsigned Do>
__attribute__((target("avx2"))) std::uint32_t WiodaceAvx2(__m256i bajty)
{
    if constexpr (Od == 0xC0 && Do == 0xFF) {
        return static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_and_si256(bajty, _mm256_slli_epi16(bajty, 1))));
    }
    const __m256i odPierwszego = _mm256_sub_epi8(bajty, _mm256_set1_epi8(static_cast<char>(Od)));
    const __m256i wiodace = _mm256_cmpeq_epi8(
        _mm256_min_epu8(odPierwszego, _mm256_set1_epi8(static_cast<char>(Do - Od))), odPierwszego);
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(wiodace));
}

template <unsigned Od, unsigned Do>
__attribute__((target("avx2"))) MaskiWysokich MaskiAvx2(const unsigned char* tekst)
{
    MaskiWysokich maski;
    for (int k = 0; k < 2; ++k) {
        const __m256i bajty = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tekst + 32 * k));
        maski.wysokie |= std::uint64_t{WysokieAvx2(bajty)} << (32 * k);
        maski.wiodace |= std::uint64_t{WiodaceAvx2<Od, Do>(bajty)} << (32 * k);
    }
    return maski;
}
#endif

// With the vectors every x86-64 processor has, without asking which others it has.
template <unsigned Od, unsigned Do>
MaskiWysokich MaskiBloku(const unsigned char* tekst)
{
#if defined(__SSE2__)
    return MaskiSse2<Od, Do>(tekst);
#else
    return MaskiZwykle<Od, Do>(tekst);
#endif
}

}  // namespace engine
