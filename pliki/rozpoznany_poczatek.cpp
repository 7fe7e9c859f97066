#include "pliki/rozpoznany_poczatek.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "pliki/kawalek.h"

namespace pliki {

namespace {

bool samoAscii(std::string_view kawalek)
{
    return std::all_of(kawalek.begin(), kawalek.end(),
                       [](char znak) { return static_cast<unsigned char>(znak) < 0x80; });
}

}  // namespace

RozpoznanyPoczatek::RozpoznanyPoczatek(PlikWejsciowy& wejscie) : ZrodloKawalkow(wejscie)
{
    rozpoznawacz_.emplace();
}

const engine::Rozpoznanie& RozpoznanyPoczatek::rozpoznaj(engine::Postep& postep)
{
    wejscie().powiekszPotok(ROZMIAR_KAWALKA);
    std::string kawalek(ROZMIAR_KAWALKA, '\0');
    while (!werdykt_) {
        czytaj(kawalek.data(), kawalek.size(), postep);
    }
    return rozpoznanie_;
}

Przeczytany RozpoznanyPoczatek::czytaj(char* kawalek, std::size_t najwiecej, engine::Postep& postep)
{
    if (!werdykt_) {
        if (!poAscii_) {
            postep.sprawdz();
            const std::size_t dlugosc = wejscie().czytaj(kawalek, najwiecej, postep);
            const std::string_view przeczytany(kawalek, dlugosc);
            if (dlugosc > 0) {
                rozpoznawacz_->dodaj(przeczytany);
            }
            if (dlugosc > 0 && samoAscii(przeczytany)) {
                przepisane_ += dlugosc;
                return {dlugosc, RodzajKawalka::BezZmian};
            }
            koniec_ = dlugosc == 0;
            poAscii_ = !koniec_;
            if (poAscii_) {
                // All that may be held, at once: a string that doubles would keep each
                // smaller copy in the heap beside it.
                wstrzymane_.reserve(ROZPOZNAWANY_POCZATEK + ROZMIAR_KAWALKA);
                wstrzymane_.assign(przeczytany);
            }
        }
        czytajWstrzymane(postep);
        return {0, RodzajKawalka::Werdykt};
    }
    if (oddane_ < wstrzymane_.size()) {
        const std::size_t dlugosc = std::min(najwiecej, wstrzymane_.size() - oddane_);
        std::memcpy(kawalek, wstrzymane_.data() + oddane_, dlugosc);
        oddajPamiec(oddane_, dlugosc);
        oddane_ += dlugosc;
        if (oddane_ == wstrzymane_.size()) {
            std::string().swap(wstrzymane_);
            oddane_ = 0;
        }
        return {dlugosc, RodzajKawalka::Tekst};
    }
    if (koniec_) {
        return {0, RodzajKawalka::Tekst};
    }
    return {wejscie().czytaj(kawalek, najwiecej, postep), RodzajKawalka::Tekst};
}

void RozpoznanyPoczatek::oddajPamiec(std::size_t od, std::size_t dlugosc)
{
    // The pages of the bytes handed on go back to the system at once, so the held beginning
    // and the loop's pieces that it fills are not in memory together. Only whole pages
    // within the bytes: the allocator's own lie outside them.
    const auto strona = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto poczatek = reinterpret_cast<std::uintptr_t>(wstrzymane_.data() + od);
    const std::uintptr_t pierwsza = (poczatek + strona - 1) / strona * strona;
    const std::uintptr_t koniec = (poczatek + dlugosc) / strona * strona;
    if (koniec > pierwsza) {
        ::madvise(reinterpret_cast<void*>(pierwsza), koniec - pierwsza, MADV_DONTNEED);
    }
}

void RozpoznanyPoczatek::czytajWstrzymane(engine::Postep& postep)
{
    // A slow pipe gives a few bytes at a time, and only those are held.
    while (!koniec_ && wstrzymane_.size() < ROZPOZNAWANY_POCZATEK) {
        postep.sprawdz();
        const std::size_t bylo = wstrzymane_.size();
        wstrzymane_.resize(bylo + ROZMIAR_KAWALKA);
        const std::size_t dlugosc = wejscie().czytaj(wstrzymane_.data() + bylo, ROZMIAR_KAWALKA, postep);
        wstrzymane_.resize(bylo + dlugosc);
        koniec_ = dlugosc == 0;
        if (!koniec_) {
            rozpoznawacz_->dodaj(std::string_view(wstrzymane_).substr(bylo));
        }
    }
    rozpoznanie_ = rozpoznawacz_->wynik();
    rozpoznawacz_.reset();
    werdykt_ = true;
}

}  // namespace pliki
