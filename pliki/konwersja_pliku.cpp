#include "pliki/konwersja_pliku.h"

#include <stdexcept>
#include <string_view>
#include <utility>

#include "engine/strona.h"
#include "engine/strumien.h"
#include "pliki/przepisz.h"
#include "pliki/rozpoznany_poczatek.h"

namespace pliki {

namespace {

using Przekaz = std::function<void(const std::function<void(std::string_view)>&)>;

// Every character of the pieces `przekaz` hands over, from `zrodlo` to `cel`, as iconv
// converts them. `przesuniecie` is where the first of them lies in the text.
void przepiszWszystkieZnaki(const Przekaz& przekaz, PlikWyjsciowy& wyjscie, int zrodlo, int cel,
                            const std::string& podstawa, std::uint64_t przesuniecie, engine::Postep& postep)
{
    std::optional<engine::KonwersjaWszystkichZnakow> konwersja;
    try {
        konwersja.emplace(zrodlo, cel, podstawa);
    } catch (const std::runtime_error& blad) {
        throw BrakStronyKodowej{blad.what()};
    }
    std::string wynik;
    try {
        przekaz([&](std::string_view kawalek) {
            wynik.clear();
            konwersja->dopisz(kawalek, wynik);
            wyjscie.zapisz(wynik, postep);
            wynik.clear();
        });
        konwersja->zakoncz();
    } catch (const engine::NieprzekonwertowanyZnak& stop) {
        // What came before the stop, as iconv leaves it; an uncommitted file is dropped anyway.
        wyjscie.zapisz(wynik, postep);
        throw ZatrzymanaKonwersja{stop, zrodlo, przesuniecie};
    }
}

// The letters, counting what passes them that the target cannot hold; ends the conversion.
template <typename Czytanie>
engine::NieLitery przepiszLitery(Czytanie przepisz, PlikWyjsciowy& wyjscie, int zrodlo, int cel,
                                 const std::string& podstawa, engine::Postep& postep)
{
    engine::KonwersjaBlokowa konwersja(zrodlo, cel);
    engine::NieLitery nieLitery = [&] {
        try {
            return engine::NieLitery(zrodlo, cel, podstawa);
        } catch (const std::runtime_error& blad) {
            throw BrakStronyKodowej{blad.what()};
        }
    }();
    przepisz(konwersja, nieLitery);
    // The last bytes of a letter cut at the end of the text wait in the conversion.
    wyjscie.zapisz(konwersja.zakoncz(), postep);
    return nieLitery;
}

}  // namespace

WynikKonwersji KonwertujOtwarte(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie,
                                const UstawieniaKonwersji& ustawienia, engine::Postep& postep)
{
    const int cel = ustawienia.cel;
    if (ustawienia.zrodlo) {
        const int zrodlo = *ustawienia.zrodlo;
        WynikKonwersji wynik{zrodlo, {}, {}, {}, {}, 0};
        if (ustawienia.wszystkieZnaki) {
            przepiszWszystkieZnaki([&](const auto& dalej) { CzytajDoKonca(wejscie, dalej, postep); }, wyjscie,
                                   zrodlo, cel, ustawienia.podstawa, 0, postep);
            return wynik;
        }
        wynik.nieLitery = przepiszLitery(
            [&](engine::KonwersjaBlokowa& konwersja, engine::NieLitery& nieLitery) {
                Przepisz(wejscie, wyjscie, konwersja, postep, &nieLitery);
            },
            wyjscie, zrodlo, cel, ustawienia.podstawa, postep);
        return wynik;
    }

    RozpoznanyPoczatek poczatek(wejscie, &wyjscie, postep);
    WynikKonwersji wynik{cel, poczatek.rozpoznanie(),       poczatek.tylkoAscii(), false,
                         {},  poczatek.przepisaneBezZmian()};
    // From the target to itself nothing changes, as a text without letters asks.
    if (!wynik.bezLiter()) {
        wynik.zrodlo = wynik.rozpoznanie->standard();
    }
    if (ustawienia.wszystkieZnaki && !wynik.bezLiter()) {
        if (engine::KonwertujeWszystkieZnaki(wynik.zrodlo, cel, !ustawienia.podstawa.empty())) {
            przepiszWszystkieZnaki([&](const auto& dalej) { poczatek.przekaz(dalej, postep); }, wyjscie,
                                   wynik.zrodlo, cel, ustawienia.podstawa, wynik.przesuniecie, postep);
            return wynik;
        }
        wynik.tylkoLitery = true;
    }
    wynik.nieLitery = przepiszLitery(
        [&](engine::KonwersjaBlokowa& konwersja, engine::NieLitery& nieLitery) {
            poczatek.przepisz(konwersja, postep, &nieLitery);
        },
        wyjscie, wynik.zrodlo, cel, ustawienia.podstawa, postep);
    return wynik;
}

KonwersjaDoPliku::KonwersjaDoPliku(std::string nazwaWyjscia, const UstawieniaKonwersji& ustawienia,
                                   engine::Postep& postep)
    : nazwaWyjscia_(std::move(nazwaWyjscia)), ustawienia_(ustawienia), postep_(postep)
{
}

WynikKonwersji KonwersjaDoPliku::dodaj(const std::string& nazwaWejscia,
                                       const std::function<void()>& przedUtworzeniemWyjscia,
                                       const std::optional<ZnanyPlik>& znany)
{
    std::optional<PlikWejsciowy> wejscie;
    if (znany) {
        wejscie.emplace(nazwaWejscia, *znany);
    } else {
        wejscie.emplace(nazwaWejscia);
    }
    if (wejscie->jestTymSamymPlikiem(nazwaWyjscia_)) {
        throw WejscieJestWyjsciem{};
    }
    if (!wyjscie_) {
        if (przedUtworzeniemWyjscia) {
            przedUtworzeniemWyjscia();
        }
        wyjscie_.emplace(nazwaWyjscia_, postep_, wejscie->prawa());
    }
    WynikKonwersji wynik = KonwertujOtwarte(*wejscie, *wyjscie_, ustawienia_, postep_);
    wejscie->zamknij();
    return wynik;
}

void KonwersjaDoPliku::zatwierdz()
{
    if (!wyjscie_) {
        // No input: an empty text.
        wyjscie_.emplace(nazwaWyjscia_, postep_);
    }
    postep_.przedZatwierdzeniem();
    wyjscie_->zatwierdz();
}

WynikKonwersji KonwertujPlik(const std::string& nazwaWejscia, const std::string& nazwaWyjscia,
                             const UstawieniaKonwersji& ustawienia, engine::Postep& postep,
                             const std::function<void()>& przedUtworzeniemWyjscia)
{
    KonwersjaDoPliku konwersja(nazwaWyjscia, ustawienia, postep);
    WynikKonwersji wynik = konwersja.dodaj(nazwaWejscia, przedUtworzeniemWyjscia);
    konwersja.zatwierdz();
    return wynik;
}

}  // namespace pliki
