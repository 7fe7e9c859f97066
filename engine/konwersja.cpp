#include "konwersja.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "standardy.h"
#include "windows1250.h"

namespace znakomat {

namespace {

class PustyPostep final : public Postep {
public:
    void przedKrokiem(int) override {}
    void poKroku() override {}
};

// Windows-1250 byte of a text unit, or -1 for a character the code page lacks.
inline int kod(char jednostka)
{
    return static_cast<unsigned char>(jednostka);
}

inline int kod(char16_t jednostka)
{
    return BajtWindows1250(jednostka);
}

template <class Jednostka>
Jednostka jednostka(unsigned char bajt);

template <>
char jednostka<char>(unsigned char bajt)
{
    return static_cast<char>(bajt);
}

template <>
char16_t jednostka<char16_t>(unsigned char bajt)
{
    return ZnakWindows1250(bajt);
}

// Recognises the source letters. A single-byte standard needs one table; UTF-8 needs a
// table per lead byte. A later position never overrides an earlier equal entry, which
// is what the step order gives for "brak" (Z is Ź, never Ż).
class Rozpoznawanie {
public:
    explicit Rozpoznawanie(int zrodlo) : szerokosc_(SzerokoscLitery(zrodlo))
    {
        for (int pozycja = LICZBA_LITER; pozycja >= 1; --pozycja) {
            const std::string_view wpis = Litera(zrodlo, pozycja);
            const auto pierwszy = static_cast<unsigned char>(wpis[0]);
            tylkoWysokie_ = tylkoWysokie_ && pierwszy >= 0x80;
            if (szerokosc_ == 1) {
                pojedyncze_[pierwszy] = static_cast<std::uint8_t>(pozycja);
                continue;
            }
            if (wiersz_[pierwszy] == 0) {
                pary_.emplace_back();
                wiersz_[pierwszy] = static_cast<std::uint8_t>(pary_.size());
            }
            pary_[wiersz_[pierwszy] - 1u][static_cast<unsigned char>(wpis[1])] =
                static_cast<std::uint8_t>(pozycja);
        }
    }

    int szerokosc() const { return szerokosc_; }

    // Whether every letter starts with a byte of 80 or more (all but "brak").
    bool tylkoWysokieBajty() const { return tylkoWysokie_; }

    int pojedyncza(int kodZnaku) const { return kodZnaku < 0 ? 0 : pojedyncze_[kodZnaku]; }

    int para(int pierwszy, int drugi) const
    {
        if (pierwszy < 0 || drugi < 0 || wiersz_[pierwszy] == 0) {
            return 0;
        }
        return pary_[wiersz_[pierwszy] - 1u][drugi];
    }

private:
    int szerokosc_;
    bool tylkoWysokie_ = true;
    std::array<std::uint8_t, 256> pojedyncze_{};
    std::array<std::uint8_t, 256> wiersz_{};
    std::vector<std::array<std::uint8_t, 256>> pary_;
};

// Every source letter of the text in order, found in one scan: each entry packs the
// distance from the previous entry (11 bits) and the letter (5 bits); letter 0 only
// carries a long distance forward. Two bytes a letter keep it small beside the text.
class Indeks {
public:
    static constexpr unsigned BITY_LITERY = 5;
    static constexpr std::size_t MAKS_ODSTEP = (std::size_t{1} << (16 - BITY_LITERY)) - 1;

    explicit Indeks(std::size_t dlugoscTekstu) { wpisy_.reserve(dlugoscTekstu / 8 + 16); }

    void dodaj(std::size_t pozycja, int litera)
    {
        std::size_t odstep = pozycja - ostatnia_;
        while (odstep > MAKS_ODSTEP)
            [[unlikely]]
            {
                wpisy_.push_back(static_cast<std::uint16_t>(MAKS_ODSTEP << BITY_LITERY));
                odstep -= MAKS_ODSTEP;
            }
        wpisy_.push_back(static_cast<std::uint16_t>((odstep << BITY_LITERY) | static_cast<unsigned>(litera)));
        ostatnia_ = pozycja;
        ++liczbaLiter_;
    }

    std::size_t liczbaLiter() const { return liczbaLiter_; }

