#include "cli/konwersja.h"

#include "cli/komunikaty.h"
#include "cli/strumienie.h"
#include "cli/uzycie.h"

namespace cli {

WynikWejscia konwertujWejscie(const std::function<pliki::WynikKonwersji()>& konwersja,
                              const std::string& nazwaWejscia, const std::string& nazwaWyjscia,
                              const Zadanie& zadanie)
{
    const int cel = zadanie.cel;
    const pliki::WynikKonwersji wynik = [&] {
        try {
            return konwersja();
        } catch (const pliki::WejscieJestWyjsciem&) {
            throw tenSamPlik(nazwaWejscia, nazwaWyjscia);
        } catch (const pliki::BrakStronyKodowej& brak) {
            throw BladKonwersji{"nie mogę przekonwertować całego tekstu: " + brak.powod};
        } catch (const pliki::ZatrzymanaKonwersja& stop) {
            throw BladKonwersji{opisZatrzymania(stop, nazwaWejscia, cel)};
        }
    }();
    WynikWejscia wynikWejscia{wynik.zrodlo, wynik.bezLiter(), {}};
    if (wynik.rozpoznanie && wynik.rozpoznanie->werdykt == engine::Werdykt::Niejednoznaczny) {
        wynikWejscia.uwagi.push_back(opisWejscia(nazwaWejscia) + ": standard rozpoznany niepewnie: wybrany " +
                                     nazwaStandardu(wynik.zrodlo) +
                                     ", bliskie: " + listaNazw(wynik.rozpoznanie->bliskie, ", "));
    } else if (wynik.bezLiter() && !wynik.tylkoAscii) {
        wynikWejscia.uwagi.push_back(opisWejscia(nazwaWejscia) +
                                     ": nie rozpoznano polskich liter, tekst przepisany bez zmian");
    }
    if (wynik.tylkoLitery) {
        wynikWejscia.uwagi.push_back(opisWejscia(nazwaWejscia) + ": rozpoznany standard " +
                                     nazwaStandardu(wynik.zrodlo) +
                                     " nie ma własnej strony kodowej, więc zamienione są tylko litery; "
                                     "stronę kodową pozostałych bajtów podaje opcja -b (--base)");
    }
    if (wynik.nieLitery) {
        wynikWejscia.uwagi.push_back(ostrzezenie(*wynik.nieLitery, nazwaWejscia, wynik.zrodlo, cel,
                                                 !zadanie.podstawa.empty(), wynik.przesuniecie));
    }
    return wynikWejscia;
}

// Each input is a text of its own, converted onto the one output in turn. The output is
// created once the first input is open, and is complete only when all of them are.
int konwertuj(const std::vector<std::string>& wejscia, const std::string& nazwaWyjscia,
              const Zadanie& zadanie)
{
    pliki::KonwersjaDoPliku wyjscie(nazwaWyjscia, zadanie);
    std::vector<std::string> uwagi;
    for (const std::string& nazwaWejscia : wejscia) {
        const WynikWejscia wynikWejscia = konwertujWejscie([&] { return wyjscie.dodaj(nazwaWejscia); },
                                                           nazwaWejscia, nazwaWyjscia, zadanie);
        uwagi.insert(uwagi.end(), wynikWejscia.uwagi.begin(), wynikWejscia.uwagi.end());
    }
    wyjscie.zatwierdz();
    wypiszUwagi(uwagi);
    return KONIEC_DOBRZE;
}

}  // namespace cli
