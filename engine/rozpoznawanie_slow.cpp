#include "engine/rozpoznawanie_slow.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/ngramy_polszczyzny.h"
#include "engine/rozpoznawanie_tablice.h"
#include "engine/wysokie_bajty.h"

namespace engine {

namespace {

// How much the words and their case count beside the counts by neighbours; with
// PROG_BLISKOSCI chosen on held-out text, so that few wrong choices go without a note and
// most notes are due.
constexpr double WAGA_SLOW = 1.5;
constexpr double WAGA_KSZTALTU = 0.5;
// A word whose case is mixed only because of how a reading takes its bytes of 80 and above
// (KRYPTOGRAFICZNą, zrobĘ) is that reading's fault, not the writer's: the case model alone,
// learned from prose where such words are rare but not absent, let a few through.
constexpr double KARA_MIESZANEJ_WIELKOSCI = 12.0;

// A word is a run of ASCII letters and bytes of 80 and above, which are letters in some
// standard.
bool bajtSlowa(unsigned bajt)
{
    return bajt >= 0x80 || ((bajt | 0x20) >= 'a' && (bajt | 0x20) <= 'z');
}

// The n-grams by key, for a few steps per look-up where a search would take fifteen.
class TablicaNGramow {
public:
    TablicaNGramow()
    {
        std::size_t rozmiar = 1;
        // At most 70 % full, each key beside its value: a few steps past a key's place, each
        // in one cache line, in 1 MB for the table.
        while (rozmiar * 7 < model::NGRAMY.size() * 10) {
            rozmiar *= 2;
        }
        miejsca_.assign(rozmiar, model::NGram{0, 0.0f});
        for (const model::NGram& ngram : model::NGRAMY) {
            std::size_t i = miejsce(ngram.klucz);
            while (miejsca_[i].klucz != 0) {
                i = (i + 1) & (rozmiar - 1);
            }
            miejsca_[i] = ngram;
        }
    }

    // Log-likelihood of symbol s[i] after the (up to) four before it: from the longest
    // context it was seen after, with the share each longer context leaves to symbols it
    // was never seen with.
    double log(const std::uint8_t* s, std::size_t i) const
    {
        double udzial = 0;
        for (int rzad = model::RZAD_NGRAMU; rzad >= 1; --rzad) {
            const std::size_t od = i + 1 - static_cast<std::size_t>(rzad);
            std::uint32_t klucz = static_cast<std::uint32_t>(rzad);
            std::uint32_t kluczKontekstu = static_cast<std::uint32_t>(model::RZAD_NGRAMU + rzad - 1);
            for (std::size_t j = od; j <= i; ++j) {
                klucz = klucz * model::LICZBA_SYMBOLI + s[j];
                if (j < i) {
                    kluczKontekstu = kluczKontekstu * model::LICZBA_SYMBOLI + s[j];
                }
            }
            if (const float* log = znajdz(klucz)) {
                return udzial + *log;
            }
            if (const float* log = rzad > 1 ? znajdz(kluczKontekstu) : nullptr) {
                udzial += *log;
            }
        }
        return udzial;  // not reached: every symbol alone has its entry
    }

private:
    const float* znajdz(std::uint32_t klucz) const
    {
        for (std::size_t k = miejsce(klucz); miejsca_[k].klucz != 0; k = (k + 1) & (miejsca_.size() - 1)) {
            if (miejsca_[k].klucz == klucz) {
                return &miejsca_[k].log;
            }
        }
        return nullptr;
    }

    std::size_t miejsce(std::uint32_t klucz) const
    {
        return static_cast<std::size_t>((klucz * 2654435761u) >> 7) & (miejsca_.size() - 1);
    }

