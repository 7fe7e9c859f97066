// The x86-64 variants. SSE2 is always there: it finds the candidates sixteen bytes at a
// time and handles each alone. SSSE3 and AVX2, chosen at run time, look every byte up at
// once with pshufb, one table row per high half of a byte that holds a letter, and widen
// to two bytes by shuffling each group of eight into place. AVX-512 VBMI looks 64 bytes up
// in a 128-byte half of a table with one vpermi2b, and reads a two-byte source the same
// way: each byte with the one after it, the second bytes of letters then dropped by one
// shuffle per eight bytes. AVX2 reads a two-byte source alike, each pair looked up in
// 32 places by a hash of its two bytes.

#include <emmintrin.h>
#include <immintrin.h>
#include <tmmintrin.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "engine/przebieg.h"
#include "engine/przebieg_wspolne.h"

namespace engine {

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

// The rows of one lookup, loaded and broadcast once before the loop. Their number is a
// constant, so that the loop over them unrolls and they stay in registers.
template <int N>
struct Rzedy256 {
    // One more than needed: N may be 0.
    __m256i nible[N + 1];
    __m256i a[N + 1];
    __m256i b[N + 1];
};

template <int N>
__attribute__((target("avx2"))) inline void zaladuj256(const Wiersze& w, Rzedy256<N>& r)
{
    for (int i = 0; i < N; ++i) {
        r.nible[i] = _mm256_set1_epi8(static_cast<char>(w.nible[i]));
        r.a[i] =
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w.a[i]->data())));
        r.b[i] =
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w.b[i]->data())));
    }
}

template <int N, bool Drugi>
__attribute__((target("avx2"))) inline void wyszukaj256(__m256i v, const Rzedy256<N>& r, __m256i& a,
                                                        __m256i& b)
{
    const __m256i cztery = _mm256_set1_epi8(0x0F);
    const __m256i gorne = _mm256_and_si256(_mm256_srli_epi16(v, 4), cztery);
    const __m256i dolne = _mm256_and_si256(v, cztery);
    __m256i roznica = _mm256_setzero_si256();
    __m256i drugi = _mm256_setzero_si256();
#pragma GCC unroll 16
    for (int i = 0; i < N; ++i) {
        const __m256i tu = _mm256_cmpeq_epi8(gorne, r.nible[i]);
        roznica = _mm256_or_si256(roznica, _mm256_and_si256(tu, _mm256_shuffle_epi8(r.a[i], dolne)));
        if constexpr (Drugi) {
            drugi = _mm256_or_si256(drugi, _mm256_and_si256(tu, _mm256_shuffle_epi8(r.b[i], dolne)));
        }
    }
    a = _mm256_xor_si256(v, roznica);
    b = drugi;
}

// True when every row that holds a letter lies at 80 or above: a vector without a high
// byte then passes as it is.
inline bool tylkoWysokie(const Wiersze& w)
{
    return w.ile == 0 || w.nible[0] >= 8;
}

template <int N>
__attribute__((target("avx2"))) void zamienAvx2N(const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                                                 const TablicePrzebiegu& t)
{
    Rzedy256<N> rzedy;
    zaladuj256<N>(wiersze(t.nibleZmian, t), rzedy);
    // No test for vectors without high bytes: on Polish text most hold one, and the branch
    // cost more than the lookup it saved.
    std::size_t p = 0;
    for (; p + 32 <= n; p += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(z + p));
        __m256i a;
        __m256i b;
        wyszukaj256<N, false>(v, rzedy, a, b);
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

template <int N>
__attribute__((target("avx2"))) std::size_t poszerzAvx2N(const std::uint8_t* z, std::size_t n,
                                                         std::uint8_t* w, const TablicePrzebiegu& t)
{
    const Wiersze wiersz = wiersze(t.nibleLiter, t);
    Rzedy256<N> rzedy;
    zaladuj256<N>(wiersz, rzedy);
    const bool pomijaj = tylkoWysokie(wiersz);
    std::size_t zapis = 0;
    std::size_t p = 0;
    for (; p + 32 <= n; p += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(z + p));
        if (pomijaj && _mm256_movemask_epi8(v) == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + zapis), v);
            zapis += 32;
            continue;
        }
        __m256i a;
        __m256i b;
        wyszukaj256<N, true>(v, rzedy, a, b);
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

