#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "engine/nie_litery.h"
#include "engine/postep.h"
#include "engine/strumien.h"
#include "pliki/blad_pliku.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace pliki {

// Large enough that system calls cost little beside the conversion, small enough that
// a piece read, converted and written stays in the processor's cache: a 100 MB file
// goes through half again as fast as in pieces of 4 MiB, in under a megabyte of memory.
inline constexpr std::size_t ROZMIAR_KAWALKA = std::size_t{256} << 10;

// Converts all that `wejscie` gives and writes it to `wyjscie`, one piece at a time, so a
// file of any size needs a few pieces of memory. Letters cut between pieces wait in
// `konwersja`; the caller ends it with konwersja.zakoncz() once all inputs are read. The
// eighteen steps of `nadzor` follow the input: step k while its k-th eighteenth is
// converted, or, when its size is unknown, step 1 until it ends. Between pieces `nadzor`
// may stop the work with Przerwane. `nieLitery`, when given, is fed each piece as it was read.
// Throws BladPliku.
void Przepisz(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie, znakomat::KonwersjaBlokowa& konwersja,
              znakomat::Postep& nadzor = znakomat::BezPostepu(), znakomat::NieLitery* nieLitery = nullptr);

// Hands all that `wejscie` gives to `dalej`, one piece at a time, for a conversion that is
// not the letters'. `nadzor` is asked between pieces as Przepisz asks it. Throws BladPliku.
void CzytajDoKonca(PlikWejsciowy& wejscie, const std::function<void(std::string_view)>& dalej,
                   znakomat::Postep& nadzor = znakomat::BezPostepu());

}  // namespace pliki
