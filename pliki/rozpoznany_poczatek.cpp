#include "pliki/rozpoznany_poczatek.h"

#include <algorithm>
#include <utility>

#include "pliki/przepisz.h"

namespace pliki {

namespace {

bool samoAscii(std::string_view kawalek)
{
    return std::all_of(kawalek.begin(), kawalek.end(),
                       [](char znak) { return static_cast<unsigned char>(znak) < 0x80; });
}

}  // namespace

RozpoznanyPoczatek::RozpoznanyPoczatek(PlikWejsciowy& wejscie, PlikWyjsciowy* wyjscie, Nadzor& nadzor)
    : wejscie_(wejscie), wyjscie_(wyjscie)
{
    wejscie.powiekszPotok(ROZMIAR_KAWALKA);
    if (wyjscie) {
        wyjscie->powiekszPotok(ROZMIAR_KAWALKA);
    }
    znakomat::Rozpoznawacz rozpoznawacz;
    std::size_t poAsciiPrzeczytane = 0;
    while (poAsciiPrzeczytane < ROZPOZNAWANY_POCZATEK) {
        nadzor.sprawdz();
        std::string kawalek;
        wejscie.czytaj(kawalek, ROZMIAR_KAWALKA, nadzor);
        if (kawalek.empty()) {
            koniec_ = true;
            break;
        }
        rozpoznawacz.dodaj(kawalek);
        poAscii_ = poAscii_ || !samoAscii(kawalek);
        if (!poAscii_) {
            if (wyjscie) {
                wyjscie->zapisz(kawalek, nadzor);
            }
            przepisane_ += kawalek.size();
            continue;
        }
        poAsciiPrzeczytane += kawalek.size();
        if (wyjscie) {
            wstrzymane_.push_back(std::move(kawalek));
        }
    }
    rozpoznanie_ = rozpoznawacz.wynik();
}

void RozpoznanyPoczatek::przepisz(znakomat::KonwersjaBlokowa& konwersja, Nadzor& nadzor)
{
    for (std::string& kawalek : wstrzymane_) {
        nadzor.sprawdz();
        nadzor.poOdczycie(kawalek);
        wyjscie_->zapisz(konwersja.konwertuj(std::move(kawalek)), nadzor);
    }
    wstrzymane_.clear();
    if (!koniec_) {
        Przepisz(wejscie_, *wyjscie_, konwersja, nadzor);
        koniec_ = true;
    }
}

void RozpoznanyPoczatek::przekaz(const std::function<void(std::string_view)>& dalej, Nadzor& nadzor)
{
    for (const std::string& kawalek : wstrzymane_) {
        nadzor.sprawdz();
        nadzor.poOdczycie(kawalek);
        dalej(kawalek);
    }
    wstrzymane_.clear();
    if (!koniec_) {
        CzytajDoKonca(wejscie_, dalej, nadzor);
        koniec_ = true;
    }
}

}  // namespace pliki
