#pragma once

// The one loop every conversion of a file goes through: a source of pieces (pliki/zrodlo.h),
// a converter (pliki/konwerter.h) and the output, each in a thread of its own.

#include <cstddef>
#include <memory>

#include "engine/postep.h"
#include "pliki/blad_pliku.h"
#include "pliki/konwerter.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"
#include "pliki/zrodlo.h"

namespace pliki {

// How many pieces a thread of its own reads ahead of the conversion, and how many converted
// pieces wait for the writing thread: with the pieces being converted, a few megabytes of
// memory whatever the size of the file.
inline constexpr std::size_t KAWALKOW_W_OBIEGU = 3;

// Takes the pieces of `zrodlo` and writes them to `wyjscie`, one piece at a time, so a text
// of any size needs a few pieces of memory. Three threads, so that the one converting does
// nothing else: one reads, one writes into the page cache or a pipe and waits for the disk,
// while the thread that made the Przepis converts. Only the writing thread writes to
// `wyjscie` until the Przepis is gone. The eighteen steps of `postep` follow the input: step
// k while its k-th eighteenth goes by, or, when its size is unknown, step 1 until it ends.
// Between pieces `postep` may stop the work with Przerwane; it is called in the thread that
// made the Przepis only. Throws BladPliku.
class Przepis {
public:
    Przepis(ZrodloKawalkow& zrodlo, PlikWyjsciowy& wyjscie, engine::Postep& postep = engine::BezPostepu());
    ~Przepis();
    Przepis(const Przepis&) = delete;
    Przepis& operator=(const Przepis&) = delete;

    // Writes the pieces that go over unchanged until the source has decided, or the text
    // has ended. Nothing to do for a source that converts from the first byte.
    void doWerdyktu();

    // Converts the rest with `konwerter`, ends it with its zakoncz() when `zakonczyc`, and
    // waits until all is written. When the converter fails, what it converted before the
    // failure is written first.
    void konwertuj(Konwerter& konwerter, bool zakonczyc = true);

private:
    void przekazuj(Konwerter* konwerter);

    struct Obiegi;
    engine::Postep& postep_;
    std::unique_ptr<Obiegi> obiegi_;
};

}  // namespace pliki