using Zamiana = void (*)(const std::uint8_t*, std::size_t, std::uint8_t*, const TablicePrzebiegu&);
using Poszerzenie = std::size_t (*)(const std::uint8_t*, std::size_t, std::uint8_t*, const TablicePrzebiegu&);

// One instance per number of rows, 0 to 16.
template <std::size_t... N>
constexpr std::array<Zamiana, sizeof...(N)> zamianyAvx2(std::index_sequence<N...>)
{
    return {zamienAvx2N<static_cast<int>(N)>...};
}

template <std::size_t... N>
constexpr std::array<Poszerzenie, sizeof...(N)> poszerzeniaAvx2(std::index_sequence<N...>)
{
    return {poszerzAvx2N<static_cast<int>(N)>...};
}

constexpr auto ZAMIANY_AVX2 = zamianyAvx2(std::make_index_sequence<17>{});
constexpr auto POSZERZENIA_AVX2 = poszerzeniaAvx2(std::make_index_sequence<17>{});

void zamienAvx2(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t)
{
    ZAMIANY_AVX2[t.nibleZmian.size()](z, n, w, t);
}

std::size_t poszerzAvx2(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t)
{
    return POSZERZENIA_AVX2[t.nibleLiter.size()](z, n, w, t);
}

// For eight bytes of which those in a mask stay: the shuffle that gathers them at the start
// (Gorna: of the high eight of sixteen, at byte 8), the rest of its indexes 0 so that two
// can be or'ed into one.
struct Sciagniecie {
    std::array<std::array<std::uint8_t, 16>, 256> dolna{};
    std::array<std::array<std::uint8_t, 16>, 256> gorna{};
    std::array<std::uint8_t, 256> dlugosci{};
};

constexpr Sciagniecie sciagniecia()
{
    Sciagniecie s;
    for (int maska = 0; maska < 256; ++maska) {
        int j = 0;
        for (int i = 0; i < 8; ++i) {
            if (maska >> i & 1) {
                s.dolna[maska][j] = static_cast<std::uint8_t>(i);
                s.gorna[maska][8 + j] = static_cast<std::uint8_t>(8 + i);
                ++j;
            }
        }
        s.dlugosci[maska] = static_cast<std::uint8_t>(j);
    }
    return s;
}

constexpr Sciagniecie SCIAGNIECIA = sciagniecia();

// Stores the bytes of sixteen that `zostaja` keeps, in order, as two stores of eight: in
// place those never reach past the sixteen read.
__attribute__((target("avx2"))) inline std::size_t sciagnij16(__m128i v, unsigned zostaja, std::uint8_t* w)
{
    const unsigned dolne = zostaja & 0xFF;
    const unsigned gorne = zostaja >> 8 & 0xFF;
    const __m128i wzor =
        _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(SCIAGNIECIA.dolna[dolne].data())),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(SCIAGNIECIA.gorna[gorne].data())));
    const __m128i wynik = _mm_shuffle_epi8(v, wzor);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(w), wynik);
    const std::size_t zapis = SCIAGNIECIA.dlugosci[dolne];
    const auto drugie8 = static_cast<std::uint64_t>(_mm_extract_epi64(wynik, 1));
    std::memcpy(w + zapis, &drugie8, 8);
    return zapis + SCIAGNIECIA.dlugosci[gorne];
}

