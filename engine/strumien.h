#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "engine/konwersja.h"

namespace engine {

// Converts a text that arrives in pieces, so that a file of any size needs only one
// piece in memory. The pieces joined give exactly what PrzygotowanaKonwersja gives for
// the whole text: a two-byte letter cut between two pieces waits for the rest.
class KonwersjaBlokowa {
public:
    // Throws std::out_of_range for an index outside 0..17.
    KonwersjaBlokowa(int zrodlo, int cel);

    // How many bytes at the end of `tekst` must wait for the next piece: 1 when the source
    // is UTF-8 and the last byte begins a letter, else 0.
    std::size_t doCzekania(std::string_view tekst) const;

    // Converts the next piece, preceded by the bytes that waited and without those that now
    // must wait, into memory the caller provides and reuses from piece to piece: `wynik`
    // has room for najwiecejBajtow(blok.size()) bytes and does not overlap `blok`.
    // Returns the length written.
    std::size_t konwertuj(std::string_view blok, char* wynik);
    std::size_t najwiecejBajtow(std::size_t dlugoscBloku) const;

    // Whether the text may be cut after `bajt` so that the parts, each converted on its own,
    // give what the whole gives: after any byte of a one-byte source, after an ASCII byte of
    // UTF-8, which no letter crosses.
    bool moznaCiacPo(unsigned char bajt) const { return !dwubajtowe_ || bajt < 0x80; }

    // Converts a stretch that begins and ends where the text may be cut, and leaves alone the
    // bytes that wait between pieces: being const, it may run on another thread while
    // konwertuj converts the part before it. `wynik` has room for najwiecejBajtow of its
    // length and does not overlap it. Returns the length written.
    std::size_t konwertujOdcinek(std::string_view odcinek, char* wynik) const;

    // Converts what still waits once the text has ended.
    std::string zakoncz();

private:
    PrzygotowanaKonwersja konwersja_;
    std::array<bool, 256> poczatekLitery_{};
    bool dwubajtowe_ = false;
    std::string czeka_;
};

}  // namespace engine
