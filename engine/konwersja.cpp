#include "konwersja.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "standardy.h"
#include "windows1250.h"

namespace znakomat {

namespace {

class PustyPostep final : public Postep {
public:
    void przedKrokiem(int) override {}
    void poKroku() override {}
};

// How much of a text is worked through between two calls of wTrakcieKroku.
constexpr std::size_t KAWALEK = std::size_t{1} << 24;

// --- The conversion ---------------------------------------------------------------------------
//
// Step i decides what letter i becomes; once all eighteen are decided, the text is written
// in one pass that finds each source letter in the text as it was passed in, so a written
// character never meets a later step. Bytes are written as the pass goes: in place when the
// target is as wide as the source or narrower, into a new string when it is wider. Only a
// wider target needs a length first: step 1 counts the bytes that may be letters, without
// telling letters apart, and the new string is cut to size at the end.

// Which bytes may start a letter, so that the others can be skipped many at a time.
enum class Kandydat {
    Kazdy,    // a source with letters below 80 ("brak")
    Wysoki,   // 80 and above
    Wiodacy,  // C0 and above: lead bytes of UTF-8
};

inline std::uint8_t bajt(const std::string_view wpis, std::size_t i)
{
    return static_cast<std::uint8_t>(wpis[i]);
}

template <Kandydat K>
inline bool jestKandydatem(std::uint8_t b)
{
    return K == Kandydat::Kazdy || (K == Kandydat::Wysoki ? b >= 0x80 : b >= 0xC0);
}

// One bit for each of 32 bytes: whether it may start a letter.
template <Kandydat K>
inline std::uint32_t maska32(const std::uint8_t* dane)
{
#if defined(__SSE2__)
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dane));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dane + 16));
    if constexpr (K == Kandydat::Wiodacy) {
        // Bit 7 of each byte and'ed with its bit 6.
        a = _mm_and_si128(a, _mm_slli_epi16(a, 1));
        b = _mm_and_si128(b, _mm_slli_epi16(b, 1));
    }
    return static_cast<std::uint32_t>(_mm_movemask_epi8(a)) | static_cast<std::uint32_t>(_mm_movemask_epi8(b))
                                                                  << 16;
#else
    std::uint32_t maska = 0;
    for (int i = 0; i < 4; ++i) {
        std::uint64_t slowo = 0;
        for (int k = 7; k >= 0; --k) {
            slowo = slowo << 8 | dane[8 * i + k];
        }
        if constexpr (K == Kandydat::Wiodacy) {
            slowo &= slowo << 1;
        }
        // The high bit of each byte, gathered into the lowest eight bits.
        const std::uint64_t bity = (slowo >> 7) & 0x0101010101010101u;
        maska |= static_cast<std::uint32_t>((bity * 0x0102040810204080u) >> 56) << (8 * i);
    }
    return maska;
#endif
}

// Calls f(p) for every p in [p, koniec) whose byte may start a letter, in order. Bytes are
// looked at 32 at a time: f may write to the text, but what it writes after the block's
// first byte can still come back as a candidate of a later block.
template <Kandydat K, class F>
void dlaKandydatow(const std::uint8_t* dane, std::size_t p, std::size_t koniec, F&& f)
{
    if constexpr (K != Kandydat::Kazdy) {
        for (; p + 64 <= koniec; p += 64) {
            std::uint64_t maska = maska32<K>(dane + p) | std::uint64_t{maska32<K>(dane + p + 32)} << 32;
            for (; maska != 0; maska &= maska - 1) {
                f(p + static_cast<std::size_t>(std::countr_zero(maska)));
            }
        }
    }
    for (; p < koniec; ++p) {
        if (jestKandydatem<K>(dane[p])) {
            f(p);
        }
    }
}

// Calls kawalek(od, do) over the whole text in pieces of KAWALEK, letting the caller
// breathe after each.
template <class F>
void wKawalkach(std::size_t n, Postep& postep, F&& kawalek)
{
    for (std::size_t p = 0; p < n;) {
        const std::size_t koniec = std::min(n, p + KAWALEK);
        kawalek(p, koniec);
        p = koniec;
        postep.wTrakcieKroku();
    }
}

