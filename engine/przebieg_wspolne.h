#pragma once

// The passes that visit only the bytes which may start a letter, written once for the
// plain variant and the SSE2 one. A variant gives them its scanning as a type `S` with
//   template <PoczatekLitery K> static std::uint64_t maska64(const std::uint8_t* dane);
//     one bit for each of 64 bytes: whether it may start a letter;
//   static void kopiujZNadmiarem(std::uint8_t* do_, const std::uint8_t* z, std::size_t ile);
//     copies at least 32 bytes and up to 31 past `ile`, in blocks of sixteen, read before
//     written, so `do_` may lie 32 or more bytes before `z` in the same buffer.

#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/przebieg.h"

namespace engine::przebieg {

template <PoczatekLitery K>
inline bool jestKandydatem(std::uint8_t b)
{
    return K == PoczatekLitery::Kazdy || (K == PoczatekLitery::Wysoki ? b >= 0x80 : b >= 0xC0);
}

// Calls f(p) for every p in [0, n) whose byte may start a letter, in order. The mask of a
// block is taken before f runs, so f may change the block's bytes.
template <class S, PoczatekLitery K, class F>
inline void dlaKandydatow(const std::uint8_t* dane, std::size_t n, F&& f)
{
    std::size_t p = 0;
    if constexpr (K != PoczatekLitery::Kazdy) {
        for (; p + 64 <= n; p += 64) {
            for (std::uint64_t maska = S::template maska64<K>(dane + p); maska != 0; maska &= maska - 1) {
                f(p + static_cast<std::size_t>(std::countr_zero(maska)));
            }
        }
    }
    for (; p < n; ++p) {
        if (jestKandydatem<K>(dane[p])) {
            f(p);
        }
    }
}

// Calls f.template operator()<K>() with the kind of candidates as a constant.
template <class F>
inline auto wedlugRodzaju(PoczatekLitery rodzaj, F&& f)
{
    switch (rodzaj) {
        case PoczatekLitery::Wysoki:
            return f.template operator()<PoczatekLitery::Wysoki>();
        case PoczatekLitery::Wiodacy:
            return f.template operator()<PoczatekLitery::Wiodacy>();
        case PoczatekLitery::Kazdy:
            break;
    }
    return f.template operator()<PoczatekLitery::Kazdy>();
}

// One byte to one: each block of 64 copied, then its candidates looked up.
template <class S>
void zamien(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t)
{
    if (t.rodzaj == PoczatekLitery::Kazdy) {
        for (std::size_t p = 0; p < n; ++p) {
            w[p] = t.mapa[z[p]];
        }
        return;
    }
    wedlugRodzaju(t.rodzaj, [&]<PoczatekLitery K>() {
        std::size_t p = 0;
        for (; p + 64 <= n; p += 64) {
            std::uint64_t maska = S::template maska64<K>(z + p);
            if (w != z) {
                std::memcpy(w + p, z + p, 64);
            }
            for (; maska != 0; maska &= maska - 1) {
                const std::size_t q = p + static_cast<std::size_t>(std::countr_zero(maska));
                w[q] = t.mapa[z[q]];
            }
        }
        for (; p < n; ++p) {
            w[p] = t.mapa[z[p]];
        }
    });
}

// One byte to two: the gaps between letters copied, each letter written as its two bytes.
template <class S>
std::size_t poszerz(const std::uint8_t* z, std::size_t n, std::uint8_t* w, const TablicePrzebiegu& t)
{
    std::size_t odczyt = 0;  // everything before it is written
    std::size_t zapis = 0;
    wedlugRodzaju(t.rodzaj, [&]<PoczatekLitery K>() {
        dlaKandydatow<S, K>(z, n, [&](std::size_t p) {
            if (t.litera[z[p]] == 0) {
                return;
            }
            const std::size_t przerwa = p - odczyt;
            // 32 bytes of input left keep the copy's reads inside; its writes beyond the
            // gap land in the margin and are written over by what follows.
            if (p + 32 <= n) [[likely]] {
                S::kopiujZNadmiarem(w + zapis, z + odczyt, przerwa);
            } else {
                std::memcpy(w + zapis, z + odczyt, przerwa);
            }
            zapis += przerwa;
            w[zapis] = t.mapa[z[p]];
            w[zapis + 1] = t.drugi[z[p]];
            zapis += 2;
            odczyt = p + 1;
        });
    });
    // An empty text may come with no memory at all, which memcpy must not be given.
    if (odczyt < n) {
        std::memcpy(w + zapis, z + odczyt, n - odczyt);
    }
    return zapis + (n - odczyt);
}

// Two-byte source: a candidate followed by the second byte of a letter becomes the
// letter's target, everything else is copied. In place the writes trail the reads, and
// the copy may overshoot only once the text has shrunk by 32 bytes.
template <class S>
std::size_t zPar(const std::uint8_t* z, std::size_t n, std::uint8_t* w, bool wMiejscu,
                 const TablicePrzebiegu& t)
{
    std::size_t odczyt = 0;
    std::size_t zapis = 0;
    wedlugRodzaju(t.rodzaj, [&]<PoczatekLitery K>() {
        dlaKandydatow<S, K>(z, n, [&](std::size_t p) {
            if (p < odczyt || p + 1 >= n) {
                return;
            }
            const int litera = t.literaPary(z[p], z[p + 1]);
            if (litera == 0) {
                return;
            }
            const std::size_t przerwa = p - odczyt;
            const bool zDala = !wMiejscu || static_cast<std::size_t>((z + odczyt) - (w + zapis)) >= 32;
            if (zDala && p + 32 <= n) [[likely]] {
                S::kopiujZNadmiarem(w + zapis, z + odczyt, przerwa);
            } else {
                std::memmove(w + zapis, z + odczyt, przerwa);
            }
            zapis += przerwa;
            const auto& zamiana = t.zamiany[static_cast<std::size_t>(litera)];
            w[zapis++] = zamiana[0];
            if (t.szerCelu == 2) {
                w[zapis++] = zamiana[1];
            }
            odczyt = p + 2;
        });
    });
    if (odczyt < n) {
        std::memmove(w + zapis, z + odczyt, n - odczyt);
    }
    return zapis + (n - odczyt);
}

}  // namespace engine::przebieg
