#pragma once

// A file's whole conversion, the same for every front end: open, check, convert, end the
// conversion, commit. The front ends only turn its result and its errors into their messages.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/nie_litery.h"
#include "engine/postep.h"
#include "engine/rozpoznawanie.h"
#include "engine/wszystkie_znaki.h"
#include "pliki/blad_pliku.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace pliki {

struct UstawieniaKonwersji {
    // None: each input's own standard is recognised in its beginning.
    std::optional<int> zrodlo;
    int cel;
    // Every character, not only the letters; where both standards have pages
    // (engine::KonwertujeWszystkieZnaki).
    bool wszystkieZnaki = false;
    // The one-byte code page of the other bytes of the standards that take a base, as
    // engine::ZnajdzPodstawe names it; empty for none.
    std::string podstawa{};
};

// What one input's conversion has to say besides its text.
struct WynikKonwersji {
    // The standard converted from; the target itself when a recognised text has no letters.
    int zrodlo;
    // The verdict on the beginning, when the source was recognised.
    std::optional<engine::Rozpoznanie> rozpoznanie;
    // Whether the recognised beginning held no byte of 80 and above.
    bool tylkoAscii = false;
    // Every character was asked for, but the recognised standard has no page: only the
    // letters were converted.
    bool tylkoLitery = false;
    // What passed the letters' conversion unchanged although the target cannot hold it;
    // none when every character was converted.
    std::optional<engine::NieLitery> nieLitery;
    // Bytes at the start of the text that went over unchanged before the verdict.
    std::uint64_t przesuniecie = 0;

    bool bezLiter() const { return rozpoznanie && rozpoznanie->werdykt == engine::Werdykt::BezPolskichLiter; }
};

// The input opened is the output named.
struct WejscieJestWyjsciem {};

// The system's iconv lacks a code page, or the base is none: nothing can be converted whole.
// `powod` is its reason.
struct BrakStronyKodowej {
    std::string powod;
};

// A conversion of every character stopped where iconv stops; what came before is written.
// `przesuniecie`: bytes of the text before the first the conversion saw.
struct ZatrzymanaKonwersja {
    engine::NieprzekonwertowanyZnak stop;
    int zrodlo;
    std::uint64_t przesuniecie;
};

// Converts all that `wejscie` gives onto `wyjscie`, ends the conversion and writes its last
// bytes; the output is not committed. Throws BladPliku, Przerwane, BrakStronyKodowej,
// ZatrzymanaKonwersja.
WynikKonwersji KonwertujOtwarte(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie,
                                const UstawieniaKonwersji& ustawienia,
                                engine::Postep& postep = engine::BezPostepu());

// Inputs converted one after another onto one output, each a text of its own. The output is
// created once the first input is open and known not to be it, and replaces what was there
// only at zatwierdz(); without it the output is left as it was.
class KonwersjaDoPliku {
public:
    KonwersjaDoPliku(std::string nazwaWyjscia, const UstawieniaKonwersji& ustawienia,
                     engine::Postep& postep = engine::BezPostepu());

    // Opens `nazwaWejscia` (as PlikWejsciowy with `znany`, when a walk found it), refuses it
    // with WejscieJestWyjsciem when it is the output, calls `przedUtworzeniemWyjscia` (if
    // any) and creates the output on the first input, converts, and closes the input. A new
    // output gives nobody rights to read it that the first input does not. Throws as
    // KonwertujOtwarte.
    WynikKonwersji dodaj(const std::string& nazwaWejscia,
                         const std::function<void()>& przedUtworzeniemWyjscia = {},
                         const std::optional<ZnanyPlik>& znany = std::nullopt);

    // Tells the Postep, then the text written becomes the output. Throws BladPliku.
    void zatwierdz();

private:
    std::string nazwaWyjscia_;
    UstawieniaKonwersji ustawienia_;
    engine::Postep& postep_;
    std::optional<PlikWyjsciowy> wyjscie_;
};

// One input into one output, committed: KonwersjaDoPliku with a single input.
WynikKonwersji KonwertujPlik(const std::string& nazwaWejscia, const std::string& nazwaWyjscia,
                             const UstawieniaKonwersji& ustawienia,
                             engine::Postep& postep = engine::BezPostepu(),
                             const std::function<void()>& przedUtworzeniemWyjscia = {});

}  // namespace pliki