// Calls f.template operator()<K>() with the kind of candidates as a constant.
template <class F>
void wedlugRodzaju(Kandydat rodzaj, F&& f)
{
    switch (rodzaj) {
        case Kandydat::Kazdy:
            return f.template operator()<Kandydat::Kazdy>();
        case Kandydat::Wysoki:
            return f.template operator()<Kandydat::Wysoki>();
        case Kandydat::Wiodacy:
            return f.template operator()<Kandydat::Wiodacy>();
    }
}

// The usual pass: dlaKandydatow over the whole text.
template <class F>
void przejdz(Kandydat rodzaj, const std::uint8_t* dane, std::size_t n, Postep& postep, F&& f)
{
    wedlugRodzaju(rodzaj, [&]<Kandydat K>() {
        wKawalkach(n, postep,
                   [&](std::size_t od, std::size_t doPoz) { dlaKandydatow<K>(dane, od, doPoz, f); });
    });
}

// Copies a gap of `ile` bytes in blocks of sixteen, so past its end by up to 31 bytes
// (always at least 32 bytes): a gap between two letters is mostly shorter than 32 and
// then costs no loop at all. The caller makes sure that the extra bytes may be read and
// that what they overwrite is written again later. `do_` may lie before `z` in the same
// buffer when no block written overlaps a block still to be read: 16 bytes apart.
inline void kopiujZNadmiarem(std::uint8_t* do_, const std::uint8_t* z, std::size_t ile)
{
#if defined(__SSE2__)
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(z));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(z + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(do_), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(do_ + 16), b);
    for (std::size_t k = 32; k < ile; k += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(do_ + k),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(z + k)));
    }
#else
    unsigned char pierwsze[32];
    std::memcpy(pierwsze, z, 32);
    std::memcpy(do_, pierwsze, 32);
    for (std::size_t k = 32; k < ile; k += 16) {
        unsigned char blok[16];
        std::memcpy(blok, z + k, 16);
        std::memcpy(do_ + k, blok, 16);
    }
#endif
}

