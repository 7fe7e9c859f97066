#include "pliki/rozpoznany_poczatek.h"

#include <algorithm>
#include <string_view>

#include "pliki/przepisz.h"

namespace pliki {

namespace {

bool samoAscii(std::string_view kawalek)
{
    return std::all_of(kawalek.begin(), kawalek.end(),
                       [](char znak) { return static_cast<unsigned char>(znak) < 0x80; });
}

}  // namespace

RozpoznanyPoczatek::RozpoznanyPoczatek(PlikWejsciowy& wejscie, PlikWyjsciowy* wyjscie, engine::Postep& postep)
    : wejscie_(wejscie), wyjscie_(wyjscie)
{
    wejscie.powiekszPotok(ROZMIAR_KAWALKA);
    if (wyjscie) {
        wyjscie->powiekszPotok(ROZMIAR_KAWALKA);
    }
    engine::Rozpoznawacz rozpoznawacz;
    std::size_t poAsciiPrzeczytane = 0;
    // One buffer for every read: a slow pipe gives a few bytes at a time, and only those
    // are held.
    std::string kawalek;
    while (poAsciiPrzeczytane < ROZPOZNAWANY_POCZATEK) {
        postep.sprawdz();
        wejscie.czytaj(kawalek, ROZMIAR_KAWALKA, postep);
        if (kawalek.empty()) {
            koniec_ = true;
            break;
        }
        rozpoznawacz.dodaj(kawalek);
        poAscii_ = poAscii_ || !samoAscii(kawalek);
        if (!poAscii_) {
            if (wyjscie) {
                wyjscie->zapisz(kawalek, postep);
            }
            przepisane_ += kawalek.size();
            continue;
        }
        poAsciiPrzeczytane += kawalek.size();
        if (wyjscie) {
            if (wstrzymane_.empty()) {
                // All that may be held, at once: a string that doubles would keep each
                // smaller copy in the heap beside it.
                wstrzymane_.reserve(ROZPOZNAWANY_POCZATEK + ROZMIAR_KAWALKA);
            }
            wstrzymane_ += kawalek;
        }
    }
    rozpoznanie_ = rozpoznawacz.wynik();
}

void RozpoznanyPoczatek::przepisz(engine::KonwersjaBlokowa& konwersja, engine::Postep& postep,
                                  engine::NieLitery* nieLitery)
{
    // One buffer for every held piece, rather than two strings each.
    std::string wynik;
    for (std::size_t poczatek = 0; poczatek < wstrzymane_.size(); poczatek += ROZMIAR_KAWALKA) {
        postep.sprawdz();
        const std::string_view kawalek = std::string_view(wstrzymane_).substr(poczatek, ROZMIAR_KAWALKA);
        if (nieLitery) {
            nieLitery->dodaj(kawalek);
        }
        wynik.resize(konwersja.najwiecejBajtow(kawalek.size()));
        wynik.resize(konwersja.konwertuj(kawalek, wynik.data()));
        wyjscie_->zapisz(wynik, postep);
    }
    std::string().swap(wynik);
    std::string().swap(wstrzymane_);
    if (!koniec_) {
        Przepisz(wejscie_, *wyjscie_, konwersja, postep, nieLitery);
        koniec_ = true;
    }
}

void RozpoznanyPoczatek::przekaz(const std::function<void(std::string_view)>& dalej, engine::Postep& postep)
{
    for (std::size_t poczatek = 0; poczatek < wstrzymane_.size(); poczatek += ROZMIAR_KAWALKA) {
        postep.sprawdz();
        const std::string_view kawalek = std::string_view(wstrzymane_).substr(poczatek, ROZMIAR_KAWALKA);
        dalej(kawalek);
    }
    std::string().swap(wstrzymane_);
    if (!koniec_) {
        CzytajDoKonca(wejscie_, dalej, postep);
        koniec_ = true;
    }
}

}  // namespace pliki