    std::vector<model::NGram> miejsca_;  // key 0 where empty: no key is
};

const TablicaNGramow& tablicaNGramow()
{
    static const TablicaNGramow tablica;
    return tablica;
}

// Shape of a word (model::KSZTALT_...) of `liter` letters, `wielkich` of them capitals.
int ksztaltSlowa(std::size_t liter, std::size_t wielkich, bool pierwszaWielka)
{
    if (wielkich == 0) {
        return model::KSZTALT_MALE;
    }
    if (pierwszaWielka && wielkich == 1) {
        return model::KSZTALT_PIERWSZA;
    }
    return wielkich == liter ? model::KSZTALT_WIELKIE : model::KSZTALT_MIESZANY;
}

bool wielkaAscii(unsigned bajt)
{
    return bajt >= 'A' && bajt <= 'Z';
}

// The letters of a word, in order, as far as its shape needs them.
struct LiteryKsztaltu {
    std::size_t liter = 0;
    std::size_t wielkich = 0;
    bool pierwszaWielka = false;

    void dodaj(bool wielka)
    {
        pierwszaWielka |= liter == 0 && wielka;
        ++liter;
        wielkich += wielka;
    }

    int ksztalt() const { return ksztaltSlowa(liter, wielkich, pierwszaWielka); }
};

}  // namespace

void SlowaTekstu::dodaj(const unsigned char* dane, std::size_t rozmiar)
{
    zbierz(dane, rozmiar);
    if (!pelne_) {
        zapamietajKoniec(dane, rozmiar);
    }
}

void SlowaTekstu::zakoncz()
{
    if (slowoOtwarte_) {
        zamknijSlowo(true);
    }
}

std::size_t SlowaTekstu::liczbaSlow() const
{
    std::size_t slow = 0;
    for (std::size_t p = 0; p < dlugoscSlow_; p += 2 + (slowa_[p] & ~SLOWO_UCIETE)) {
        ++slow;
    }
    return slow;
}

void SlowaTekstu::dopiszDoSlowa(const unsigned char* od, std::size_t ile)
{
    for (std::size_t k = 0; k < ile; ++k) {
        slowoMaWysoki_ |= od[k] >= 0x80;
    }
    if (slowoZaDlugie_ || dlugoscSlowa_ + ile > MAKS_SLOWA) {
        slowoZaDlugie_ = true;
        return;
    }
    std::memcpy(slowo_.data() + dlugoscSlowa_, od, ile);
    dlugoscSlowa_ += ile;
}

void SlowaTekstu::zamknijSlowo(bool naKoncuTekstu)
{
    if (slowoMaWysoki_ && !slowoZaDlugie_) {
        if (dlugoscSlow_ + 2 + dlugoscSlowa_ > slowa_.size()) {
            pelne_ = true;
        } else {
            slowa_[dlugoscSlow_++] =
                static_cast<unsigned char>(dlugoscSlowa_ | (naKoncuTekstu ? SLOWO_UCIETE : 0u));
            slowa_[dlugoscSlow_++] = kontekstSlowa_;
            std::memcpy(slowa_.data() + dlugoscSlow_, slowo_.data(), dlugoscSlowa_);
            dlugoscSlow_ += dlugoscSlowa_;
        }
    }
    dlugoscSlowa_ = 0;
    slowoOtwarte_ = slowoZaDlugie_ = slowoMaWysoki_ = false;
}

void SlowaTekstu::zbierz(const unsigned char* dane, std::size_t rozmiar)
{
    if (pelne_ || rozmiar == 0) {
        return;
    }
    std::size_t i = 0;
    if (slowoOtwarte_) {
        while (i < rozmiar && bajtSlowa(dane[i])) {
            ++i;
        }
        dopiszDoSlowa(dane, i);
        if (i == rozmiar) {
            return;
        }
        zamknijSlowo();
    }
    while (!pelne_) {
        const std::size_t wysoki = NastepnyWysoki(dane, i, rozmiar);
        if (wysoki == rozmiar) {
            break;
        }
        // Bytes before `i` end in no letter: the word begins at or after it.
        std::size_t poczatek = wysoki;
        while (poczatek > i && bajtSlowa(dane[poczatek - 1])) {
            --poczatek;
        }
        std::size_t koniec = wysoki + 1;
        while (koniec < rozmiar && bajtSlowa(dane[koniec])) {
            ++koniec;
        }
        kontekstSlowa_ = kontekstSlowa(dane, poczatek);
        dopiszDoSlowa(dane + poczatek, koniec - poczatek);
        if (koniec == rozmiar) {
            slowoOtwarte_ = true;
            return;
        }
        zamknijSlowo();
        i = koniec;
    }
    if (pelne_) {
        return;
    }
    // Letters at the end may begin a word the next piece goes on with.
    std::size_t poczatek = rozmiar;
    while (poczatek > i && bajtSlowa(dane[poczatek - 1])) {
        --poczatek;
    }
    if (poczatek < rozmiar) {
        kontekstSlowa_ = kontekstSlowa(dane, poczatek);
        dopiszDoSlowa(dane + poczatek, rozmiar - poczatek);
        slowoOtwarte_ = true;
    }
}

std::uint8_t SlowaTekstu::kontekstSlowa(const unsigned char* dane, std::size_t poczatek) const
{
    // The byte k places before the word, k from 1, from this piece or the ones before.
    const auto przed = [&](std::size_t k) -> unsigned {
        return k <= poczatek ? dane[poczatek - k] : przed_[dlugoscPrzed_ - (k - poczatek)];
    };
    const std::size_t zasieg = std::min<std::size_t>(model::ZASIEG_KONTEKSTU_SLOWA, poczatek + dlugoscPrzed_);
    std::size_t k = 1;
    int odstep = model::ODSTEP_ZWYKLY;
    for (; k <= zasieg && !bajtSlowa(przed(k)); ++k) {
        const unsigned b = przed(k);
        if (b == '\n') {
            odstep = model::ODSTEP_NOWY_WIERSZ;
        } else if (odstep == model::ODSTEP_ZWYKLY &&
                   (b == '.' || b == '!' || b == '?' || b == ':' || b == ';')) {
            odstep = model::ODSTEP_KONIEC_ZDANIA;
        }
    }
    const std::size_t koniecSlowa = k;
    while (k <= zasieg && bajtSlowa(przed(k))) {
        ++k;
    }
    if (k == koniecSlowa) {
        return 0;
    }
    // Its ASCII letters from its first byte on: what a byte above 80 is depends on the standard.
    LiteryKsztaltu litery;
    for (std::size_t j = k - 1; j >= koniecSlowa; --j) {
        if (przed(j) < 0x80) {
            litery.dodaj(wielkaAscii(przed(j)));
        }
    }
    const int ksztalt = litery.liter == 0 ? model::BEZ_LITER_ASCII : litery.ksztalt();
    return static_cast<std::uint8_t>(1 + 3 * ksztalt + odstep);
}

void SlowaTekstu::zapamietajKoniec(const unsigned char* dane, std::size_t rozmiar)
{
    if (rozmiar >= przed_.size()) {
        std::memcpy(przed_.data(), dane + rozmiar - przed_.size(), przed_.size());
        dlugoscPrzed_ = przed_.size();
        return;
    }
    const std::size_t zostaje = std::min(dlugoscPrzed_, przed_.size() - rozmiar);
    std::memmove(przed_.data(), przed_.data() + dlugoscPrzed_ - zostaje, zostaje);
    std::memcpy(przed_.data() + zostaje, dane, rozmiar);
    dlugoscPrzed_ = zostaje + rozmiar;
}

double SlowaTekstu::wynik(int standard, CzytanieSlow& czytanie) const
{
    czytanie = {};
    const TabliceRozpoznawania& tab = TabliceRozpoznawania::wspolne();
    const auto& obca = tab.obcaLitera[static_cast<std::size_t>(standard)];
    const TablicaNGramow& ngramy = tablicaNGramow();
    constexpr std::size_t KRAWEDZ = model::RZAD_NGRAMU - 1;
    std::array<std::uint8_t, KRAWEDZ + MAKS_SLOWA + 1> symbole{};
    // Position of the last symbol made from a byte of 80 and above, at or before each.
    std::array<std::size_t, KRAWEDZ + MAKS_SLOWA + 1> ostatniWysoki{};
    const auto symbolLitery = [](unsigned numer) {
        return numer == ZADNA_LITERA ? model::INNY_SYMBOL : model::PIERWSZA_POLSKA_LITERA + numer % 9;
    };
    double suma = 0;
    for (std::size_t p = 0; p < dlugoscSlow_;) {
        const std::size_t dlugosc = slowa_[p] & ~SLOWO_UCIETE;
        const bool uciete = (slowa_[p] & SLOWO_UCIETE) != 0;
        const std::size_t kontekst = slowa_[p + 1];
        const unsigned char* slowo = slowa_.data() + p + 2;
        p += 2 + dlugosc;
        LiteryKsztaltu litery;
        LiteryKsztaltu asciiLitery;
        bool polska = false;
        bool obcaWSlowie = false;
        std::size_t n = KRAWEDZ;
        std::size_t wysoki = 0;  // none: position 0 is an edge
        for (std::size_t i = 0; i < dlugosc;) {
            const unsigned b = slowo[i];
            std::size_t dlugoscZnaku = 1;
            int s = 0;
            unsigned numer = ZADNA_LITERA;
            if (b < 0x80) {
                s = model::PIERWSZA_LITERA_ASCII + static_cast<int>((b | 0x20) - 'a');
                litery.dodaj(wielkaAscii(b));
                asciiLitery.dodaj(wielkaAscii(b));
            } else if (standard != UTF8_INDEX) {
                numer = tab.litera[static_cast<std::size_t>(standard)][b - 0x80];
                s = symbolLitery(numer);
                obcaWSlowie |= obca[b - 0x80];
            } else {
                s = model::INNY_SYMBOL;
                const std::size_t d = tab.dlugoscUtf8[b];
                if (d > 0 && i + d <= dlugosc &&
                    std::all_of(slowo + i + 1, slowo + i + d,
                                [](unsigned char c) { return Kontynuacja(c); })) {
                    dlugoscZnaku = d;
                    if (d == 2) {
                        numer = tab.literaUtf8[(b - 0xC0) * 64 + (slowo[i + 1] - 0x80u)];
                        s = symbolLitery(numer);
                    }
                }
            }
            if (numer != ZADNA_LITERA) {
                litery.dodaj(numer < LICZBA_LITER / 2);  // the capitals first
                polska = true;
            }
            if (b >= 0x80) {
                wysoki = n;
            }
            symbole[n] = static_cast<std::uint8_t>(s);
            ostatniWysoki[n++] = wysoki;
            i += dlugoscZnaku;
        }
        if (!uciete) {
            symbole[n] = model::SYMBOL_KRAWEDZI;
            ostatniWysoki[n++] = wysoki;
        }
        // Only the symbols whose context holds one made from such a byte differ between
        // readings; the rest is the same in all.
        for (std::size_t i = KRAWEDZ; i < n; ++i) {
            if (ostatniWysoki[i] != 0 && ostatniWysoki[i] + KRAWEDZ >= i) {
                suma += WAGA_SLOW * ngramy.log(symbole.data(), i);
            }
        }
        if (litery.liter > 0) {
            const int ksztalt = litery.ksztalt();
            suma += WAGA_KSZTALTU * model::LOG_KSZTALTU[kontekst][static_cast<std::size_t>(ksztalt)];
            if (ksztalt == model::KSZTALT_MIESZANY && asciiLitery.ksztalt() != model::KSZTALT_MIESZANY) {
                suma -= KARA_MIESZANEJ_WIELKOSCI;
                czytanie.mieszanaWielkosc = true;
            }
        }
        czytanie.mieszanePismo |= polska && obcaWSlowie;
        czytanie.polskich += polska;
        czytanie.obcych += obcaWSlowie;
    }
    return suma;
}

}  // namespace engine
