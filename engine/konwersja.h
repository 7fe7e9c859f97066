#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "engine/postep.h"

namespace engine {

// Rewrites the Polish letters of `tekst` from standard `zrodlo` into standard `cel`.
// Step i replaces letter i; a character written by a step never takes part in a later
// match, so the result equals one left-to-right pass in which, of two equal source
// entries, the lower position wins. Everything that is no source letter passes
// unchanged. Throws std::out_of_range for an index outside 0..17.
//
// The text is a text box's: the mapped characters of the table, as Windows-1250 reads
// their bytes, are its letters, and every other unit, lone surrogates included, passes
// untouched. `postep` hears each of the eighteen steps.
std::u16string KonwertujTekst(std::u16string tekst, int zrodlo, int cel, Postep& postep);

struct TablicePrzebiegu;

// The same conversion of bytes (a file as it lies on disk, read as Windows-1250 text), its
// eighteen steps decided once, for converting many texts or the pieces of one into memory
// the caller keeps.
class PrzygotowanaKonwersja {
public:
    // Throws std::out_of_range for an index outside 0..17.
    PrzygotowanaKonwersja(int zrodlo, int cel);

    // The room the result of `n` source bytes may need: twice `n` for a wider target,
    // and a margin the fast passes may write past the result.
    std::size_t najwiecejBajtow(std::size_t n) const;

    // Converts `tekst` into `wynik`, which has room for najwiecejBajtow(tekst.size())
    // bytes and does not overlap `tekst`; returns the length of the result. What lies
    // beyond that length may have changed.
    std::size_t konwertuj(std::string_view tekst, char* wynik) const;

    // Converts `tekst` and appends the result to `wynik`.
    void dopisz(std::string_view tekst, std::string& wynik) const;

    // Converts `tekst` in place, or into new memory when the target is wider.
    void konwertujWMiejscu(std::string& tekst) const;

private:
    std::shared_ptr<const TablicePrzebiegu> tablice_;
};

}  // namespace engine