// What is left of a two-byte source after the vectors, byte by byte from `p`; in place the
// writes trail the reads.
std::size_t zParOgon(const std::uint8_t* z, std::size_t n, std::size_t p, std::uint8_t* w, std::size_t zapis,
                     const TablicePrzebiegu& t)
{
    while (p < n) {
        const int litera = p + 1 < n ? t.literaPary(z[p], z[p + 1]) : 0;
        if (litera != 0) {
            w[zapis++] = t.celLitery[static_cast<std::size_t>(litera)];
            p += 2;
        } else {
            w[zapis++] = z[p++];
        }
    }
    return zapis;
}

// A table of 32 places as two registers: pshufb of the first gives places 0 to 15 for
// any index below 32, the second, xor'ed to it, turns those of 16 and above into their own.
struct Tablica32 {
    __m256i dolna;
    __m256i roznica;
};

__attribute__((target("avx2"))) inline Tablica32 zaladuj32(const std::array<std::uint8_t, 32>& tablica)
{
    const __m128i dolna = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tablica.data()));
    const __m128i gorna = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tablica.data() + 16));
    return {_mm256_broadcastsi128_si256(dolna), _mm256_broadcastsi128_si256(_mm_xor_si128(dolna, gorna))};
}

// `gorne`: the index with bit 7 set below 16, so that pshufb gives 0 there.
__attribute__((target("avx2"))) inline __m256i wyszukaj32(const Tablica32& t, __m256i indeks, __m256i gorne)
{
    return _mm256_xor_si256(_mm256_shuffle_epi8(t.dolna, indeks), _mm256_shuffle_epi8(t.roznica, gorne));
}

// Two-byte source to one byte, 32 bytes at a time: each byte taken as the first of a pair
// with the byte after it, the pair hashed to one of 32 places; where the place holds that
// very pair, the letter's target replaces the first byte and the second is dropped.
__attribute__((target("avx2"))) std::size_t zParAvx2(const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                                                     bool wMiejscu, const TablicePrzebiegu& t)
{
    const TablicePrzebiegu::SkrotPar& skrot = t.skrot;
    if (!skrot.jest) {
        return przebieg::zPar<Sse2>(z, n, w, wMiejscu, t);
    }
    const Tablica32 pierwsze = zaladuj32(skrot.pierwsze);
    const Tablica32 drugie = zaladuj32(skrot.drugie);
    const Tablica32 cele = zaladuj32(skrot.cele);
    // Shifts of 16 bits bring in bits of the neighbouring byte: they are cut off.
    const __m128i wPrawoDrugi = _mm_cvtsi32_si128(skrot.drugi);
    const __m256i bezSasiadaDrugi = _mm256_set1_epi8(static_cast<char>(0xFF >> skrot.drugi));
    const __m128i wLewo0 = _mm_cvtsi32_si128(skrot.pierwszy[0]);
    const __m256i bezSasiada0 = _mm256_set1_epi8(static_cast<char>(0xFF << skrot.pierwszy[0] & 0xFF));
    const __m128i wLewo1 = _mm_cvtsi32_si128(skrot.pierwszy[1]);
    const __m256i bezSasiada1 = _mm256_set1_epi8(static_cast<char>(0xFF << skrot.pierwszy[1] & 0xFF));
    const __m256i miejsca = _mm256_set1_epi8(31);
    const __m256i szesnascie = _mm256_set1_epi8(16);
    const __m256i doGornych = _mm256_set1_epi8(0x70);
    std::size_t zapis = 0;
    std::size_t p = 0;
    std::uint32_t przeniesiony = 0;  // 1: the block starts with the second byte of a letter
    // The byte after the block is read too.
    for (; p + 33 <= n; p += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(z + p));
        // Every first byte is 80 or above.
        if (przeniesiony == 0 && _mm256_movemask_epi8(v) == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + zapis), v);
            zapis += 32;
            continue;
        }
        const __m256i nastepne = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(z + p + 1));
        const __m256i zDrugiego = _mm256_xor_si256(
            nastepne, _mm256_and_si256(_mm256_srl_epi16(nastepne, wPrawoDrugi), bezSasiadaDrugi));
        const __m256i zPierwszego =
            _mm256_xor_si256(_mm256_and_si256(_mm256_sll_epi16(v, wLewo0), bezSasiada0),
                             _mm256_and_si256(_mm256_sll_epi16(v, wLewo1), bezSasiada1));
        const __m256i indeks = _mm256_and_si256(_mm256_xor_si256(zDrugiego, zPierwszego), miejsca);
        const __m256i gorne = _mm256_add_epi8(_mm256_xor_si256(indeks, szesnascie), doGornych);
        const __m256i litery =
            _mm256_and_si256(_mm256_cmpeq_epi8(wyszukaj32(pierwsze, indeks, gorne), v),
                             _mm256_cmpeq_epi8(wyszukaj32(drugie, indeks, gorne), nastepne));
        const auto pary = static_cast<std::uint32_t>(_mm256_movemask_epi8(litery));
        const std::uint32_t usuniete = pary << 1 | przeniesiony;
        przeniesiony = pary >> 31;
        const __m256i wynik = _mm256_blendv_epi8(v, wyszukaj32(cele, indeks, gorne), litery);
        // A letter that ends the block drops only the next block's first byte.
        if (usuniete == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + zapis), wynik);
            zapis += 32;
            continue;
        }
        zapis += sciagnij16(_mm256_castsi256_si128(wynik), ~usuniete & 0xFFFF, w + zapis);
        zapis += sciagnij16(_mm256_extracti128_si256(wynik, 1), ~usuniete >> 16, w + zapis);
    }
    return zParOgon(z, n, p + przeniesiony, w, zapis, t);
}

