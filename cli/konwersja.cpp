#include "cli/konwersja.h"

#include <optional>

#include "cli/komunikaty.h"
#include "cli/strumienie.h"
#include "cli/uzycie.h"
#include "engine/nie_litery.h"
#include "engine/rozpoznawanie.h"
#include "engine/strumien.h"
#include "pliki/nadzor.h"
#include "pliki/przepisz.h"
#include "pliki/rozpoznany_poczatek.h"

namespace cli {

namespace {

// Counts, as the pieces go by, what passes a conversion that the target cannot hold.
class LiczenieNieLiter final : public pliki::Nadzor {
public:
    LiczenieNieLiter(int zrodlo, int cel) : nieLitery_(zrodlo, cel) {}
    void poOdczycie(std::string_view kawalek) override { nieLitery_.dodaj(kawalek); }
    const znakomat::NieLitery& wynik() const { return nieLitery_; }

private:
    znakomat::NieLitery nieLitery_;
};

}  // namespace

// Converts one input onto `wyjscie` from `zrodlo`, or, without it, from the standard
// recognised in the input itself. Each input is a text of its own.
Przebieg przepiszWejscie(pliki::PlikWejsciowy& wejscie, const std::string& nazwaWejscia,
                         pliki::PlikWyjsciowy& wyjscie, std::optional<int> zrodlo, int cel)
{
    if (zrodlo) {
        znakomat::KonwersjaBlokowa konwersja(*zrodlo, cel);
        LiczenieNieLiter nieLitery(*zrodlo, cel);
        pliki::Przepisz(wejscie, wyjscie, konwersja, nieLitery);
        wyjscie.zapisz(konwersja.zakoncz());
        return {*zrodlo, false, {ostrzezenie(nieLitery.wynik(), nazwaWejscia, *zrodlo, cel, 0)}};
    }
    pliki::RozpoznanyPoczatek poczatek(wejscie, &wyjscie);
    const znakomat::Rozpoznanie& rozpoznanie = poczatek.rozpoznanie();
    const bool bezLiter = rozpoznanie.werdykt == znakomat::Werdykt::BezPolskichLiter;
    // From the target to itself nothing changes, as a text without letters asks.
    const int wybrany = bezLiter ? cel : rozpoznanie.standard();
    znakomat::KonwersjaBlokowa konwersja(wybrany, cel);
    LiczenieNieLiter nieLitery(wybrany, cel);
    poczatek.przepisz(konwersja, nieLitery);
    wyjscie.zapisz(konwersja.zakoncz());

    Przebieg przebieg{wybrany, bezLiter, {}};
    if (rozpoznanie.werdykt == znakomat::Werdykt::Niejednoznaczny) {
        przebieg.uwagi.push_back(opisWejscia(nazwaWejscia) + ": standard rozpoznany niepewnie: wybrany " +
                                 nazwaStandardu(wybrany) +
                                 ", bliskie: " + listaNazw(rozpoznanie.bliskie, ", "));
    } else if (bezLiter && !poczatek.tylkoAscii()) {
        przebieg.uwagi.push_back(opisWejscia(nazwaWejscia) +
                                 ": nie rozpoznano polskich liter, tekst przepisany bez zmian");
    }
    przebieg.uwagi.push_back(
        ostrzezenie(nieLitery.wynik(), nazwaWejscia, wybrany, cel, poczatek.przepisaneBezZmian()));
    return przebieg;
}

// Each input is a text of its own, converted onto the one output in turn. The output is
// created once the first input is open, and is complete only when all of them are.
int konwertuj(const std::vector<std::string>& wejscia, const std::string& nazwaWyjscia,
              std::optional<int> zrodlo, int cel)
{
    std::optional<pliki::PlikWyjsciowy> wyjscie;
    std::vector<std::string> uwagi;
    for (const std::string& nazwaWejscia : wejscia) {
        pliki::PlikWejsciowy wejscie(nazwaWejscia);
        sprawdzInnyNizWyjscie(wejscie, nazwaWejscia, nazwaWyjscia);
        if (!wyjscie) {
            wyjscie.emplace(nazwaWyjscia);
        }
        const Przebieg przebieg = przepiszWejscie(wejscie, nazwaWejscia, *wyjscie, zrodlo, cel);
        uwagi.insert(uwagi.end(), przebieg.uwagi.begin(), przebieg.uwagi.end());
    }
    wyjscie->zatwierdz();
    wypiszUwagi(uwagi);
    return KONIEC_DOBRZE;
}

}  // namespace cli
