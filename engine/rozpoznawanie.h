#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/model_polszczyzny.h"

namespace engine {

struct Kandydat {
    int standard;
    // Log-likelihood in nats of the text's non-ASCII characters read in this standard,
    // under a model of Polish prose, and of the first words with them under one of Polish
    // words: higher is likelier; only differences mean something.
    double wynik;
    // The text reads as ordinary text in this standard: every character of 80 and above is
    // a Polish letter or a letter of the code page's own (ë, ü, ť in Windows-EE, of a
    // foreign word), and no word's case is mixed by how its bytes are read. A window that
    // chose this standard itself keeps it for such a text.
    bool zwyczajny = false;
    // ... with foreign letters, as Polish read through another code page may be too.
    bool zObcymiLiterami = false;
};

enum class Werdykt {
    Rozpoznany,
    // Other standards came close and would convert the text differently: see `bliskie`.
    Niejednoznaczny,
    // No reading of the text near the likeliest one has a Polish letter: no standard that
    // came near would convert anything.
    BezPolskichLiter,
};

struct Rozpoznanie {
    Werdykt werdykt;
    // The seventeen standards that have letters of their own, likeliest first. "brak" is
    // never among them: converting from it rewrites plain letters.
    std::vector<Kandydat> ranking;
    // Standards scoring within PROG_BLISKOSCI (PROG_SKAPYCH_DOWODOW for thin evidence,
    // PROG_JEDNEGO_ZNAKU for one that reads only one character differently) of
    // the first that read at least one byte of this text differently from it, in ranking
    // order; when the first reads no letter and none is that close, those within PROG_LITER
    // that read letters. Of standards that read every byte of the text alike, and so
    // convert it alike (Cyfromat and DHN always), only the first is listed.
    std::vector<int> bliskie;

    int standard() const { return ranking.front().standard; }
};

// A standard this many nats below the first one is still a fair guess: 70 times less
// likely. Measured on held-out text: closer, and more would be wrong without a note;
// further, and more of the texts named uncertain would have been right.
inline constexpr double PROG_BLISKOSCI = 4.25;
// The same for a short text whose evidence is one word, or one kind of letter in at most
// NAJWIECEJ_SLOW_SKAPYCH words ("obóz", "papuć,bambosz,kapeć"): one byte in one or two
// places says little of which standard wrote it, and the first reading is far from sure.
inline constexpr double PROG_SKAPYCH_DOWODOW = 20.0;
inline constexpr std::size_t NAJWIECEJ_SLOW_SKAPYCH = 4;
// The same for two standards that read only one character of the text differently: the
// text may be long, but what tells them apart is one letter of one word. Held-out prose
// of 100 to 1000 characters keeps 12 in 10,000 named uncertain by it, lists of names none
// certain and wrong; nearer, and some would be.
inline constexpr double PROG_JEDNEGO_ZNAKU = 12.5;
// A reading with letters this many nats below a first one without any is still named:
// no text is called one without letters while a reading with them is not far off. UTF-8
// text without Polish letters stands hundreds of nats above any reading of its bytes as
// letters.
inline constexpr double PROG_LITER = 40.0;

// Recognises the standard of a text that arrives in pieces. One pass, memory of a fixed
// size whatever the length of the text: counts of each byte of 80 and above by its
// neighbours, and of UTF-8 letters the same way; and the first words with such bytes,
// which each standard reads as Polish words or not, where the counts cannot tell (ź and
// ż swapped, capitals two standards write alike). Cutting the text into other pieces gives
// the same result.
class Rozpoznawacz {
public:
    void dodaj(std::string_view kawalek);

    // The verdict on everything added so far; more can be added afterwards.
    Rozpoznanie wynik() const;

private:
    // Bytes read after a position to classify it: its right neighbour, and the rest of the
    // longest UTF-8 sequence.
    static constexpr std::size_t ZAPAS = 3;

    struct Tablice;
    static const Tablice& tablice();

