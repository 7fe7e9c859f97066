#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/model_polszczyzny.h"

namespace engine {

// What a reading makes of the stored words beside their score.
struct CzytanieSlow {
    bool mieszanaWielkosc = false;  // a word's case mixed by how its bytes are read
    bool mieszanePismo = false;     // a word with a Polish letter and a foreign one
    std::size_t polskich = 0;       // words with a Polish letter
    std::size_t obcych = 0;         // words with a foreign letter of the code page
};

// The recognition's words: the first words of a text with bytes of 80 and above, kept as
// the text arrives in pieces, which each standard reads as Polish words or not, where the
// counts of bytes cannot tell (ź and ż swapped, capitals two standards write alike).
// Cutting the text into other pieces keeps the same words.
class SlowaTekstu {
public:
    void dodaj(const unsigned char* dane, std::size_t rozmiar);
    // The text ends here: a word it ends inside is kept as cut. Nothing is added afterwards.
    void zakoncz();

    // Log-likelihood of the stored words read in `standard`, from the symbols that its bytes
    // of 80 and above make and their neighbours, and from the case of their letters by the
    // word before each: what all readings share is left out. Weighted against the counts of
    // bytes, beside which it is added. All of the words' scoring is here, its weights at the
    // top of rozpoznawanie_slow.cpp.
    double wynik(int standard, CzytanieSlow& czytanie) const;

    std::size_t liczbaSlow() const;
    // The store filled up: more words followed than it holds.
    bool pelne() const { return pelne_; }

private:
    // Keeps the words with bytes of 80 and above of a piece, in the order of the text, until
    // the store is full.
    void zbierz(const unsigned char* dane, std::size_t rozmiar);
    // What stands before the word beginning at `poczatek` of the piece `dane`: the context
    // of model::LOG_KSZTALTU.
    std::uint8_t kontekstSlowa(const unsigned char* dane, std::size_t poczatek) const;
    // Keeps the last bytes of the text so far, for the context of a word at a piece's start.
    void zapamietajKoniec(const unsigned char* dane, std::size_t rozmiar);
    void dopiszDoSlowa(const unsigned char* od, std::size_t ile);
    // naKoncuTekstu: the text ends inside the word, which may go on beyond what was given:
    // its end is no evidence.
    void zamknijSlowo(bool naKoncuTekstu = false);

    // Words longer than this are no evidence: no Polish word is, and the rest is no prose.
    static constexpr std::size_t MAKS_SLOWA = 24;
    // Words one after another, each after a byte of its length, with SLOWO_UCIETE when the
    // text ends inside it, and a byte of its context (kontekstSlowa).
    static constexpr unsigned SLOWO_UCIETE = 0x80;
    std::array<unsigned char, 2048> slowa_{};
    std::size_t dlugoscSlow_ = 0;
    bool pelne_ = false;
    // The word the last piece ended in, possibly going on in the next one.
    std::array<unsigned char, MAKS_SLOWA> slowo_{};
    std::size_t dlugoscSlowa_ = 0;
    bool slowoOtwarte_ = false;
    bool slowoZaDlugie_ = false;
    bool slowoMaWysoki_ = false;
    std::uint8_t kontekstSlowa_ = 0;
    // The last bytes before the next piece, the oldest first.
    std::array<unsigned char, model::ZASIEG_KONTEKSTU_SLOWA> przed_{};
    std::size_t dlugoscPrzed_ = 0;
};

}  // namespace engine
