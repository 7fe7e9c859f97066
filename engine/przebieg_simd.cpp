// The x86-64 variants. SSE2 is always there: it finds the candidates sixteen bytes at a
// time and handles each alone. SSSE3 and AVX2, chosen at run time, look every byte up at
// once with pshufb, one table row per high half of a byte that holds a letter, and widen
// to two bytes by shuffling each group of eight into place.

#include <emmintrin.h>
#include <immintrin.h>
#include <tmmintrin.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "engine/przebieg.h"
#include "engine/przebieg_wspolne.h"

namespace znakomat {

namespace {

// --- SSE2 -------------------------------------------------------------------------------------

struct Sse2 {
    template <PoczatekLitery K>
    static std::uint32_t maska16(const std::uint8_t* dane)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dane));
        if constexpr (K == PoczatekLitery::Wiodacy) {
            // Bit 7 of each byte and'ed with its bit 6.
            v = _mm_and_si128(v, _mm_slli_epi16(v, 1));
        }
        return static_cast<std::uint32_t>(_mm_movemask_epi8(v));
    }

    template <PoczatekLitery K>
    static std::uint64_t maska64(const std::uint8_t* dane)
    {
        return std::uint64_t{maska16<K>(dane)} | std::uint64_t{maska16<K>(dane + 16)} << 16 |
               std::uint64_t{maska16<K>(dane + 32)} << 32 | std::uint64_t{maska16<K>(dane + 48)} << 48;
    }

    static void kopiujZNadmiarem(std::uint8_t* do_, const std::uint8_t* z, std::size_t ile)
    {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(z));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(z + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(do_), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(do_ + 16), b);
        for (std::size_t k = 32; k < ile; k += 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(do_ + k),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(z + k)));
        }
    }
};

// The high bit of each byte moved to bit 0 and summed eight bytes at a time: a plain
// x86-64 has no popcount instruction, and its library call costs more than the pass.
std::size_t policzWysokieSse2(const std::uint8_t* z, std::size_t n)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i jedynki = _mm_set1_epi8(1);
    __m128i suma = zero;
    std::size_t p = 0;
    for (; p + 16 <= n; p += 16) {
        const __m128i bajty = _mm_loadu_si128(reinterpret_cast<const __m128i*>(z + p));
        suma = _mm_add_epi64(suma, _mm_sad_epu8(_mm_and_si128(_mm_srli_epi16(bajty, 7), jedynki), zero));
    }
    std::size_t wynik = static_cast<std::size_t>(_mm_cvtsi128_si64(suma)) +
                        static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(suma, suma)));
    for (; p < n; ++p) {
        wynik += z[p] >= 0x80;
    }
    return wynik;
}

// --- Shared by SSSE3 and AVX2 -----------------------------------------------------------------

// For eight bytes of which those in `maska` are letters: the shuffle that takes each byte
// from the low half of a register and, after a letter, its second byte from the high half.
struct Rozsuniecie {
    std::array<std::array<std::uint8_t, 16>, 256> wzory{};
    std::array<std::uint8_t, 256> dlugosci{};
};

constexpr Rozsuniecie rozsuniecia()
{
    Rozsuniecie r;
    for (int maska = 0; maska < 256; ++maska) {
        int j = 0;
        for (int i = 0; i < 8; ++i) {
            r.wzory[maska][j++] = static_cast<std::uint8_t>(i);
            if (maska >> i & 1) {
                r.wzory[maska][j++] = static_cast<std::uint8_t>(8 + i);
            }
        }
        r.dlugosci[maska] = static_cast<std::uint8_t>(j);
        for (; j < 16; ++j) {
            r.wzory[maska][j] = 0x80;
        }
    }
    return r;
}

constexpr Rozsuniecie ROZSUNIECIA = rozsuniecia();

// Scalar tails, shorter than one vector.
void zamienOgon(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t)
{
    for (std::size_t p = 0; p < n; ++p) {
        w[p] = t.mapa[z[p]];
    }
}

std::size_t poszerzOgon(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t)
{
    std::size_t zapis = 0;
    for (std::size_t p = 0; p < n; ++p) {
        w[zapis++] = t.mapa[z[p]];
        if (t.litera[z[p]] != 0) {
            w[zapis++] = t.drugi[z[p]];
        }
    }
    return zapis;
}

