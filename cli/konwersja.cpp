#include "cli/konwersja.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "cli/komunikaty.h"
#include "cli/strumienie.h"
#include "cli/uzycie.h"
#include "engine/nie_litery.h"
#include "engine/rozpoznawanie.h"
#include "engine/strumien.h"
#include "engine/wszystkie_znaki.h"
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

namespace {

// Every character of the input, from `zrodlo` to `cel`, as iconv converts it. `dalej` hands
// the pieces over; `przesuniecie` is where the first of them lies in the text.
void przepiszWszystkieZnaki(const std::function<void(const std::function<void(std::string_view)>&)>& dalej,
                            const std::string& nazwaWejscia, pliki::PlikWyjsciowy& wyjscie, int zrodlo,
                            int cel, std::uint64_t przesuniecie)
{
    std::optional<znakomat::KonwersjaWszystkichZnakow> konwersja;
    try {
        konwersja.emplace(zrodlo, cel);
    } catch (const std::runtime_error& blad) {
        // The system's iconv lacks a code page: nothing can be converted whole.
        throw BladKonwersji{"nie mogę przekonwertować całego tekstu: " + std::string(blad.what())};
    }
    std::string wynik;
    try {
        dalej([&](std::string_view kawalek) {
            wynik.clear();
            konwersja->dopisz(kawalek, wynik);
            wyjscie.zapisz(wynik);
            wynik.clear();
        });
        konwersja->zakoncz();
    } catch (const znakomat::NieprzekonwertowanyZnak& stop) {
        // What came before the stop, as iconv leaves it; a file output is dropped anyway.
        wyjscie.zapisz(wynik);
        throw BladKonwersji{opisZatrzymania(stop, nazwaWejscia, zrodlo, cel, przesuniecie)};
    }
}

}  // namespace

Przebieg przepiszWejscie(pliki::PlikWejsciowy& wejscie, const std::string& nazwaWejscia,
                         pliki::PlikWyjsciowy& wyjscie, const Zadanie& zadanie)
{
    const int cel = zadanie.cel;
    if (zadanie.zrodlo && zadanie.wszystkieZnaki) {
        przepiszWszystkieZnaki([&](const auto& dalej) { pliki::CzytajDoKonca(wejscie, dalej); }, nazwaWejscia,
                               wyjscie, *zadanie.zrodlo, cel, 0);
        return {*zadanie.zrodlo, false, {}};
    }
    if (zadanie.zrodlo) {
        const int zrodlo = *zadanie.zrodlo;
        znakomat::KonwersjaBlokowa konwersja(zrodlo, cel);
        LiczenieNieLiter nieLitery(zrodlo, cel);
        pliki::Przepisz(wejscie, wyjscie, konwersja, nieLitery);
        wyjscie.zapisz(konwersja.zakoncz());
        return {zrodlo, false, {ostrzezenie(nieLitery.wynik(), nazwaWejscia, zrodlo, cel, 0)}};
    }
    pliki::RozpoznanyPoczatek poczatek(wejscie, &wyjscie);
    const znakomat::Rozpoznanie& rozpoznanie = poczatek.rozpoznanie();
    const bool bezLiter = rozpoznanie.werdykt == znakomat::Werdykt::BezPolskichLiter;
    // From the target to itself nothing changes, as a text without letters asks.
    const int wybrany = bezLiter ? cel : rozpoznanie.standard();
    Przebieg przebieg{wybrany, bezLiter, {}};
    if (rozpoznanie.werdykt == znakomat::Werdykt::Niejednoznaczny) {
        przebieg.uwagi.push_back(opisWejscia(nazwaWejscia) + ": standard rozpoznany niepewnie: wybrany " +
                                 nazwaStandardu(wybrany) +
                                 ", bliskie: " + listaNazw(rozpoznanie.bliskie, ", "));
    } else if (bezLiter && !poczatek.tylkoAscii()) {
        przebieg.uwagi.push_back(opisWejscia(nazwaWejscia) +
                                 ": nie rozpoznano polskich liter, tekst przepisany bez zmian");
    }
    if (zadanie.wszystkieZnaki && !bezLiter) {
        if (znakomat::JestStronaKodowa(wybrany)) {
            przepiszWszystkieZnaki([&](const auto& dalej) { poczatek.przekaz(dalej); }, nazwaWejscia, wyjscie,
                                   wybrany, cel, poczatek.przepisaneBezZmian());
            return przebieg;
        }
        przebieg.uwagi.push_back(opisWejscia(nazwaWejscia) + ": rozpoznany standard " +
                                 nazwaStandardu(wybrany) + " nie należy do " +
                                 listaNazw(znakomat::StronyKodowe(), ", ") +
                                 ", więc zamienione są tylko litery");
    }
    znakomat::KonwersjaBlokowa konwersja(wybrany, cel);
    LiczenieNieLiter nieLitery(wybrany, cel);
    poczatek.przepisz(konwersja, nieLitery);
    wyjscie.zapisz(konwersja.zakoncz());
    przebieg.uwagi.push_back(
        ostrzezenie(nieLitery.wynik(), nazwaWejscia, wybrany, cel, poczatek.przepisaneBezZmian()));
    return przebieg;
}

// Each input is a text of its own, converted onto the one output in turn. The output is
// created once the first input is open, and is complete only when all of them are.
int konwertuj(const std::vector<std::string>& wejscia, const std::string& nazwaWyjscia,
              const Zadanie& zadanie)
{
    std::optional<pliki::PlikWyjsciowy> wyjscie;
    std::vector<std::string> uwagi;
    for (const std::string& nazwaWejscia : wejscia) {
        pliki::PlikWejsciowy wejscie(nazwaWejscia);
        sprawdzInnyNizWyjscie(wejscie, nazwaWejscia, nazwaWyjscia);
        if (!wyjscie) {
            wyjscie.emplace(nazwaWyjscia);
        }
        const Przebieg przebieg = przepiszWejscie(wejscie, nazwaWejscia, *wyjscie, zadanie);
        uwagi.insert(uwagi.end(), przebieg.uwagi.begin(), przebieg.uwagi.end());
    }
    wyjscie->zatwierdz();
    wypiszUwagi(uwagi);
    return KONIEC_DOBRZE;
}

}  // namespace cli