    // Calls f(position, letter) for every letter, in the order of the text.
    template <class F>
    void dlaKazdej(F&& f) const
    {
        std::size_t pozycja = 0;
        for (const std::uint16_t wpis : wpisy_) {
            pozycja += wpis >> BITY_LITERY;
            if (const unsigned litera = wpis & ((1u << BITY_LITERY) - 1)) {
                f(pozycja, static_cast<int>(litera));
            }
        }
    }

private:
    std::vector<std::uint16_t> wpisy_;
    std::size_t ostatnia_ = 0;
    std::size_t liczbaLiter_ = 0;
};

// How much of a text is worked through between two calls of wTrakcieKroku.
constexpr std::size_t KAWALEK = std::size_t{1} << 24;

// Calls naLiterze(position, letter) for every source letter, left to right, leftmost
// first. No second byte of a UTF-8 entry is a first byte of another, so a match can
// never overlap one that a different step would take, and no byte needs skipping.
template <class Tekst, class F>
void znajdzLitery(const Tekst& tekst, const Rozpoznawanie& rozpoznawanie, Postep& postep, F&& naLiterze)
{
    const std::size_t n = tekst.size();
    const bool pary = rozpoznawanie.szerokosc() == 2;
    const auto sprawdz = [&](std::size_t p) {
        const int litera = pary ? (p + 1 < n ? rozpoznawanie.para(kod(tekst[p]), kod(tekst[p + 1])) : 0)
                                : rozpoznawanie.pojedyncza(kod(tekst[p]));
        if (litera != 0) {
            naLiterze(p, litera);
        }
    };
    for (std::size_t p = 0; p < n;) {
        const std::size_t koniec = std::min(n, p + KAWALEK);
        if constexpr (sizeof(typename Tekst::value_type) == 1 && std::endian::native == std::endian::little) {
            // Most text is ASCII: eight bytes at a time, looking only at those with the
            // high bit set, when every letter of the source has it.
            if (rozpoznawanie.tylkoWysokieBajty()) {
                const auto* bajty = reinterpret_cast<const unsigned char*>(tekst.data());
                for (; p + 8 <= koniec; p += 8) {
                    std::uint64_t slowo;
                    std::memcpy(&slowo, bajty + p, sizeof slowo);
                    for (std::uint64_t wysokie = slowo & 0x8080808080808080u; wysokie != 0;
                         wysokie &= wysokie - 1) {
                        sprawdz(p + static_cast<std::size_t>(std::countr_zero(wysokie)) / 8);
                    }
                }
            }
        }
        for (; p < koniec; ++p) {
            sprawdz(p);
        }
        postep.wTrakcieKroku();
    }
}

template <class Tekst>
Tekst konwertuj(Tekst tekst, int zrodlo, int cel, Postep& postep)
{
    using Jednostka = typename Tekst::value_type;

    const Rozpoznawanie rozpoznawanie(zrodlo);
    const std::size_t szerZrodla = static_cast<std::size_t>(rozpoznawanie.szerokosc());
    const std::size_t szerCelu = static_cast<std::size_t>(SzerokoscLitery(cel));

    // zamiany[i] is what letter i becomes; step i fills it in. Written characters never
    // meet a later step, because every step works on the letters the scan found in the
    // text as it was passed in.
    std::array<std::array<Jednostka, 2>, LICZBA_LITER + 1> zamiany{};
    Indeks indeks(tekst.size());
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        postep.przedKrokiem(krok);
        if (krok == 1) {
            znajdzLitery(tekst, rozpoznawanie, postep,
                         [&indeks](std::size_t p, int litera) { indeks.dodaj(p, litera); });
        }
        const std::string_view wpis = Litera(cel, krok);
        for (std::size_t i = 0; i < wpis.size(); ++i) {
            zamiany[static_cast<std::size_t>(krok)][i] =
                jednostka<Jednostka>(static_cast<unsigned char>(wpis[i]));
        }
        if (krok < LICZBA_LITER) {
            postep.poKroku();
        }
    }

    // The replacements are written once, in the order of the text.
    Tekst wynik;
    std::size_t odOstatniego = 0;
    const auto moznaOdetchnac = [&](std::size_t ile) {
        odOstatniego += ile;
        if (odOstatniego >= KAWALEK) {
            postep.wTrakcieKroku();
            odOstatniego = 0;
        }
    };
    if (szerZrodla == szerCelu) {
        wynik = std::move(tekst);
        Jednostka* const dane = wynik.data();
        std::size_t poprzednia = 0;
        indeks.dlaKazdej([&](std::size_t p, int litera) {
            const std::array<Jednostka, 2>& zamiana = zamiany[static_cast<std::size_t>(litera)];
            dane[p] = zamiana[0];
            if (szerCelu == 2) {
                dane[p + 1] = zamiana[1];
            }
            moznaOdetchnac(p - poprzednia);
            poprzednia = p;
        });
    } else {
        const std::size_t liczba = indeks.liczbaLiter();
        wynik.resize(tekst.size() - liczba * szerZrodla + liczba * szerCelu);
        std::size_t odczyt = 0;
        std::size_t zapis = 0;
        const auto kopiuj = [&](std::size_t doPozycji) {
            std::copy(tekst.begin() + static_cast<std::ptrdiff_t>(odczyt),
                      tekst.begin() + static_cast<std::ptrdiff_t>(doPozycji),
                      wynik.begin() + static_cast<std::ptrdiff_t>(zapis));
            zapis += doPozycji - odczyt;
            moznaOdetchnac(doPozycji - odczyt);
        };
        indeks.dlaKazdej([&](std::size_t p, int litera) {
            kopiuj(p);
            const std::array<Jednostka, 2>& zamiana = zamiany[static_cast<std::size_t>(litera)];
            wynik[zapis] = zamiana[0];
            if (szerCelu == 2) {
                wynik[zapis + 1] = zamiana[1];
            }
            zapis += szerCelu;
            odczyt = p + szerZrodla;
        });
        kopiuj(tekst.size());
    }
    postep.poKroku();
    return wynik;
}

}  // namespace

Postep& BezPostepu()
{
    static PustyPostep pusty;
    return pusty;
}

std::string KonwertujTekst(std::string tekst, int zrodlo, int cel, Postep& postep)
{
    return konwertuj(std::move(tekst), zrodlo, cel, postep);
}

std::u16string KonwertujTekst(std::u16string tekst, int zrodlo, int cel, Postep& postep)
{
    return konwertuj(std::move(tekst), zrodlo, cel, postep);
}

}  // namespace znakomat
