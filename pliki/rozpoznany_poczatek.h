#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/nie_litery.h"
#include "engine/postep.h"
#include "engine/rozpoznawanie.h"
#include "engine/strumien.h"
#include "pliki/blad_pliku.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace pliki {

// How much of an input, from the piece that holds its first byte of 80 and above, is read
// before its standard is decided.
// A mebibyte holds tens of thousands of Polish letters, plenty for a verdict, and keeps
// the process that holds it within 8 MB.
inline constexpr std::size_t ROZPOZNAWANY_POCZATEK = std::size_t{1} << 20;

// Recognises an input's standard from its beginning and then converts it from there, reading
// it once, so a pipe is converted the same as a file and a file of any size needs at most
// ROZPOZNAWANY_POCZATEK bytes of memory. A fixed bound rather than a first pass over a
// whole file: the verdict must not depend on whether the text came through a pipe.
// Pieces of ASCII alone read alike in every standard, so until the first byte of 80 and
// above they go straight to the output, and a long plain header does not use up the bound.
// From the piece that holds that byte on, pieces are held until ROZPOZNAWANY_POCZATEK
// bytes or the end; the verdict is taken on all that was read. Throws BladPliku.
class RozpoznanyPoczatek {
public:
    // Reads the beginning. Without `wyjscie` only the verdict is wanted: nothing is held
    // and przepisz() must not be called.
    RozpoznanyPoczatek(PlikWejsciowy& wejscie, PlikWyjsciowy* wyjscie,
                       engine::Postep& postep = engine::BezPostepu());

    const engine::Rozpoznanie& rozpoznanie() const { return rozpoznanie_; }

    // Whether the text read so far holds no byte of 80 and above.
    bool tylkoAscii() const { return !poAscii_; }

    // How many bytes went to the output unchanged before the verdict: the offset in the
    // text of the first piece przepisz() converts.
    std::uint64_t przepisaneBezZmian() const { return przepisane_; }

    // Converts the held pieces and the rest of the input with `konwersja`, which the caller
    // then ends with konwersja.zakoncz(). `postep` and `nieLitery` are used as Przepisz uses them.
    void przepisz(engine::KonwersjaBlokowa& konwersja, engine::Postep& postep = engine::BezPostepu(),
                  engine::NieLitery* nieLitery = nullptr);

    // For a conversion other than the letters': hands the held pieces, then the rest of the
    // input, to `dalej`, as CzytajDoKonca does.
    void przekaz(const std::function<void(std::string_view)>& dalej,
                 engine::Postep& postep = engine::BezPostepu());

private:
    PlikWejsciowy& wejscie_;
    PlikWyjsciowy* wyjscie_;
    engine::Rozpoznanie rozpoznanie_;
    // The pieces read from the first byte of 80 and above on, back to back.
    std::string wstrzymane_;
    std::uint64_t przepisane_ = 0;
    bool poAscii_ = false;
    bool koniec_ = false;
};

}  // namespace pliki
