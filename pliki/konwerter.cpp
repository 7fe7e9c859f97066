#include "pliki/konwerter.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "pliki/procesory.h"
#include "pliki/sygnaly.h"

namespace pliki {

namespace {

// A half of a piece this short converts sooner than another thread takes it up.
constexpr std::size_t NAJKROTSZA_POLOWA = std::size_t{32} << 10;
// How far before the middle a place to cut is looked for: Polish text has an ASCII byte every
// few bytes, and a text that has none converts whole.
constexpr std::size_t SZUKANIE_CIECIA = 4096;
// A character of a code page takes at most three bytes of UTF-8; a character cut at the end
// of the piece before, at most three bytes, comes first.
constexpr std::size_t NAJWIECEJ_NA_ZNAK = 3;
constexpr std::size_t NAJDLUZSZY_ZACZETY = 3;
// The parts a piece is converted in character by character.
constexpr std::size_t CZESC_WSZYSTKICH_ZNAKOW = std::size_t{8} << 10;

}  // namespace

KonwersjaNaDwoch::KonwersjaNaDwoch(engine::KonwersjaBlokowa& konwersja, bool dwaWatki)
    : konwersja_(konwersja), dwaWatki_(dwaWatki), procesory_(LiczbaProcesorow())
{
}
KonwersjaNaDwoch::~KonwersjaNaDwoch()
{
    if (watek_.joinable()) {
        stan_.store(KONIEC, std::memory_order_release);
        stan_.notify_one();
        watek_.join();
    }
}

std::size_t KonwersjaNaDwoch::najwiecejBajtow(std::size_t dlugosc) const
{
    // Each half has the margin a pass may write past its end.
    return konwersja_.najwiecejBajtow(dlugosc) + konwersja_.najwiecejBajtow(0);
}

std::size_t KonwersjaNaDwoch::ciecie(std::string_view kawalek) const
{
    if (kawalek.size() < 2 * NAJKROTSZA_POLOWA) {
        return 0;
    }
    const std::size_t polowa = kawalek.size() / 2;
    for (std::size_t miejsce = polowa; miejsce + SZUKANIE_CIECIA > polowa; --miejsce) {
        if (konwersja_.moznaCiacPo(static_cast<unsigned char>(kawalek[miejsce - 1]))) {
            return miejsce;
        }
    }
    return 0;
}

CzesciKawalka KonwersjaNaDwoch::konwertuj(std::string_view kawalek, char* wynik)
{
    const bool wolnyProcesor = procesory_ >= 2 * static_cast<std::size_t>(TrwajacaKonwersja::ile());
    const std::size_t miejsce = dwaWatki_ && wolnyProcesor ? ciecie(kawalek) : 0;
    if (miejsce == 0) {
        return {konwersja_.konwertuj(kawalek, wynik), 0, 0};
    }
    if (!watek_.joinable()) {
        // Only once a piece is cut: a short file never needs the thread.
        const WatkiBezSygnalow bezSygnalow;
        watek_ = std::thread(&KonwersjaNaDwoch::pracuj, this);
    }
    // A letter begun by the last byte waits for the next piece, as when the piece is whole;
    // the first half ends where the text may be cut and leaves nothing waiting.
    std::string_view druga = kawalek.substr(miejsce);
    const std::size_t czeka = konwersja_.doCzekania(druga);
    druga.remove_suffix(czeka);
    const std::size_t drugiOd = konwersja_.najwiecejBajtow(miejsce);
    odcinek_ = druga;
    wynikOdcinka_ = wynik + drugiOd;
    stan_.store(ZLECONY, std::memory_order_release);
    stan_.notify_one();
    std::size_t dlugosc = 0;
    try {
        dlugosc = konwersja_.konwertuj(kawalek.substr(0, miejsce), wynik);
    } catch (...) {
        // The other thread may still write into `wynik`, which may go with this exception.
        odbierz(false);
        throw;
    }
    odbierz(true);
    if (blad_) {
        std::rethrow_exception(std::exchange(blad_, nullptr));
    }
    if (czeka > 0) {
        // Nothing waits now, so the byte only stays behind and nothing is written.
        konwersja_.konwertuj(kawalek.substr(kawalek.size() - czeka), wynikOdcinka_ + dlugoscOdcinka_);
    }
    return {dlugosc, drugiOd, dlugoscOdcinka_};
}

void KonwersjaNaDwoch::odbierz(bool konwertujSam)
{
    // A thread woken on a busy machine may wait long for a processor: the second half is
    // taken back and converted here unless that thread has begun it.
    int zlecony = ZLECONY;
    if (stan_.compare_exchange_strong(zlecony, WOLNY, std::memory_order_acq_rel)) {
        if (konwertujSam) {
            dlugoscOdcinka_ = konwersja_.konwertujOdcinek(odcinek_, wynikOdcinka_);
        }
        return;
    }
    while (stan_.load(std::memory_order_acquire) == WZIETY) {
        stan_.wait(WZIETY, std::memory_order_acquire);
    }
}

void KonwersjaNaDwoch::pracuj()
{
    for (;;) {
        int stan = stan_.load(std::memory_order_acquire);
        if (stan == KONIEC) {
            return;
        }
        if (stan != ZLECONY) {
            stan_.wait(stan, std::memory_order_acquire);
            continue;
        }
        if (!stan_.compare_exchange_strong(stan, WZIETY, std::memory_order_acq_rel)) {
            // Taken back meanwhile.
            continue;
        }
        try {
            dlugoscOdcinka_ = konwersja_.konwertujOdcinek(odcinek_, wynikOdcinka_);
        } catch (...) {
            blad_ = std::current_exception();
        }
        stan_.store(GOTOWY, std::memory_order_release);
        stan_.notify_one();
    }
}

KonwerterLiter::KonwerterLiter(engine::KonwersjaBlokowa& konwersja, engine::NieLitery* nieLitery)
    // Halves only where the second one finds a processor of its own beside the reading, the
    // writing and the converting thread: on two processors, with the vector passes, a piece
    // converts sooner than another thread takes half of it up (into a pipe 59 ms against 67
    // for 100 MiB of Windows-EE to UTF-8, medians of 30 runs).
    : konwersja_(konwersja), nieLitery_(nieLitery), naDwoch_(konwersja, LiczbaProcesorow() >= 4)
{
}

void KonwerterLiter::przeczytany(std::string_view kawalek)
{
    if (nieLitery_) {
        nieLitery_->dodaj(kawalek);
    }
}

CzesciKawalka KonwerterLiter::konwertuj(std::string_view kawalek, char* wynik)
{
    return naDwoch_.konwertuj(kawalek, wynik);
}

KonwerterWszystkichZnakow::KonwerterWszystkichZnakow(int zrodlo, int cel, std::string_view podstawa)
    : konwersja_(zrodlo, cel, podstawa)
{
}

std::size_t KonwerterWszystkichZnakow::najwiecejBajtow(std::size_t dlugosc) const
{
    return NAJWIECEJ_NA_ZNAK * (dlugosc + NAJDLUZSZY_ZACZETY);
}

CzesciKawalka KonwerterWszystkichZnakow::konwertuj(std::string_view kawalek, char* wynik)
{
    const std::size_t miejsce = najwiecejBajtow(kawalek.size());
    std::size_t zapisane = 0;
    const auto przenies = [&] {
        // The loop's memory is sized by najwiecejBajtow: never write past it.
        if (wynik_.size() > miejsce - zapisane) {
            throw std::length_error("KonwerterWszystkichZnakow: more bytes than najwiecejBajtow");
        }
        std::memcpy(wynik + zapisane, wynik_.data(), wynik_.size());
        zapisane += wynik_.size();
    };
    przedBledem_ = 0;
    for (std::size_t od = 0; od < kawalek.size(); od += CZESC_WSZYSTKICH_ZNAKOW) {
        wynik_.clear();
        try {
            konwersja_.dopisz(kawalek.substr(od, CZESC_WSZYSTKICH_ZNAKOW), wynik_);
        } catch (const engine::NieprzekonwertowanyZnak&) {
            przenies();
            przedBledem_ = zapisane;
            throw;
        }
        przenies();
    }
    return {zapisane, 0, 0};
}

std::string KonwerterWszystkichZnakow::zakoncz()
{
    konwersja_.zakoncz();
    return {};
}

}  // namespace pliki
