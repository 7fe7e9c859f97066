#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/model_polszczyzny.h"
#include "engine/rozpoznawanie_bajtow.h"
#include "engine/rozpoznawanie_slow.h"

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
// of 100 to 1000 characters keeps fewer than one in a thousand named uncertain by it, lists
// of names none certain and wrong; nearer, and some would be.
inline constexpr double PROG_JEDNEGO_ZNAKU = 12.5;
// A reading with letters this many nats below a first one without any is still named:
// no text is called one without letters while a reading with them is not far off. UTF-8
// text without Polish letters stands hundreds of nats above any reading of its bytes as
// letters.
inline constexpr double PROG_LITER = 40.0;

// Recognises the standard of a text that arrives in pieces. One pass, memory of a fixed
// size whatever the length of the text: counts of each byte of 80 and above by its
// neighbours, and of UTF-8 letters the same way (LicznikiBajtow); and the first words with
// such bytes, which each standard reads as Polish words or not, where the counts cannot
// tell (SlowaTekstu). Cutting the text into other pieces gives the same result.
class Rozpoznawacz {
public:
    void dodaj(std::string_view kawalek);

    // The verdict on everything added so far; more can be added afterwards.
    Rozpoznanie wynik() const;

private:
    LicznikiBajtow bajty_;
    SlowaTekstu slowa_;
};

// The whole text at once.
Rozpoznanie RozpoznajStandard(std::string_view tekst);

}  // namespace engine
