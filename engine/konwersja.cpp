#include "engine/konwersja.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "engine/przebieg.h"
#include "engine/standardy.h"
#include "engine/windows1250.h"

namespace engine {

namespace {

// How many characters of the text box are worked through between two calls of wTrakcie.
constexpr std::size_t KAWALEK = std::size_t{1} << 24;

// --- The conversion ---------------------------------------------------------------------------
//
// Step i decides what letter i becomes; once all eighteen are decided, the text is written
// in one pass (przebieg.h) that finds each source letter in the text as it was passed in.
// That pass gives what the eighteen steps give, with their rule that a written character
// never meets a later step, because:
// - a byte or pair that is the entry of two letters belongs to the lower position, whose
//   step comes first and takes every occurrence;
// - UTF-8 lead bytes (C3..C5) and second bytes (80..BF) are disjoint, so two letters never
//   overlap and no written byte can join an unwritten one into a letter;
// - a lead byte without its second byte is no letter and passes unchanged.
// Bytes are written in place when the target is as wide as the source or narrower, into
// new memory with room for two bytes each when it is wider.

inline std::uint8_t bajt(const std::string_view wpis, std::size_t i)
{
    return static_cast<std::uint8_t>(wpis[i]);
}

// The source letters of a byte text and the replacements the steps decide.
class LiteryBajtow {
public:
    LiteryBajtow(int zrodlo, int cel) : zrodlo_(zrodlo), cel_(cel)
    {
        t_.szerZrodla = SzerokoscLitery(zrodlo);
        t_.szerCelu = SzerokoscLitery(cel);
        std::uint8_t najmniejszy = 0xFF;
        for (int pozycja = LICZBA_LITER; pozycja >= 1; --pozycja) {
            const std::string_view wpis = Litera(zrodlo, pozycja);
            najmniejszy = std::min(najmniejszy, bajt(wpis, 0));
            if (t_.szerZrodla == 1) {
                t_.litera[bajt(wpis, 0)] = static_cast<std::uint8_t>(pozycja);
                continue;
            }
            std::uint8_t& wiersz = t_.wiersz[bajt(wpis, 0)];
            if (wiersz == 0) {
                t_.pary.emplace_back();
                wiersz = static_cast<std::uint8_t>(t_.pary.size());
            }
            t_.pary[wiersz - 1u][bajt(wpis, 1)] = static_cast<std::uint8_t>(pozycja);
        }
        t_.rodzaj = najmniejszy >= 0xC0 && t_.szerZrodla == 2 ? PoczatekLitery::Wiodacy
                    : najmniejszy >= 0x80                     ? PoczatekLitery::Wysoki
                                                              : PoczatekLitery::Kazdy;
        for (int b = 0; b < 256; ++b) {
            t_.mapa[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
        }
    }

    int szerZrodla() const { return t_.szerZrodla; }
    int szerCelu() const { return t_.szerCelu; }

    // Step `krok`: what letter `krok` becomes. A byte that stands for two letters ("brak")
    // is the lower one's, which the step of the other leaves alone.
    void postanow(int krok)
    {
        const std::string_view wpis = Litera(cel_, krok);
        t_.zamiany[static_cast<std::size_t>(krok)] = {bajt(wpis, 0), bajt(wpis, wpis.size() - 1)};
        if (t_.szerZrodla == 1) {
            const std::uint8_t zrodlowy = bajt(Litera(zrodlo_, krok), 0);
            if (t_.litera[zrodlowy] == krok) {
                t_.mapa[zrodlowy] = bajt(wpis, 0);
                if (wpis.size() == 2) {
                    t_.drugi[zrodlowy] = bajt(wpis, 1);
                }
            }
        }
    }

    // After the last step: the tables the pass needs.
    const TablicePrzebiegu& zakoncz()
    {
        t_.przygotujWiersze();
        t_.tozsama = t_.szerZrodla == t_.szerCelu;
        for (int pozycja = 1; pozycja <= LICZBA_LITER && t_.tozsama; ++pozycja) {
            const std::string_view wpis = Litera(zrodlo_, pozycja);
            const int litera =
                t_.szerZrodla == 1 ? t_.litera[bajt(wpis, 0)] : t_.literaPary(bajt(wpis, 0), bajt(wpis, 1));
            const auto& zamiana = t_.zamiany[static_cast<std::size_t>(litera)];
            t_.tozsama = zamiana[0] == bajt(wpis, 0) && zamiana[1] == bajt(wpis, wpis.size() - 1);
        }
        return t_;
    }

    // The letter at a single-byte position, 0 for none.
    int litera(std::uint8_t b) const { return t_.litera[b]; }

    // The letter of two bytes, 0 for none.
    int litera(std::uint8_t pierwszy, std::uint8_t drugi) const { return t_.literaPary(pierwszy, drugi); }

    // Replacements decided so far, by letter.
    const std::array<std::uint8_t, 2>& zamiana(int litera) const
    {
        return t_.zamiany[static_cast<std::size_t>(litera)];
    }

private:
    int zrodlo_;
    int cel_;
    TablicePrzebiegu t_;
};

// Writes `n` bytes of `z` converted into `w`: in place (w == z) unless the target is wider.
std::size_t przepisz(const TablicePrzebiegu& t, const std::uint8_t* z, std::size_t n, std::uint8_t* w,
                     bool wMiejscu)
{
    if (t.tozsama) {
        if (!wMiejscu) {
            std::memcpy(w, z, n);
        }
        return n;
    }
    const Przebiegi& przebiegi = PrzebiegiWariantu(BiezacyWariant());
    if (t.szerZrodla == 2) {
        return przebiegi.zPar(z, n, w, wMiejscu, t);
    }
    if (t.szerCelu == 2) {
        return przebiegi.poszerz(z, n, w, t);
    }
    przebiegi.zamien(z, n, w, t);
    return n;
}

// Not wider: in place, the text moving left as its letters shrink.
void wMiejscu(std::string& tekst, const TablicePrzebiegu& t)
{
    auto* const dane = reinterpret_cast<std::uint8_t*>(tekst.data());
    tekst.resize(przepisz(t, dane, tekst.size(), dane, true));
}

// The eighteen steps: step i decides letter i, and after the last one `zapisz` writes the
// text once.
template <class Zapisz>
auto wOsiemnastuKrokach(LiteryBajtow& litery, Postep& postep, Zapisz&& zapisz)
{
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        postep.przedKrokiem(krok);
        litery.postanow(krok);
        if (krok < LICZBA_LITER) {
            postep.poKroku();
        }
    }
    auto wynik = zapisz();
    postep.poKroku();
    return wynik;
}

// Characters (the text box): a letter is the Windows-1250 character of its bytes; every
// other character, lone surrogates included, passes untouched. Texts of the box are
// small, so a plain pass into a new string does.
std::u16string konwertujZnaki(std::u16string tekst, int zrodlo, int cel, Postep& postep)
{
    LiteryBajtow litery(zrodlo, cel);
    const auto bajtZnaku = [&tekst](std::size_t p) { return BajtWindows1250(tekst[p]); };
    return wOsiemnastuKrokach(litery, postep, [&] {
        const std::size_t n = tekst.size();
        const std::size_t szerZrodla = static_cast<std::size_t>(litery.szerZrodla());
        std::u16string wynik;
        wynik.reserve(n + n / 8);
        std::size_t nastepnyOddech = KAWALEK;
        for (std::size_t p = 0; p < n;) {
            if (p >= nastepnyOddech) {
                postep.wTrakcie();
                nastepnyOddech = p + KAWALEK;
            }
            int litera = 0;
            if (const int pierwszy = bajtZnaku(p); pierwszy >= 0) {
                if (szerZrodla == 1) {
                    litera = litery.litera(static_cast<std::uint8_t>(pierwszy));
                } else if (const int drugi = p + 1 < n ? bajtZnaku(p + 1) : -1; drugi >= 0) {
                    litera =
                        litery.litera(static_cast<std::uint8_t>(pierwszy), static_cast<std::uint8_t>(drugi));
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

std::u16string KonwertujTekst(std::u16string tekst, int zrodlo, int cel, Postep& postep)
{
    return konwertujZnaki(std::move(tekst), zrodlo, cel, postep);
}

PrzygotowanaKonwersja::PrzygotowanaKonwersja(int zrodlo, int cel)
{
    LiteryBajtow litery(zrodlo, cel);
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        litery.postanow(krok);
    }
    tablice_ = std::make_shared<const TablicePrzebiegu>(litery.zakoncz());
}

std::size_t PrzygotowanaKonwersja::najwiecejBajtow(std::size_t n) const
{
    return (tablice_->szerCelu > tablice_->szerZrodla ? 2 * n : n) + ZAPAS_ZAPISU;
}

std::size_t PrzygotowanaKonwersja::konwertuj(std::string_view tekst, char* wynik) const
{
    return przepisz(*tablice_, reinterpret_cast<const std::uint8_t*>(tekst.data()), tekst.size(),
                    reinterpret_cast<std::uint8_t*>(wynik), false);
}

void PrzygotowanaKonwersja::dopisz(std::string_view tekst, std::string& wynik) const
{
    const std::size_t poczatek = wynik.size();
    wynik.resize(poczatek + najwiecejBajtow(tekst.size()));
    wynik.resize(poczatek + konwertuj(tekst, wynik.data() + poczatek));
}

void PrzygotowanaKonwersja::konwertujWMiejscu(std::string& tekst) const
{
    if (tablice_->szerCelu > tablice_->szerZrodla) {
        std::string wynik;
        dopisz(tekst, wynik);
        tekst = std::move(wynik);
        return;
    }
    wMiejscu(tekst, *tablice_);
}

}  // namespace engine
