#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/model_polszczyzny.h"
#include "engine/rozpoznawanie_tablice.h"

namespace engine {

// The recognition's counts of a text that arrives in pieces: each byte of 80 and above by
// its neighbours, and each Polish letter in UTF-8 the same way, in memory of a fixed size;
// and how each standard's reading scores under the model of Polish prose. Cutting the text
// into other pieces gives the same counts.
class LicznikiBajtow {
public:
    void dodaj(const unsigned char* dane, std::size_t rozmiar);
    // Counts the last bytes, which waited for their right-hand neighbours, as the end of the
    // text. Nothing is added afterwards.
    void zakoncz();

    // After zakoncz(): log-likelihood of the text's bytes of 80 and above read as the
    // letters of a one-byte standard, or as UTF-8.
    double wynikJednobajtowy(int standard) const;
    double wynikUtf8() const;
    // Letters the standard reads in the text.
    std::uint64_t liter(int standard) const;
    // The two standards read at least one byte of the text differently.
    bool czytaInaczej(int standard, int drugi) const;
    // The two one-byte standards read differently one character of the text only.
    bool jedenZnakRozni(int standard, int drugi) const;
    // Every byte of 80 and above is a letter in `standard`, Polish or of its code page.
    bool tylkoLitery(int standard) const;
    // Kinds of characters with bytes of 80 and above: a UTF-8 letter is one, not its two bytes.
    std::size_t rodzajowZnakow() const;
    // Bytes that cannot be UTF-8 where they stand.
    std::uint64_t bledneUtf8() const { return bledneUtf8_; }

private:
    // Bytes read after a position to classify it: its right neighbour, and the rest of the
    // longest UTF-8 sequence.
    static constexpr std::size_t ZAPAS = 3;

    // Counts the first `pozycji` bytes of `tekst`, which holds `dlugosc` readable bytes;
    // unless NaKoncu, ZAPAS of them follow the last position counted.
    template <bool NaKoncu>
    void przejdz(const unsigned char* tekst, std::size_t dlugosc, std::size_t pozycji);
    // Counts the two bytes at `i` as a Polish letter in UTF-8, if they are one.
    template <bool NaKoncu>
    bool policzLitereUtf8(const TabliceRozpoznawania& tablice, const unsigned char* tekst,
                          std::size_t dlugosc, std::size_t i);
    // Counts the byte at `i` but for a Polish letter in UTF-8. `pominDo`: the first position
    // not inside a UTF-8 character counted so far.
    template <bool NaKoncu>
    void policzBajt(const TabliceRozpoznawania& tablice, const unsigned char* tekst, std::size_t dlugosc,
                    std::size_t i, std::size_t& pominDo);
    // Adds to the counts of bytes those of the two bytes of each UTF-8 letter counted.
    void dolozBajtyLiterUtf8();
    std::span<const std::uint8_t> obecne() const { return {obecne_.data(), liczbaObecnych_}; }

    template <std::size_t Wierszy, std::size_t Kolumn>
    using Liczniki = std::array<std::array<std::uint64_t, Kolumn>, Wierszy>;

    // Each byte of 80 and above, [byte - 0x80] by its neighbours' classes, by the ASCII
    // letter before it and by the one after it (the last column: no ASCII letter there);
    // the UTF-8 letters alike by [letter]. The two bytes of a UTF-8 letter join the bytes'
    // counts only at the end.
    Liczniki<128, model::LICZBA_KONTEKSTOW> bajty_{};
    Liczniki<128, SASIEDNICH_LITER> bajtyPoLiterze_{};
    Liczniki<128, SASIEDNICH_LITER> bajtyPrzedLitera_{};
    Liczniki<LICZBA_LITER, model::LICZBA_KONTEKSTOW> literyUtf8_{};
    Liczniki<LICZBA_LITER, SASIEDNICH_LITER> literyUtf8PoLiterze_{};
    Liczniki<LICZBA_LITER, SASIEDNICH_LITER> literyUtf8PrzedLitera_{};
    std::uint64_t obceUtf8_ = 0;    // well-formed UTF-8 characters that are no Polish letter
    std::uint64_t bledneUtf8_ = 0;  // bytes that cannot be UTF-8 where they stand

    // The byte before the next piece.
    unsigned char poprzedni_ = ' ';
    // Positions of the next piece still inside a UTF-8 character that began before it.
    std::size_t doPominiecia_ = 0;
    // Positions of the next piece counted already: the second byte of a UTF-8 letter.
    std::size_t juzPoliczonych_ = 0;
    // The last bytes so far, counted once their right-hand neighbours are known.
    std::array<unsigned char, ZAPAS> ogon_{};
    std::size_t dlugoscOgona_ = 0;

    // Bytes of 80 and above that occur, [byte - 0x80], gathered at the end: the few there
    // are instead of all 128.
    std::array<std::uint8_t, 128> obecne_{};
    std::size_t liczbaObecnych_ = 0;
};

}  // namespace engine
