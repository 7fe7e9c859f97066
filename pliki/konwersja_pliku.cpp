#include "pliki/konwersja_pliku.h"

#include <stdexcept>
#include <string_view>
#include <utility>

#include "engine/strumien.h"
#include "pliki/przepisz.h"
#include "pliki/rozpoznany_poczatek.h"

namespace pliki {

namespace {

using Przekaz = std::function<void(const std::function<void(std::string_view)>&)>;

// Every character of the pieces `przekaz` hands over, from `zrodlo` to `cel`, as iconv
// converts them. `przesuniecie` is where the first of them lies in the text.
void przepiszWszystkieZnaki(const Przekaz& przekaz, PlikWyjsciowy& wyjscie, int zrodlo, int cel,
                            std::uint64_t przesuniecie, znakomat::Postep& nadzor)
{
    std::optional<znakomat::KonwersjaWszystkichZnakow> konwersja;
    try {
        konwersja.emplace(zrodlo, cel);
    } catch (const std::runtime_error& blad) {
        throw BrakStronyKodowej{blad.what()};
    }
    std::string wynik;
    try {
        przekaz([&](std::string_view kawalek) {
            wynik.clear();
            konwersja->dopisz(kawalek, wynik);
            wyjscie.zapisz(wynik, nadzor);
            wynik.clear();
        });
        konwersja->zakoncz();
    } catch (const znakomat::NieprzekonwertowanyZnak& stop) {
        // What came before the stop, as iconv leaves it; an uncommitted file is dropped anyway.
        wyjscie.zapisz(wynik, nadzor);
        throw ZatrzymanaKonwersja{stop, zrodlo, przesuniecie};
    }
}

// The letters, counting what passes them that the target cannot hold; ends the conversion.
template <typename Czytanie>
znakomat::NieLitery przepiszLitery(Czytanie przepisz, PlikWyjsciowy& wyjscie, int zrodlo, int cel,
                                   znakomat::Postep& nadzor)
{
    znakomat::KonwersjaBlokowa konwersja(zrodlo, cel);
    znakomat::NieLitery nieLitery(zrodlo, cel);
    przepisz(konwersja, nieLitery);
    // The last bytes of a letter cut at the end of the text wait in the conversion.
    wyjscie.zapisz(konwersja.zakoncz(), nadzor);
    return nieLitery;
}

}  // namespace

WynikKonwersji KonwertujOtwarte(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie,
                                const UstawieniaKonwersji& ustawienia, znakomat::Postep& nadzor)
{
    const int cel = ustawienia.cel;
    if (ustawienia.zrodlo) {
        const int zrodlo = *ustawienia.zrodlo;
        WynikKonwersji wynik{zrodlo, {}, {}, {}, {}, 0};
        if (ustawienia.wszystkieZnaki) {
            przepiszWszystkieZnaki([&](const auto& dalej) { CzytajDoKonca(wejscie, dalej, nadzor); }, wyjscie,
                                   zrodlo, cel, 0, nadzor);
            return wynik;
        }
        wynik.nieLitery = przepiszLitery(
            [&](znakomat::KonwersjaBlokowa& konwersja, znakomat::NieLitery& nieLitery) {
                Przepisz(wejscie, wyjscie, konwersja, nadzor, &nieLitery);
            },
            wyjscie, zrodlo, cel, nadzor);
        return wynik;
    }

    RozpoznanyPoczatek poczatek(wejscie, &wyjscie, nadzor);
    WynikKonwersji wynik{cel, poczatek.rozpoznanie(),       poczatek.tylkoAscii(), false,
                         {},  poczatek.przepisaneBezZmian()};
    // From the target to itself nothing changes, as a text without letters asks.
    if (!wynik.bezLiter()) {
        wynik.zrodlo = wynik.rozpoznanie->standard();
    }
    if (ustawienia.wszystkieZnaki && !wynik.bezLiter()) {
        if (znakomat::JestStronaKodowa(wynik.zrodlo)) {
            przepiszWszystkieZnaki([&](const auto& dalej) { poczatek.przekaz(dalej, nadzor); }, wyjscie,
                                   wynik.zrodlo, cel, wynik.przesuniecie, nadzor);
            return wynik;
        }
        wynik.tylkoLitery = true;
    }
    wynik.nieLitery = przepiszLitery(
        [&](znakomat::KonwersjaBlokowa& konwersja, znakomat::NieLitery& nieLitery) {
            poczatek.przepisz(konwersja, nadzor, &nieLitery);
        },
        wyjscie, wynik.zrodlo, cel, nadzor);
    return wynik;
}

KonwersjaDoPliku::KonwersjaDoPliku(std::string nazwaWyjscia, const UstawieniaKonwersji& ustawienia,
                                   znakomat::Postep& nadzor)
    : nazwaWyjscia_(std::move(nazwaWyjscia)), ustawienia_(ustawienia), nadzor_(nadzor)
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
        wyjscie_.emplace(nazwaWyjscia_, nadzor_, wejscie->prawa());
    }
    WynikKonwersji wynik = KonwertujOtwarte(*wejscie, *wyjscie_, ustawienia_, nadzor_);
    wejscie->zamknij();
    return wynik;
}

void KonwersjaDoPliku::zatwierdz()
{
    if (!wyjscie_) {
        // No input: an empty text.
        wyjscie_.emplace(nazwaWyjscia_, nadzor_);
    }
    nadzor_.przedZatwierdzeniem();
    wyjscie_->zatwierdz();
}

WynikKonwersji KonwertujPlik(const std::string& nazwaWejscia, const std::string& nazwaWyjscia,
                             const UstawieniaKonwersji& ustawienia, znakomat::Postep& nadzor,
                             const std::function<void()>& przedUtworzeniemWyjscia)
{
    KonwersjaDoPliku konwersja(nazwaWyjscia, ustawienia, nadzor);
    WynikKonwersji wynik = konwersja.dodaj(nazwaWejscia, przedUtworzeniemWyjscia);
    konwersja.zatwierdz();
    return wynik;
}

}  // namespace pliki
