#include "konwersja.h"

#include <algorithm>
#include <array>
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
    std::array<std::uint8_t, 256> pojedyncze_{};
    std::array<std::uint8_t, 256> wiersz_{};
    std::vector<std::array<std::uint8_t, 256>> pary_;
};

// Positions of all source letters, found in one scan. Each entry packs the distance
// from the previous entry (11 bits) and the letter (5 bits); letter 0 only carries a
// long distance forward. Two bytes per letter keep the index small beside the text.
class Indeks {
public:
    static constexpr unsigned BITY_LITERY = 5;
    static constexpr std::size_t MAKS_ODSTEP = (1u << (16 - BITY_LITERY)) - 1;

    void dodaj(std::size_t pozycja, int litera)
    {
        std::size_t odstep = pozycja - ostatnia_;
        while (odstep > MAKS_ODSTEP) {
            wpisy_.push_back(static_cast<std::uint16_t>(MAKS_ODSTEP << BITY_LITERY));
            odstep -= MAKS_ODSTEP;
        }
        wpisy_.push_back(static_cast<std::uint16_t>((odstep << BITY_LITERY) | static_cast<unsigned>(litera)));
        ostatnia_ = pozycja;
        ++liczbaLiter_;
    }

    void zarezerwuj(std::size_t dlugoscTekstu) { wpisy_.reserve(dlugoscTekstu / 8 + 16); }

    std::size_t liczbaLiter() const { return liczbaLiter_; }

    // Calls f(position, letter, rank) for every letter, rank counting letters before it.
    template <class F>
    void dlaKazdej(F&& f) const
    {
        std::size_t pozycja = 0;
        std::size_t ranga = 0;
        for (const std::uint16_t wpis : wpisy_) {
            pozycja += wpis >> BITY_LITERY;
            const int litera = wpis & ((1u << BITY_LITERY) - 1);
            if (litera != 0) {
                f(pozycja, litera, ranga);
                ++ranga;
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

template <class Tekst>
Indeks zbudujIndeks(const Tekst& tekst, const Rozpoznawanie& rozpoznawanie, Postep& postep)
{
    Indeks indeks;
    indeks.zarezerwuj(tekst.size());
    const std::size_t n = tekst.size();
    std::size_t p = 0;
    while (p < n) {
        const std::size_t koniec = std::min(n, p + KAWALEK);
        if (rozpoznawanie.szerokosc() == 1) {
            for (; p < koniec; ++p) {
                if (const int litera = rozpoznawanie.pojedyncza(kod(tekst[p]))) {
                    indeks.dodaj(p, litera);
                }
            }
        } else {
            // Leftmost-first: no second byte of a UTF-8 entry is a first byte of another,
            // so a match found here can never overlap one that a different step would take.
            for (; p < koniec; ++p) {
                if (p + 1 == n) {
                    p = n;
                    break;
                }
                if (const int litera = rozpoznawanie.para(kod(tekst[p]), kod(tekst[p + 1]))) {
                    indeks.dodaj(p, litera);
                    ++p;
                }
            }
        }
        postep.wTrakcieKroku();
    }
    return indeks;
}

template <class Tekst>
void kopiujKawalkami(const Tekst& zrodlo, std::size_t od, std::size_t doPozycji, Tekst& cel,
                     std::size_t dokad, Postep& postep)
{
    while (od < doPozycji) {
        const std::size_t ile = std::min(KAWALEK, doPozycji - od);
        std::copy_n(zrodlo.begin() + static_cast<std::ptrdiff_t>(od), ile,
                    cel.begin() + static_cast<std::ptrdiff_t>(dokad));
        od += ile;
        dokad += ile;
        if (ile == KAWALEK) {
            postep.wTrakcieKroku();
        }
    }
}

template <class Tekst>
Tekst konwertuj(Tekst tekst, int zrodlo, int cel, Postep& postep)
{
    using Jednostka = typename Tekst::value_type;

    const Rozpoznawanie rozpoznawanie(zrodlo);
    const std::size_t szerZrodla = static_cast<std::size_t>(rozpoznawanie.szerokosc());
    const std::size_t szerCelu = static_cast<std::size_t>(SzerokoscLitery(cel));

    std::array<std::array<Jednostka, 2>, LICZBA_LITER + 1> wpisyCelu{};
    for (int pozycja = 1; pozycja <= LICZBA_LITER; ++pozycja) {
        const std::string_view wpis = Litera(cel, pozycja);
        for (std::size_t i = 0; i < wpis.size(); ++i) {
            wpisyCelu[pozycja][i] = jednostka<Jednostka>(static_cast<unsigned char>(wpis[i]));
        }
    }

    Indeks indeks;
    Tekst wynik;
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        postep.przedKrokiem(krok);
        if (krok == 1) {
            indeks = zbudujIndeks(tekst, rozpoznawanie, postep);
            if (szerZrodla == szerCelu) {
                wynik = std::move(tekst);
            } else {
                // Everything but the letters goes to its final place once; the steps
                // then fill the letters' slots.
                const std::size_t liczba = indeks.liczbaLiter();
                wynik.resize(tekst.size() - liczba * szerZrodla + liczba * szerCelu);
                std::size_t odczyt = 0;
                std::size_t zapis = 0;
                std::size_t odOstatniego = 0;
                indeks.dlaKazdej([&](std::size_t pozycja, int, std::size_t) {
                    kopiujKawalkami(tekst, odczyt, pozycja, wynik, zapis, postep);
                    odOstatniego += pozycja - odczyt;
                    if (odOstatniego >= KAWALEK) {
                        postep.wTrakcieKroku();
                        odOstatniego = 0;
                    }
                    zapis += pozycja - odczyt + szerCelu;
                    odczyt = pozycja + szerZrodla;
                });
                kopiujKawalkami(tekst, odczyt, tekst.size(), wynik, zapis, postep);
                Tekst().swap(tekst);
            }
        }
        const std::array<Jednostka, 2>& zamiennik = wpisyCelu[krok];
        Jednostka* const dane = wynik.data();
        indeks.dlaKazdej([&](std::size_t pozycja, int litera, std::size_t ranga) {
            if (litera == krok) {
                Jednostka* miejsce = dane + (pozycja - ranga * szerZrodla) + ranga * szerCelu;
                miejsce[0] = zamiennik[0];
                if (szerCelu == 2) {
                    miejsce[1] = zamiennik[1];
                }
            }
        });
        postep.poKroku();
    }
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