// --- AVX-512 VBMI -----------------------------------------------------------------------------

#define ZNAKOMAT_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

// A table of 256 bytes in four registers; vpermi2b looks up 128 of them at once.
struct Tablica512 {
    __m512i c[4];
};

ZNAKOMAT_AVX512 inline void zaladuj512(const std::array<std::array<std::uint8_t, 16>, 16>& wiersze,
                                       Tablica512& t)
{
    static_assert(sizeof(wiersze) == 256);
    for (int i = 0; i < 4; ++i) {
        t.c[i] = _mm512_loadu_si512(wiersze.data()->data() + 64 * i);
    }
}

// The table's byte for each byte of v; with TylkoGorna the table holds nothing below 80.
template <bool TylkoGorna>
ZNAKOMAT_AVX512 inline __m512i wyszukaj512(__m512i v, const Tablica512& t)
{
    const __mmask64 wysokie = _mm512_movepi8_mask(v);
    if constexpr (TylkoGorna) {
        return _mm512_maskz_permutex2var_epi8(wysokie, t.c[2], v, t.c[3]);
    }
    return _mm512_mask_blend_epi8(wysokie, _mm512_permutex2var_epi8(t.c[0], v, t.c[1]),
                                  _mm512_permutex2var_epi8(t.c[2], v, t.c[3]));
}

// The bytes of the last block, fewer than 64: a masked load reads none past them.
inline __mmask64 pierwszych(std::size_t ile)
{
    return ile >= 64 ? ~__mmask64{0} : (__mmask64{1} << ile) - 1;
}

template <bool TylkoGorna>
ZNAKOMAT_AVX512 void zamien512(const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                               const TablicePrzebiegu& t)
{
    Tablica512 roznica;
    zaladuj512(t.roznicaMapy, roznica);
    std::size_t p = 0;
    for (; p + 64 <= n; p += 64) {
        const __m512i v = _mm512_loadu_si512(z + p);
        _mm512_storeu_si512(w + p, _mm512_xor_si512(v, wyszukaj512<TylkoGorna>(v, roznica)));
    }
    if (p < n) {
        const __mmask64 reszta = pierwszych(n - p);
        const __m512i v = _mm512_maskz_loadu_epi8(reszta, z + p);
        _mm512_mask_storeu_epi8(w + p, reszta, _mm512_xor_si512(v, wyszukaj512<TylkoGorna>(v, roznica)));
    }
}