    // Counts the first `pozycji` bytes of `tekst`, which holds `dlugosc` readable bytes;
    // unless NaKoncu, ZAPAS of them follow the last position counted.
    template <bool NaKoncu>
    void przejdz(const unsigned char* tekst, std::size_t dlugosc, std::size_t pozycji);
    // Counts the two bytes at `i` as a Polish letter in UTF-8, if they are one.
    template <bool NaKoncu>
    bool policzLitereUtf8(const Tablice& tablice, const unsigned char* tekst, std::size_t dlugosc,
                          std::size_t i);
    // Counts the byte at `i` but for a Polish letter in UTF-8. `pominDo`: the first position
    // not inside a UTF-8 character counted so far.
    template <bool NaKoncu>
    void policzBajt(const Tablice& tablice, const unsigned char* tekst, std::size_t dlugosc, std::size_t i,
                    std::size_t& pominDo);
    // Adds to the counts of bytes those of the two bytes of each UTF-8 letter counted.
    void dolozBajtyLiterUtf8();

    // Keeps the words with bytes of 80 and above of a piece, in the order of the text, until
    // the store is full.
    void zbierzSlowa(const unsigned char* dane, std::size_t rozmiar);
    // What stands before the word beginning at `poczatek` of the piece `dane`: the context
    // of model::LOG_KSZTALTU.
    std::uint8_t kontekstSlowa(const unsigned char* dane, std::size_t poczatek) const;
    // Keeps the last bytes of the text so far, for the context of a word at a piece's start.
    void zapamietajKoniec(const unsigned char* dane, std::size_t rozmiar);
    void dopiszDoSlowa(const unsigned char* od, std::size_t ile);
    // naKoncuTekstu: the text ends inside the word, which may go on beyond what was given:
    // its end is no evidence.
    void zamknijSlowo(bool naKoncuTekstu = false);
    // What a reading makes of the stored words beside their score.
    struct CzytanieSlow {
        bool mieszanaWielkosc = false;  // a word's case mixed by how its bytes are read
        bool mieszanePismo = false;     // a word with a Polish letter and a foreign one
        std::size_t polskich = 0;       // words with a Polish letter
        std::size_t obcych = 0;         // words with a foreign letter of the code page
    };
    // Log-likelihood of the stored words read in `standard`, from the symbols that its bytes
    // of 80 and above make and their neighbours, and from the case of their letters by the
    // word before each: what all readings share is left out. Weighted against the counts.
    double wynikSlow(int standard, CzytanieSlow& czytanie) const;
    // The reading is ordinary text (Kandydat::zwyczajny).
    bool zwyczajny(int standard, const CzytanieSlow& czytanie) const;

    Rozpoznanie ocen() const;
    // The text's evidence is one word, or one kind of character of 80 and above in a few.
    bool skapeDowody() const;
    // The two one-byte standards read differently only one character of the text.
    bool jedenZnakRozni(int standard, int drugi) const;
    double wynikJednobajtowy(int standard) const;
    double wynikUtf8() const;
    std::uint64_t liter(int standard) const;
    bool czytaInaczej(int standard, int drugi) const;

    template <std::size_t Wierszy, std::size_t Kolumn>
    using Liczniki = std::array<std::array<std::uint64_t, Kolumn>, Wierszy>;
    // Last column: no ASCII letter there.
    static constexpr std::size_t SASIEDNICH_LITER = model::LICZBA_LITER_ASCII + 1;

    // Each byte of 80 and above, [byte - 0x80] by its neighbours' classes, by the ASCII
    // letter before it and by the one after it; the UTF-8 letters alike by [letter]. The
    // two bytes of a UTF-8 letter join the bytes' counts only when the verdict is taken.
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

    // Words longer than this are no evidence: no Polish word is, and the rest is no prose.
    static constexpr std::size_t MAKS_SLOWA = 24;
    // Words one after another, each after a byte of its length, with SLOWO_UCIETE when the
    // text ends inside it, and a byte of its context (kontekstSlowa).
    static constexpr unsigned SLOWO_UCIETE = 0x80;
    std::array<unsigned char, 2048> slowa_{};
    std::size_t dlugoscSlow_ = 0;
    bool slowaPelne_ = false;
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

    // Bytes of 80 and above that occur, [byte - 0x80], gathered before scoring: the few
    // there are instead of all 128.
    std::array<std::uint8_t, 128> obecne_{};
    std::size_t liczbaObecnych_ = 0;
};

// The whole text at once.
Rozpoznanie RozpoznajStandard(std::string_view tekst);

}  // namespace engine