// At most sixteen rows: one per high half of a byte.
struct Wiersze {
    int ile = 0;
    std::array<std::uint8_t, 16> nible{};
    std::array<const std::array<std::uint8_t, 16>*, 16> a{};
    std::array<const std::array<std::uint8_t, 16>*, 16> b{};
};

Wiersze wiersze(const std::vector<std::uint8_t>& nible, const TablicePrzebiegu& t)
{
    Wiersze w;
    for (const std::uint8_t h : nible) {
        w.nible[w.ile] = h;
        w.a[w.ile] = &t.roznicaMapy[h];
        w.b[w.ile] = &t.drugiWiersz[h];
        ++w.ile;
    }
    return w;
}

// --- SSSE3 ------------------------------------------------------------------------------------

__attribute__((target("ssse3"))) inline __m128i wiersz128(const std::array<std::uint8_t, 16>* wiersz)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(wiersz->data()));
}

// a: the byte or its letter's first target byte; b: the letter's second byte, 0 for none.
template <bool Drugi>
__attribute__((target("ssse3"))) inline void wyszukaj128(__m128i v, const Wiersze& w, __m128i& a, __m128i& b)
{
    const __m128i cztery = _mm_set1_epi8(0x0F);
    const __m128i gorne = _mm_and_si128(_mm_srli_epi16(v, 4), cztery);
    const __m128i dolne = _mm_and_si128(v, cztery);
    __m128i roznica = _mm_setzero_si128();
    __m128i drugi = _mm_setzero_si128();
    for (int i = 0; i < w.ile; ++i) {
        const __m128i tu = _mm_cmpeq_epi8(gorne, _mm_set1_epi8(static_cast<char>(w.nible[i])));
        roznica = _mm_or_si128(roznica, _mm_and_si128(tu, _mm_shuffle_epi8(wiersz128(w.a[i]), dolne)));
        if constexpr (Drugi) {
            drugi = _mm_or_si128(drugi, _mm_and_si128(tu, _mm_shuffle_epi8(wiersz128(w.b[i]), dolne)));
        }
    }
    a = _mm_xor_si128(v, roznica);
    b = drugi;
}

__attribute__((target("ssse3"))) void zamienSsse3(const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                                                  const TablicePrzebiegu& t)
{
    const Wiersze rzedy = wiersze(t.nibleZmian, t);
    std::size_t p = 0;
    for (; p + 16 <= n; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(z + p));
        __m128i a;
        __m128i b;
        wyszukaj128<false>(v, rzedy, a, b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(w + p), a);
    }
    zamienOgon(z + p, n - p, w + p, t);
}

// Stores eight bytes of `a`, each letter followed by its byte of `b`; returns the length.
__attribute__((target("ssse3"))) inline std::size_t rozsun8(__m128i ab, unsigned maska, std::uint8_t* w)
{
    const __m128i wzor = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ROZSUNIECIA.wzory[maska].data()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_shuffle_epi8(ab, wzor));
    return ROZSUNIECIA.dlugosci[maska];
}

__attribute__((target("ssse3"))) std::size_t poszerzSsse3(const std::uint8_t* z, std::size_t n,
                                                          std::uint8_t* w, const TablicePrzebiegu& t)
{
    const Wiersze rzedy = wiersze(t.nibleLiter, t);
    std::size_t zapis = 0;
    std::size_t p = 0;
    for (; p + 16 <= n; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(z + p));
        __m128i a;
        __m128i b;
        wyszukaj128<true>(v, rzedy, a, b);
        // Every second byte of a two-byte target is 80 or above, so 0 means no letter.
        const unsigned litery =
            ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, _mm_setzero_si128()))) & 0xFFFF;
        if (litery == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w + zapis), v);
            zapis += 16;
            continue;
        }
        zapis += rozsun8(_mm_unpacklo_epi64(a, b), litery & 0xFF, w + zapis);
        zapis += rozsun8(_mm_unpackhi_epi64(a, b), litery >> 8, w + zapis);
    }
    return zapis + poszerzOgon(z + p, n - p, w + zapis, t);
}

// --- AVX2 -------------------------------------------------------------------------------------

__attribute__((target("avx2"))) inline __m256i wiersz256(const std::array<std::uint8_t, 16>* wiersz)
{
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(wiersz->data())));
}

