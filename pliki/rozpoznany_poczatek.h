#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/postep.h"
#include "engine/rozpoznawanie.h"
#include "pliki/blad_pliku.h"
#include "pliki/wejscie.h"
#include "pliki/zrodlo.h"

namespace pliki {

// How much of an input, from the piece that holds its first byte of 80 and above, is read
// before its standard is decided.
// A mebibyte holds tens of thousands of Polish letters, plenty for a verdict, and keeps
// the process that holds it within 8 MB.
inline constexpr std::size_t ROZPOZNAWANY_POCZATEK = std::size_t{1} << 20;

// Recognises an input's standard from its beginning, reading it once, so a pipe is converted
// the same as a file and a file of any size needs at most ROZPOZNAWANY_POCZATEK bytes of
// memory. A fixed bound rather than a first pass over a whole file: the verdict must not
// depend on whether the text came through a pipe.
// As a source of pieces: pieces of ASCII alone read alike in every standard, so until the
// first byte of 80 and above they go over unchanged (RodzajKawalka::BezZmian), and a long
// plain header does not use up the bound. From the piece that holds that byte on, pieces are
// held until ROZPOZNAWANY_POCZATEK bytes or the end; the verdict is taken on all that was
// read (RodzajKawalka::Werdykt), then the held bytes and the rest of the input follow as
// text. Throws BladPliku.
class RozpoznanyPoczatek final : public ZrodloKawalkow {
public:
    explicit RozpoznanyPoczatek(PlikWejsciowy& wejscie);

    // For the verdict alone: reads the beginning now, leaving out the plain pieces before it.
    const engine::Rozpoznanie& rozpoznaj(engine::Postep& postep = engine::BezPostepu());

    bool rozstrzygniete() const override { return werdykt_; }
    Przeczytany czytaj(char* kawalek, std::size_t najwiecej, engine::Postep& postep) override;

    // Once the verdict is taken:
    const engine::Rozpoznanie& rozpoznanie() const { return rozpoznanie_; }

    // Whether the text read before the verdict holds no byte of 80 and above.
    bool tylkoAscii() const { return !poAscii_; }

    // How many bytes went over unchanged before the verdict: the offset in the text of the
    // first byte converted.
    std::uint64_t przepisaneBezZmian() const { return przepisane_; }

    // The bytes the verdict was taken on, from the first piece with a byte of 80 and above;
    // as a source, until they are handed on.
    std::string_view wstrzymane() const { return wstrzymane_; }

private:
    void czytajWstrzymane(engine::Postep& postep);
    void oddajPamiec(std::size_t od, std::size_t dlugosc);

    std::optional<engine::Rozpoznawacz> rozpoznawacz_;
    engine::Rozpoznanie rozpoznanie_;
    bool werdykt_ = false;
    // The pieces read from the first byte of 80 and above on, back to back, and how many of
    // them were handed on.
    std::string wstrzymane_;
    std::size_t oddane_ = 0;
    std::uint64_t przepisane_ = 0;
    bool poAscii_ = false;
    bool koniec_ = false;
};

}  // namespace pliki
