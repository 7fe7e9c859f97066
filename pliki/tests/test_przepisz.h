#pragma once

// The loop of pliki/przepisz.h over a whole input with the letters' converter, for the tests
// of what the loop does with its input, its output and its threads.

#include "engine/nie_litery.h"
#include "engine/postep.h"
#include "engine/strumien.h"
#include "pliki/konwerter.h"
#include "pliki/przepisz.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"
#include "pliki/zrodlo.h"

namespace pliki::test {

// The letters of all that `wejscie` gives onto `wyjscie`. Letters cut between pieces wait in
// `konwersja`, for the caller's konwersja.zakoncz().
inline void Przepisz(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie, engine::KonwersjaBlokowa& konwersja,
                     engine::Postep& postep = engine::BezPostepu(), engine::NieLitery* nieLitery = nullptr)
{
    KonwerterLiter konwerter(konwersja, nieLitery);
    ZrodloWejscia zrodlo(wejscie);
    Przepis przepis(zrodlo, wyjscie, postep);
    przepis.konwertuj(konwerter, false);
}

}  // namespace pliki::test