// The source letters of a byte text and the replacements the steps decide.
class LiteryBajtow {
public:
    LiteryBajtow(int zrodlo, int cel) : zrodlo_(zrodlo), cel_(cel), szerZrodla_(SzerokoscLitery(zrodlo))
    {
        szerCelu_ = SzerokoscLitery(cel);
        std::uint8_t najmniejszy = 0xFF;
        for (int pozycja = LICZBA_LITER; pozycja >= 1; --pozycja) {
            const std::string_view wpis = Litera(zrodlo, pozycja);
            najmniejszy = std::min(najmniejszy, bajt(wpis, 0));
            if (szerZrodla_ == 1) {
                litera_[bajt(wpis, 0)] = static_cast<std::uint8_t>(pozycja);
                continue;
            }
            std::uint8_t& wiersz = wiersz_[bajt(wpis, 0)];
            if (wiersz == 0) {
                pary_.emplace_back();
                wiersz = static_cast<std::uint8_t>(pary_.size());
            }
            pary_[wiersz - 1u][bajt(wpis, 1)] = static_cast<std::uint8_t>(pozycja);
        }
        rodzaj_ = najmniejszy >= 0xC0 && szerZrodla_ == 2 ? Kandydat::Wiodacy
                  : najmniejszy >= 0x80                   ? Kandydat::Wysoki
                                                          : Kandydat::Kazdy;
        for (int b = 0; b < 256; ++b) {
            mapa_[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
        }
    }

    int szerZrodla() const { return szerZrodla_; }
    int szerCelu() const { return szerCelu_; }
    Kandydat rodzaj() const { return rodzaj_; }

    // Step `krok`: what letter `krok` becomes. A byte that stands for two letters ("brak")
    // is the lower one's, which the step of the other leaves alone.
    void postanow(int krok)
    {
        const std::string_view wpis = Litera(cel_, krok);
        zamiany_[static_cast<std::size_t>(krok)] = {bajt(wpis, 0), bajt(wpis, wpis.size() - 1)};
        if (szerZrodla_ == 1) {
            const std::uint8_t zrodlowy = bajt(Litera(zrodlo_, krok), 0);
            if (litera_[zrodlowy] == krok) {
                mapa_[zrodlowy] = bajt(wpis, 0);
                std::memcpy(&poszerzenia_[zrodlowy], wpis.data(), std::min<std::size_t>(wpis.size(), 2));
            }
        }
    }

    // The letter at a single-byte position, 0 for none.
    int litera(std::uint8_t b) const { return litera_[b]; }

    // The letter of two bytes, 0 for none.
    int litera(std::uint8_t pierwszy, std::uint8_t drugi) const
    {
        const std::uint8_t wiersz = wiersz_[pierwszy];
        return wiersz == 0 ? 0 : pary_[wiersz - 1u][drugi];
    }

    // Replacements decided so far: by letter, and by source byte for single-byte sources.
    const std::array<std::uint8_t, 2>& zamiana(int litera) const
    {
        return zamiany_[static_cast<std::size_t>(litera)];
    }
    std::uint8_t mapa(std::uint8_t b) const { return mapa_[b]; }
    const std::array<std::uint8_t, 256>& mapa() const { return mapa_; }
    // The two target bytes of a source byte's letter, as they lie in memory.
    const std::array<std::uint16_t, 256>& poszerzenia() const { return poszerzenia_; }

private:
    int zrodlo_;
    int cel_;
    int szerZrodla_;
    int szerCelu_;
    Kandydat rodzaj_;
    std::array<std::uint8_t, 256> litera_{};
    std::array<std::uint8_t, 256> wiersz_{};
    std::vector<std::array<std::uint8_t, 256>> pary_;
    std::array<std::array<std::uint8_t, 2>, LICZBA_LITER + 1> zamiany_{};
    std::array<std::uint8_t, 256> mapa_;
    std::array<std::uint16_t, 256> poszerzenia_{};
};

// Equal widths, one byte: every source byte through the table, in place.
void zamienPojedyncze(std::string& tekst, const LiteryBajtow& litery, Postep& postep)
{
    auto* const dane = reinterpret_cast<std::uint8_t*>(tekst.data());
    const std::array<std::uint8_t, 256> mapa = litery.mapa();
    przejdz(litery.rodzaj(), dane, tekst.size(), postep, [&](std::size_t p) { dane[p] = mapa[dane[p]]; });
}

// Equal widths, two bytes, in place.
void zamienPary(std::string& tekst, const LiteryBajtow& litery, Postep& postep)
{
    auto* const dane = reinterpret_cast<std::uint8_t*>(tekst.data());
    const std::size_t n = tekst.size();
    std::size_t odczyt = 0;  // everything before it is done
    przejdz(litery.rodzaj(), dane, n, postep, [&](std::size_t p) {
        if (p < odczyt || p + 1 >= n) {
            return;
        }
        if (const int litera = litery.litera(dane[p], dane[p + 1])) {
            const std::array<std::uint8_t, 2>& zamiana = litery.zamiana(litera);
            dane[p] = zamiana[0];
            dane[p + 1] = zamiana[1];
            odczyt = p + 2;
        }
    });
}

// Two bytes to one: the text moves left in place as its letters shrink.
void zwezaj(std::string& tekst, const LiteryBajtow& litery, Postep& postep)
{
    auto* const dane = reinterpret_cast<std::uint8_t*>(tekst.data());
    const std::size_t n = tekst.size();
    std::size_t odczyt = 0;
    std::size_t zapis = 0;
    przejdz(litery.rodzaj(), dane, n, postep, [&](std::size_t p) {
        if (p < odczyt || p + 1 >= n) {
            return;
        }
        const int litera = litery.litera(dane[p], dane[p + 1]);
        if (litera == 0) {
            return;
        }
        const std::size_t przerwa = p - odczyt;
        // Once the text has shrunk by 32 the writes of the copy stay behind the letter
        // just read, and its reads stay inside the text.
        if (odczyt - zapis >= 32 && p + 32 <= n) [[likely]] {
            kopiujZNadmiarem(dane + zapis, dane + odczyt, przerwa);
        } else {
            std::memmove(dane + zapis, dane + odczyt, przerwa);
        }
        zapis += przerwa;
        dane[zapis++] = litery.zamiana(litera)[0];
        odczyt = p + 2;
    });
    std::memmove(dane + zapis, dane + odczyt, n - odczyt);
    tekst.resize(zapis + (n - odczyt));
}

// How long a one-byte text can get with two-byte letters: one more byte for every byte
// that may be a letter. Counting the candidates needs no jump; the few that are other
// characters leave some room unused at the end.
std::size_t najwiecejPoPoszerzeniu(const std::string& tekst, const LiteryBajtow& litery, Postep& postep)
{
    const auto* const dane = reinterpret_cast<const std::uint8_t*>(tekst.data());
    std::size_t wynik = tekst.size();
    wKawalkach(tekst.size(), postep, [&](std::size_t od, std::size_t doPoz) {
        std::size_t p = od;
        if (litery.rodzaj() == Kandydat::Wysoki) {
#if defined(__SSE2__)
            // The high bit of each byte moved to bit 0 and summed eight bytes at a time: a
            // plain x86-64 has no popcount instruction, and its library call costs more
            // than the rest of this pass.
            const __m128i zero = _mm_setzero_si128();
            const __m128i jedynki = _mm_set1_epi8(1);
            __m128i suma = zero;
            for (; p + 16 <= doPoz; p += 16) {
                const __m128i bajty = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dane + p));
                suma =
                    _mm_add_epi64(suma, _mm_sad_epu8(_mm_and_si128(_mm_srli_epi16(bajty, 7), jedynki), zero));
            }
            wynik += static_cast<std::size_t>(_mm_cvtsi128_si64(suma)) +
                     static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(suma, suma)));
#else
            for (; p + 32 <= doPoz; p += 32) {
                wynik += static_cast<std::size_t>(std::popcount(maska32<Kandydat::Wysoki>(dane + p)));
            }
#endif
        }
        for (; p < doPoz; ++p) {
            wynik += litery.litera(dane[p]) != 0;
        }
    });
    return wynik;
}