template <bool Drugi>
__attribute__((target("avx2"))) inline void wyszukaj256(__m256i v, const Wiersze& w, __m256i& a, __m256i& b)
{
    const __m256i cztery = _mm256_set1_epi8(0x0F);
    const __m256i gorne = _mm256_and_si256(_mm256_srli_epi16(v, 4), cztery);
    const __m256i dolne = _mm256_and_si256(v, cztery);
    __m256i roznica = _mm256_setzero_si256();
    __m256i drugi = _mm256_setzero_si256();
    for (int i = 0; i < w.ile; ++i) {
        const __m256i tu = _mm256_cmpeq_epi8(gorne, _mm256_set1_epi8(static_cast<char>(w.nible[i])));
        roznica =
            _mm256_or_si256(roznica, _mm256_and_si256(tu, _mm256_shuffle_epi8(wiersz256(w.a[i]), dolne)));
        if constexpr (Drugi) {
            drugi =
                _mm256_or_si256(drugi, _mm256_and_si256(tu, _mm256_shuffle_epi8(wiersz256(w.b[i]), dolne)));
        }
    }
    a = _mm256_xor_si256(v, roznica);
    b = drugi;
}

__attribute__((target("avx2"))) void zamienAvx2(const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                                                const TablicePrzebiegu& t)
{
    const Wiersze rzedy = wiersze(t.nibleZmian, t);
    std::size_t p = 0;
    for (; p + 32 <= n; p += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(z + p));
        __m256i a;
        __m256i b;
        wyszukaj256<false>(v, rzedy, a, b);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + p), a);
    }
    zamienOgon(z + p, n - p, w + p, t);
}

__attribute__((target("avx2"))) inline std::size_t rozsun8Avx2(__m128i ab, unsigned maska, std::uint8_t* w)
{
    const __m128i wzor = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ROZSUNIECIA.wzory[maska].data()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_shuffle_epi8(ab, wzor));
    return ROZSUNIECIA.dlugosci[maska];
}

__attribute__((target("avx2"))) std::size_t poszerzAvx2(const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                                                        const TablicePrzebiegu& t)
{
    const Wiersze rzedy = wiersze(t.nibleLiter, t);
    std::size_t zapis = 0;
    std::size_t p = 0;
    for (; p + 32 <= n; p += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(z + p));
        __m256i a;
        __m256i b;
        wyszukaj256<true>(v, rzedy, a, b);
        // Every second byte of a two-byte target is 80 or above, so 0 means no letter.
        const auto litery =
            ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, _mm256_setzero_si256())));
        if (litery == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + zapis), v);
            zapis += 32;
            continue;
        }
        const __m128i a0 = _mm256_castsi256_si128(a);
        const __m128i b0 = _mm256_castsi256_si128(b);
        const __m128i a1 = _mm256_extracti128_si256(a, 1);
        const __m128i b1 = _mm256_extracti128_si256(b, 1);
        zapis += rozsun8Avx2(_mm_unpacklo_epi64(a0, b0), litery & 0xFF, w + zapis);
        zapis += rozsun8Avx2(_mm_unpackhi_epi64(a0, b0), litery >> 8 & 0xFF, w + zapis);
        zapis += rozsun8Avx2(_mm_unpacklo_epi64(a1, b1), litery >> 16 & 0xFF, w + zapis);
        zapis += rozsun8Avx2(_mm_unpackhi_epi64(a1, b1), litery >> 24, w + zapis);
    }
    return zapis + poszerzOgon(z + p, n - p, w + zapis, t);
}

}  // namespace

const Przebiegi PRZEBIEGI_SSE2 = {
    przebieg::zamien<Sse2>,
    przebieg::poszerz<Sse2>,
    przebieg::zPar<Sse2>,
    policzWysokieSse2,
};

// Two-byte sources and the count gain nothing from pshufb: their SSE2 passes serve.
const Przebiegi PRZEBIEGI_SSSE3 = {
    zamienSsse3,
    poszerzSsse3,
    przebieg::zPar<Sse2>,
    policzWysokieSse2,
};

const Przebiegi PRZEBIEGI_AVX2 = {
    zamienAvx2,
    poszerzAvx2,
    przebieg::zPar<Sse2>,
    policzWysokieSse2,
};

}  // namespace znakomat