ZNAKOMAT_AVX512 inline std::size_t rozsun8Avx512(__m128i ab, unsigned maska, std::uint8_t* w)
{
    const __m128i wzor = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ROZSUNIECIA.wzory[maska].data()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_shuffle_epi8(ab, wzor));
    return ROZSUNIECIA.dlugosci[maska];
}

// One of the four lanes of sixteen bytes. (The zero-masking form with every bit set: GCC 12
// warns of the plain form's undefined fill.)
template <int Pas>
ZNAKOMAT_AVX512 inline __m128i pas128(__m512i v)
{
    return _mm512_maskz_extracti32x4_epi32(0xF, v, Pas);
}

// Sixteen bytes of a and b, each group of eight widened by one shuffle.
template <int Pas>
ZNAKOMAT_AVX512 inline std::size_t rozsun16(__m512i a, __m512i b, std::uint64_t litery, std::uint8_t* w)
{
    const __m128i a16 = pas128<Pas>(a);
    const __m128i b16 = pas128<Pas>(b);
    std::size_t zapis = rozsun8Avx512(_mm_unpacklo_epi64(a16, b16), litery >> (16 * Pas) & 0xFF, w);
    return zapis + rozsun8Avx512(_mm_unpackhi_epi64(a16, b16), litery >> (16 * Pas + 8) & 0xFF, w + zapis);
}

template <bool TylkoGorna>
ZNAKOMAT_AVX512 std::size_t poszerz512(const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                                       const TablicePrzebiegu& t)
{
    Tablica512 roznica;
    Tablica512 drugi;
    zaladuj512(t.roznicaMapy, roznica);
    zaladuj512(t.drugiWiersz, drugi);
    std::size_t zapis = 0;
    std::size_t p = 0;
    for (; p + 64 <= n; p += 64) {
        const __m512i v = _mm512_loadu_si512(z + p);
        const __m512i b = wyszukaj512<TylkoGorna>(v, drugi);
        // Every second byte of a two-byte target is 80 or above, so 0 means no letter.
        const std::uint64_t litery = _mm512_test_epi8_mask(b, b);
        if (litery == 0) {
            _mm512_storeu_si512(w + zapis, v);
            zapis += 64;
            continue;
        }
        const __m512i a = _mm512_xor_si512(v, wyszukaj512<TylkoGorna>(v, roznica));
        zapis += rozsun16<0>(a, b, litery, w + zapis);
        zapis += rozsun16<1>(a, b, litery, w + zapis);
        zapis += rozsun16<2>(a, b, litery, w + zapis);
        zapis += rozsun16<3>(a, b, litery, w + zapis);
    }
    return zapis + poszerzOgon(z + p, n - p, w + zapis, t);
}

template <int Pas>
ZNAKOMAT_AVX512 inline std::size_t sciagnij16(__m512i v, std::uint64_t zostaja, std::uint8_t* w)
{
    return sciagnij16(pas128<Pas>(v), static_cast<unsigned>(zostaja >> (16 * Pas) & 0xFFFF), w);
}