// One byte to two, into a new string of `najwiecej` bytes at most, cut to size at the end.
std::string poszerzaj(const std::string& tekst, std::size_t najwiecej, const LiteryBajtow& litery,
                      Postep& postep)
{
    const std::size_t n = tekst.size();
    std::string wynik;
    wynik.resize(najwiecej);
    const auto* const z = reinterpret_cast<const std::uint8_t*>(tekst.data());
    auto* const w = reinterpret_cast<std::uint8_t*>(wynik.data());
    const std::array<std::uint16_t, 256> poszerzenia = litery.poszerzenia();
    std::size_t odczyt = 0;
    std::size_t zapis = 0;
    przejdz(litery.rodzaj(), z, n, postep, [&](std::size_t p) {
        if (litery.litera(z[p]) == 0) {
            return;
        }
        const std::size_t przerwa = p - odczyt;
        // The output has at least as much room left as the input has bytes, so 32 bytes
        // of input left make the copy's overshoot safe on both sides; the next gap or
        // letter writes over it. Near the end the copy is exact.
        if (p + 32 <= n) [[likely]] {
            kopiujZNadmiarem(w + zapis, z + odczyt, przerwa);
        } else {
            std::memcpy(w + zapis, z + odczyt, przerwa);
        }
        zapis += przerwa;
        std::memcpy(w + zapis, &poszerzenia[z[p]], 2);
        zapis += 2;
        odczyt = p + 1;
    });
    std::memcpy(w + zapis, z + odczyt, n - odczyt);
    wynik.resize(zapis + (n - odczyt));
    return wynik;
}

