#pragma once

// What the conversion loop (pliki/przepisz.h) converts its pieces with: the letters only, or
// every character.

#include <atomic>
#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <thread>

#include "engine/nie_litery.h"
#include "engine/strumien.h"
#include "engine/wszystkie_znaki.h"
#include "pliki/kawalek.h"

namespace pliki {

// What a converted piece holds: `dlugosc` bytes from its start and, when it was converted in
// halves, `drugaDlugosc` more from `drugiOd`.
struct CzesciKawalka {
    std::size_t dlugosc = 0;
    std::size_t drugiOd = 0;
    std::size_t drugaDlugosc = 0;
};

// Converts the pieces of one text in order. The loop calls przeczytany() in its reading
// thread and the rest in the thread that converts.
class Konwerter {
public:
    virtual ~Konwerter() = default;

    // How long the pieces it converts are, at most ROZMIAR_KAWALKA.
    virtual std::size_t rozmiarKawalka() const { return ROZMIAR_KAWALKA; }

    // The room a piece of `dlugosc` bytes needs once converted.
    virtual std::size_t najwiecejBajtow(std::size_t dlugosc) const = 0;

    // Each piece as it was read, before it is converted.
    virtual void przeczytany(std::string_view /*kawalek*/) {}

    // Converts the next piece into `wynik`, which has room for najwiecejBajtow of its length.
    virtual CzesciKawalka konwertuj(std::string_view kawalek, char* wynik) = 0;

    // After konwertuj() threw: how many bytes it wrote into `wynik` before, which belong
    // to the output.
    virtual std::size_t przedBledem() const { return 0; }

    // The text has ended: the bytes that still waited, converted.
    virtual std::string zakoncz() = 0;
};

// Converts the pieces of one text, each long enough in two halves at once where
// KonwersjaBlokowa lets it be cut near the middle: the first in the calling thread, the
// second in a thread of its own. Both halves together give what the whole piece gives. Only
// while a processor is free: the process may run on twice as many processors as there are
// conversions running in it (a batch of files keeps every processor busy already).
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

// The letters only, in halves where a processor is free, and, when `nieLitery` is given, a
// count of what passes them unchanged although the target cannot hold it, made in the
// reading thread so the converting one does nothing else.
class KonwerterLiter final : public Konwerter {
public:
    explicit KonwerterLiter(engine::KonwersjaBlokowa& konwersja, engine::NieLitery* nieLitery = nullptr);

    std::size_t najwiecejBajtow(std::size_t dlugosc) const override
    {
        return naDwoch_.najwiecejBajtow(dlugosc);
    }
    void przeczytany(std::string_view kawalek) override;
    CzesciKawalka konwertuj(std::string_view kawalek, char* wynik) override;
    std::string zakoncz() override { return konwersja_.zakoncz(); }

private:
    engine::KonwersjaBlokowa& konwersja_;
    engine::NieLitery* nieLitery_;
    KonwersjaNaDwoch naDwoch_;
};

// Every character, as engine::KonwersjaWszystkichZnakow converts it; a stop
// (engine::NieprzekonwertowanyZnak) comes out of konwertuj() or zakoncz(), and what came
// before it in the piece out of przedBledem().
class KonwerterWszystkichZnakow final : public Konwerter {
public:
    // As engine::KonwersjaWszystkichZnakow's constructor, and throws as it does.
    KonwerterWszystkichZnakow(int zrodlo, int cel, std::string_view podstawa);

    // Half the loop's pieces: each handed from thread to thread costs wake-ups and system
    // calls, and pieces of 64 KiB took 15 % longer than one thread did; its own result is
    // built in parts of 8 KiB, so the three threads hold no more memory than one thread did.
    std::size_t rozmiarKawalka() const override { return ROZMIAR_KAWALKA / 2; }
    std::size_t najwiecejBajtow(std::size_t dlugosc) const override;
    CzesciKawalka konwertuj(std::string_view kawalek, char* wynik) override;
    std::size_t przedBledem() const override { return przedBledem_; }
    std::string zakoncz() override;

private:
    engine::KonwersjaWszystkichZnakow konwersja_;
    // A part of the piece converted, before it goes to the loop's memory: the conversion
    // writes into a string, which it first makes four times the part's length.
    std::string wynik_;
    std::size_t przedBledem_ = 0;
};

}  // namespace pliki
