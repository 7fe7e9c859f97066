#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <string_view>
#include <thread>

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

// How many pieces a thread of its own reads ahead of the conversion, and how many converted
// pieces wait for the writing thread: with the pieces being converted, a few megabytes of
// memory whatever the size of the file.
inline constexpr std::size_t KAWALKOW_W_OBIEGU = 3;

// What a converted piece holds: `dlugosc` bytes from its start and, when it was converted in
// halves, `drugaDlugosc` more from `drugiOd`.
struct CzesciKawalka {
    std::size_t dlugosc = 0;
    std::size_t drugiOd = 0;
    std::size_t drugaDlugosc = 0;
};

// Converts the pieces of one text, each long enough in two halves at once where
// KonwersjaBlokowa lets it be cut near the middle: the first in the calling thread, the
// second in a thread of its own. Both halves together give what the whole piece gives. Only
// while a processor is free: the process may run on twice as many processors as there are
// Przepisz running in it (a batch of files keeps every processor busy already).
class KonwersjaNaDwoch {
public:
    // Without `dwaWatki` every piece is converted whole, in the calling thread.
    KonwersjaNaDwoch(engine::KonwersjaBlokowa& konwersja, bool dwaWatki);
    ~KonwersjaNaDwoch();
    KonwersjaNaDwoch(const KonwersjaNaDwoch&) = delete;
    KonwersjaNaDwoch& operator=(const KonwersjaNaDwoch&) = delete;

    // The room a piece of `dlugosc` bytes needs, both halves and the gap between them.
    std::size_t najwiecejBajtow(std::size_t dlugosc) const;

    // Converts the next piece into `wynik`.
    CzesciKawalka konwertuj(std::string_view kawalek, char* wynik);

    // Where `kawalek` is cut: a place near its middle after which the text may be cut, or 0
    // to convert it whole (too short to pay for a second thread, or no such place near).
    std::size_t ciecie(std::string_view kawalek) const;

private:
    void pracuj();
    void odbierz(bool konwertujSam);

    // Where the second half is: none handed over, handed over, being converted by the other
    // thread, converted; or the thread is to end.
    static constexpr int WOLNY = 0;
    static constexpr int ZLECONY = 1;
    static constexpr int WZIETY = 2;
    static constexpr int GOTOWY = 3;
    static constexpr int KONIEC = 4;

    engine::KonwersjaBlokowa& konwersja_;
    bool dwaWatki_;
    std::size_t procesory_;
    // The second half handed over, and what became of it.
    std::string_view odcinek_;
    char* wynikOdcinka_ = nullptr;
    std::size_t dlugoscOdcinka_ = 0;
    std::exception_ptr blad_;
    std::atomic<int> stan_{WOLNY};
    std::thread watek_;
};

// Converts all that `wejscie` gives and writes it to `wyjscie`, one piece at a time, so a
// file of any size needs a few pieces of memory. Letters cut between pieces wait in
// `konwersja`; the caller ends it with konwersja.zakoncz() once all inputs are read. The
// eighteen steps of `postep` follow the input: step k while its k-th eighteenth is
// converted, or, when its size is unknown, step 1 until it ends. Between pieces `postep`
// may stop the work with Przerwane. `nieLitery`, when given, is fed each piece as it was read.
// Throws BladPliku.
void Przepisz(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie, engine::KonwersjaBlokowa& konwersja,
              engine::Postep& postep = engine::BezPostepu(), engine::NieLitery* nieLitery = nullptr);

// Hands all that `wejscie` gives to `dalej`, one piece at a time, for a conversion that is
// not the letters'. `postep` shows the eighteen steps and is asked between pieces as Przepisz
// shows and asks them. Throws BladPliku.
void CzytajDoKonca(PlikWejsciowy& wejscie, const std::function<void(std::string_view)>& dalej,
                   engine::Postep& postep = engine::BezPostepu());

}  // namespace pliki
