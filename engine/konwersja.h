#pragma once

#include <string>

namespace znakomat {

// Where a conversion reports its eighteen steps, one per letter.
class Postep {
public:
    virtual void przedKrokiem(int krok) = 0;  // krok: 1..18
    virtual void poKroku() = 0;
    // Called now and then inside a long step, so a window can stay responsive.
    virtual void wTrakcieKroku() {}

protected:
    ~Postep() = default;
};

Postep& BezPostepu();

// Rewrites the Polish letters of `tekst` from standard `zrodlo` into standard `cel`.
// Step i replaces letter i; a character written by a step never takes part in a later
// match, so the result equals one left-to-right pass in which, of two equal source
// entries, the lower position wins. Everything that is no source letter passes
// unchanged. Throws std::out_of_range for an index outside 0..17.
//
// Bytes are Windows-1250 text (a file as it lies on disk); the UTF-16 overload treats
// the mapped characters of the table as letters and passes every other unit, lone
// surrogates included, untouched.
std::string KonwertujTekst(std::string tekst, int zrodlo, int cel, Postep& postep);
std::u16string KonwertujTekst(std::u16string tekst, int zrodlo, int cel, Postep& postep);

}  // namespace znakomat