// Two-byte source to one byte: every byte looked up as the first of a pair with the byte
// after it, the letters' targets put in place of their first bytes and their second bytes
// dropped. R rows of pairs, each a 128-byte table of the second bytes 80 to FF.
template <int R>
ZNAKOMAT_AVX512 std::size_t zPar512(const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                                    const TablicePrzebiegu& t)
{
    __m512i wiodacy[R];
    __m512i dolna[R];
    __m512i gorna[R];
    for (int r = 0; r < R; ++r) {
        wiodacy[r] = _mm512_set1_epi8(static_cast<char>(t.wiodace[static_cast<std::size_t>(r)]));
        dolna[r] = _mm512_loadu_si512(t.pary[static_cast<std::size_t>(r)].data() + 128);
        gorna[r] = _mm512_loadu_si512(t.pary[static_cast<std::size_t>(r)].data() + 192);
    }
    const __m512i cele = _mm512_loadu_si512(t.celLitery.data());
    std::size_t zapis = 0;
    std::size_t p = 0;
    std::uint64_t przeniesiony = 0;  // 1: the block starts with the second byte of a letter
    // The byte after the block is read too.
    for (; p + 65 <= n; p += 64) {
        const __m512i v = _mm512_loadu_si512(z + p);
        const __m512i nastepne = _mm512_loadu_si512(z + p + 1);
        const __mmask64 wysokie = _mm512_movepi8_mask(nastepne);
        __m512i litery = _mm512_setzero_si512();
#pragma GCC unroll 4
        for (int r = 0; r < R; ++r) {
            const __mmask64 tu = _mm512_mask_cmpeq_epi8_mask(wysokie, v, wiodacy[r]);
            litery =
                _mm512_or_si512(litery, _mm512_maskz_permutex2var_epi8(tu, dolna[r], nastepne, gorna[r]));
        }
        const std::uint64_t pary = _mm512_test_epi8_mask(litery, litery);
        const std::uint64_t usuniete = pary << 1 | przeniesiony;
        przeniesiony = pary >> 63;
        const __m512i wynik = _mm512_mask_permutexvar_epi8(v, pary, litery, cele);
        if (usuniete == 0) {
            _mm512_storeu_si512(w + zapis, wynik);
            zapis += 64;
            continue;
        }
        zapis += sciagnij16<0>(wynik, ~usuniete, w + zapis);
        zapis += sciagnij16<1>(wynik, ~usuniete, w + zapis);
        zapis += sciagnij16<2>(wynik, ~usuniete, w + zapis);
        zapis += sciagnij16<3>(wynik, ~usuniete, w + zapis);
    }
    return zParOgon(z, n, p + przeniesiony, w, zapis, t);
}

void zamienAvx512(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t)
{
    if (t.nibleZmian.empty() || t.nibleZmian.front() >= 8) {
        zamien512<true>(z, n, w, t);
    } else {
        zamien512<false>(z, n, w, t);
    }
}

std::size_t poszerzAvx512(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t)
{
    if (t.nibleLiter.empty() || t.nibleLiter.front() >= 8) {
        return poszerz512<true>(z, n, w, t);
    }
    return poszerz512<false>(z, n, w, t);
}

std::size_t zParAvx512(const std::uint8_t* z, std::size_t n, std::uint8_t* w, bool wMiejscu,
                       const TablicePrzebiegu& t)
{
    if (!t.paryWektorowo) {
        return przebieg::zPar<Sse2>(z, n, w, wMiejscu, t);
    }
    static_assert(NAJWIECEJ_WIERSZY_PAR == 4);
    switch (t.pary.size()) {
        case 1:
            return zPar512<1>(z, n, w, t);
        case 2:
            return zPar512<2>(z, n, w, t);
        case 3:
            return zPar512<3>(z, n, w, t);
        default:
            return zPar512<4>(z, n, w, t);
    }
}

#undef ZNAKOMAT_AVX512

}  // namespace

const Przebiegi PRZEBIEGI_SSE2 = {
    przebieg::zamien<Sse2>,
    przebieg::poszerz<Sse2>,
    przebieg::zPar<Sse2>,
};

// Two-byte sources gain nothing from pshufb: their SSE2 pass serves.
const Przebiegi PRZEBIEGI_SSSE3 = {
    zamienSsse3,
    poszerzSsse3,
    przebieg::zPar<Sse2>,
};

const Przebiegi PRZEBIEGI_AVX2 = {
    zamienAvx2,
    poszerzAvx2,
    zParAvx2,
};

const Przebiegi PRZEBIEGI_AVX512_VBMI = {
    zamienAvx512,
    poszerzAvx512,
    zParAvx512,
};

}  // namespace engine