// The eighteen steps, the same for bytes and characters: step i decides letter i (step 1
// may look at the text first), and after the last one `zapisz` writes the text once.
template <class PrzyKroku1, class Zapisz>
auto wOsiemnastuKrokach(LiteryBajtow& litery, Postep& postep, PrzyKroku1&& przyKroku1, Zapisz&& zapisz)
{
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        postep.przedKrokiem(krok);
        litery.postanow(krok);
        if (krok == 1) {
            przyKroku1();
        }
        if (krok < LICZBA_LITER) {
            postep.poKroku();
        }
    }
    auto wynik = zapisz();
    postep.poKroku();
    return wynik;
}

std::string konwertujBajty(std::string tekst, int zrodlo, int cel, Postep& postep)
{
    LiteryBajtow litery(zrodlo, cel);
    const bool szerszyCel = litery.szerCelu() > litery.szerZrodla();
    std::size_t najwiecej = 0;
    return wOsiemnastuKrokach(
        litery, postep,
        [&] {
            // Only a wider target needs to know how long the result can be.
            if (szerszyCel) {
                najwiecej = najwiecejPoPoszerzeniu(tekst, litery, postep);
            }
        },
        [&] {
            if (szerszyCel) {
                tekst = poszerzaj(tekst, najwiecej, litery, postep);
            } else if (litery.szerZrodla() == 2 && litery.szerCelu() == 1) {
                zwezaj(tekst, litery, postep);
            } else if (litery.szerZrodla() == 2) {
                zamienPary(tekst, litery, postep);
            } else {
                zamienPojedyncze(tekst, litery, postep);
            }
            return std::move(tekst);
        });
}

// Characters (the text box): a letter is the Windows-1250 character of its bytes; every
// other character, lone surrogates included, passes untouched. Texts of the box are
// small, so a plain pass into a new string does.
std::u16string konwertujZnaki(std::u16string tekst, int zrodlo, int cel, Postep& postep)
{
    LiteryBajtow litery(zrodlo, cel);
    const auto bajtZnaku = [&tekst](std::size_t p) { return BajtWindows1250(tekst[p]); };
    return wOsiemnastuKrokach(
        litery, postep, [] {},
        [&] {
            const std::size_t n = tekst.size();
            const std::size_t szerZrodla = static_cast<std::size_t>(litery.szerZrodla());
            std::u16string wynik;
            wynik.reserve(n + n / 8);
            std::size_t nastepnyOddech = KAWALEK;
            for (std::size_t p = 0; p < n;) {
                if (p >= nastepnyOddech) {
                    postep.wTrakcieKroku();
                    nastepnyOddech = p + KAWALEK;
                }
                int litera = 0;
                if (const int pierwszy = bajtZnaku(p); pierwszy >= 0) {
                    if (szerZrodla == 1) {
                        litera = litery.litera(static_cast<std::uint8_t>(pierwszy));
                    } else if (const int drugi = p + 1 < n ? bajtZnaku(p + 1) : -1; drugi >= 0) {
                        litera = litery.litera(static_cast<std::uint8_t>(pierwszy),
                                               static_cast<std::uint8_t>(drugi));
                    }
                }
                if (litera == 0) {
                    wynik.push_back(tekst[p]);
                    ++p;
                    continue;
                }
                const std::array<std::uint8_t, 2>& zamiana = litery.zamiana(litera);
                wynik.push_back(ZnakWindows1250(zamiana[0]));
                if (litery.szerCelu() == 2) {
                    wynik.push_back(ZnakWindows1250(zamiana[1]));
                }
                p += szerZrodla;
            }
            return wynik;
        });
}

}  // namespace

Postep& BezPostepu()
{
    static PustyPostep pusty;
    return pusty;
}

std::string KonwertujTekst(std::string tekst, int zrodlo, int cel, Postep& postep)
{
    return konwertujBajty(std::move(tekst), zrodlo, cel, postep);
}

std::u16string KonwertujTekst(std::u16string tekst, int zrodlo, int cel, Postep& postep)
{
    return konwertujZnaki(std::move(tekst), zrodlo, cel, postep);
}

}  // namespace znakomat
