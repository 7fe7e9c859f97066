#include "przepisz.h"

#include <algorithm>
#include <string>

#include "standardy.h"

namespace pliki {

namespace {

// Shows each of the eighteen steps once, in order, as the input goes by.
class Kroki {
public:
    explicit Kroki(Nadzor& nadzor) : nadzor_(nadzor) {}

    void dojdzDo(int krok)
    {
        krok = std::min(krok, znakomat::LICZBA_LITER);
        while (biezacy_ < krok) {
            if (biezacy_ > 0) {
                nadzor_.poKroku();
            }
            nadzor_.przedKrokiem(++biezacy_);
        }
    }

    void zakoncz()
    {
        dojdzDo(znakomat::LICZBA_LITER);
        nadzor_.poKroku();
    }

private:
    Nadzor& nadzor_;
    int biezacy_ = 0;
};

}  // namespace

void Przepisz(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie, znakomat::KonwersjaBlokowa& konwersja,
              Nadzor& nadzor)
{
    wejscie.powiekszPotok(ROZMIAR_KAWALKA);
    wyjscie.powiekszPotok(ROZMIAR_KAWALKA);
    const std::optional<std::uint64_t> rozmiar = wejscie.rozmiar();
    Kroki kroki(nadzor);
    kroki.dojdzDo(1);
    std::uint64_t przeczytane = 0;
    std::string blok;
    for (;;) {
        nadzor.sprawdz();
        wejscie.czytaj(blok, ROZMIAR_KAWALKA, nadzor);
        if (blok.empty()) {
            break;
        }
        nadzor.poOdczycie(blok);
        przeczytane += blok.size();
        if (rozmiar) {
            // The eighteenth that the last byte read lies in: a piece that ends where an
            // eighteenth ends still belongs to it.
            kroki.dojdzDo(static_cast<int>((przeczytane - 1) * znakomat::LICZBA_LITER / *rozmiar) + 1);
        }
        std::string wynik = konwersja.konwertuj(std::move(blok));
        wyjscie.zapisz(wynik, nadzor);
        // The result's memory serves as the next piece.
        blok = std::move(wynik);
    }
    kroki.zakoncz();
}

}  // namespace pliki
