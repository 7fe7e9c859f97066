#include "pliki/konwersja_pliku.h"

#include <stdexcept>
#include <string_view>
#include <utility>

#include "engine/strona.h"
#include "engine/strumien.h"
#include "pliki/konwerter.h"
#include "pliki/przepisz.h"
#include "pliki/rozpoznany_poczatek.h"
#include "pliki/zrodlo.h"

namespace pliki {

namespace {

// The converter a text from `zrodlo` takes: every character, or the letters, counting what
// passes them unchanged that the target cannot hold.
class WybranyKonwerter {
public:
    WybranyKonwerter(int zrodlo, int cel, bool wszystkieZnaki, const std::string& podstawa)
    {
        try {
            if (wszystkieZnaki) {
                konwerter_ = &wszystkie_.emplace(zrodlo, cel, podstawa);
                return;
            }
            engine::KonwersjaBlokowa& konwersja = litery_.emplace(zrodlo, cel);
            konwerter_ = &konwerterLiter_.emplace(konwersja, &nieLitery_.emplace(zrodlo, cel, podstawa));
        } catch (const std::runtime_error& blad) {
            throw BrakStronyKodowej{blad.what()};
        }
    }

    Konwerter& konwerter() { return *konwerter_; }
    const std::optional<engine::NieLitery>& nieLitery() const { return nieLitery_; }

private:
    std::optional<KonwerterWszystkichZnakow> wszystkie_;
    std::optional<engine::KonwersjaBlokowa> litery_;
    std::optional<engine::NieLitery> nieLitery_;
    std::optional<KonwerterLiter> konwerterLiter_;
    Konwerter* konwerter_ = nullptr;
};

// Converts the rest of what `przepis` takes; a conversion of every character that stops
// says where in the text.
void dokoncz(Przepis& przepis, WybranyKonwerter& wybrany, WynikKonwersji& wynik)
{
    try {
        przepis.konwertuj(wybrany.konwerter());
    } catch (const engine::NieprzekonwertowanyZnak& stop) {
        throw ZatrzymanaKonwersja{stop, wynik.zrodlo, wynik.przesuniecie};
    }
    wynik.nieLitery = wybrany.nieLitery();
}

}  // namespace

WynikKonwersji KonwertujOtwarte(PlikWejsciowy& wejscie, PlikWyjsciowy& wyjscie,
                                const UstawieniaKonwersji& ustawienia, engine::Postep& postep)
{
    const int cel = ustawienia.cel;
    if (ustawienia.zrodlo) {
        WynikKonwersji wynik{*ustawienia.zrodlo, {}, {}, {}, {}, 0};
        // Chosen before the input is read, which a missing code page leaves untouched.
        WybranyKonwerter wybrany(wynik.zrodlo, cel, ustawienia.wszystkieZnaki, ustawienia.podstawa);
        ZrodloWejscia zrodlo(wejscie);
        Przepis przepis(zrodlo, wyjscie, postep);
        dokoncz(przepis, wybrany, wynik);
        return wynik;
    }

    RozpoznanyPoczatek poczatek(wejscie);
    Przepis przepis(poczatek, wyjscie, postep);
    przepis.doWerdyktu();
    WynikKonwersji wynik{cel, poczatek.rozpoznanie(),       poczatek.tylkoAscii(), false,
                         {},  poczatek.przepisaneBezZmian()};
    // From the target to itself nothing changes, as a text without letters asks.
    if (!wynik.bezLiter()) {
        wynik.zrodlo = wynik.rozpoznanie->standard();
    }
    bool wszystkieZnaki = ustawienia.wszystkieZnaki && !wynik.bezLiter();
    if (wszystkieZnaki &&
        !engine::KonwertujeWszystkieZnaki(wynik.zrodlo, cel, !ustawienia.podstawa.empty())) {
        wszystkieZnaki = false;
        wynik.tylkoLitery = true;
    }
    WybranyKonwerter wybrany(wynik.zrodlo, cel, wszystkieZnaki, ustawienia.podstawa);
    dokoncz(przepis, wybrany, wynik);
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
