#include "cli/komunikaty.h"

#include <array>
#include <cstdio>

#include "cli/uzycie.h"
#include "engine/standardy.h"
#include "pliki/opis_bledu.h"
#include "pliki/wyjscie.h"

namespace cli {

void wypiszBlad(const std::string& komunikat)
{
    const std::string linia = "znakomat-cli: " + komunikat + "\n";
    std::fwrite(linia.data(), 1, linia.size(), stderr);
}

std::string cudzyslow(std::string_view tekst)
{
    return "„" + std::string(tekst) + "”";
}

std::string opisBleduPliku(const pliki::BladPliku& blad)
{
    std::string co;
    if (blad.czynnosc == pliki::BladPliku::Odczyt) {
        co = blad.nazwa.empty() ? "standardowego wejścia" : "pliku " + cudzyslow(blad.nazwa);
        return "nie mogę odczytać " + co + ": " + pliki::OpisBledu(blad.numer);
    }
    co = blad.nazwa.empty() ? "na standardowe wyjście" : "pliku " + cudzyslow(blad.nazwa);
    return "nie mogę zapisać " + co + ": " + pliki::OpisBledu(blad.numer);
}

// What passed unchanged although the target cannot hold it, in one line; empty when nothing did.
// `przesuniecie`: bytes of the text before the first piece the count saw.
std::string ostrzezenie(const znakomat::NieLitery& nieLitery, const std::string& nazwaWejscia, int zrodlo,
                        int cel, std::uint64_t przesuniecie)
{
    if (nieLitery.ile() == 0) {
        return {};
    }
    const std::string gdzie = "na pozycji " + std::to_string(przesuniecie + nieLitery.pierwszy()) +
                              (nazwaWejscia == "-" ? " wejścia" : " pliku " + cudzyslow(nazwaWejscia)) +
                              ", licząc od 0";
    const std::string liczba = "liczba: " + std::to_string(nieLitery.ile());
    const std::string rada = "; sprawdź standard źródłowy, a inne znaki zamień np. programem iconv";
    if (nieLitery.rodzaj() == znakomat::NieLitery::Rodzaj::BajtyWUtf8) {
        std::array<char, 3> szesnastkowo{};
        std::snprintf(szesnastkowo.data(), szesnastkowo.size(), "%02X", nieLitery.pierwszyBajt());
        return "uwaga: wynik nie jest poprawnym tekstem UTF-8: bajty od 80 (szesnastkowo) w górę, które nie "
               "są "
               "literami standardu " +
               std::string(znakomat::Standardy(zrodlo).Nazwa) + ", zostały bez zmian (" + liczba +
               ", pierwszy to " + szesnastkowo.data() + " " + gdzie + ")" + rada;
    }
    return "uwaga: wynik nie jest czystym tekstem standardu " + std::string(znakomat::Standardy(cel).Nazwa) +
           ": znaki UTF-8 inne niż polskie litery zostały w nim jako ciągi kilku bajtów (" + liczba +
           ", pierwszy " + gdzie + ")" + rada;
}

int wypisz(std::string_view tekst)
{
    try {
        pliki::PlikWyjsciowy wyjscie("-");
        wyjscie.zapisz(tekst);
        wyjscie.zatwierdz();
    } catch (const pliki::BladPliku& blad) {
        wypiszBlad(opisBleduPliku(blad));
        return KONIEC_BLAD_KONWERSJI;
    }
    return KONIEC_DOBRZE;
}

std::string opisWejscia(const std::string& nazwa)
{
    return nazwa == "-" ? "standardowe wejście" : "plik " + cudzyslow(nazwa);
}

std::string nazwaStandardu(int standard)
{
    return std::string(znakomat::Standardy(standard).Nazwa);
}

std::string listaNazw(const std::vector<int>& standardy, std::string_view oddzielone)
{
    std::string lista;
    for (const int standard : standardy) {
        lista += (lista.empty() ? "" : std::string(oddzielone)) + nazwaStandardu(standard);
    }
    return lista;
}

void wypiszUwagi(const std::vector<std::string>& uwagi)
{
    for (const std::string& uwaga : uwagi) {
        if (!uwaga.empty()) {
            wypiszBlad(uwaga);
        }
    }
}

// A file name on a line of its own that scripts split at tabs: the backslash, the tab and
// the line breaks, which would break that, as escapes.
std::string wJednymWierszu(std::string_view nazwa)
{
    std::string wynik;
    for (const char znak : nazwa) {
        switch (znak) {
            case '\\':
                wynik += "\\\\";
                break;
            case '\t':
                wynik += "\\t";
                break;
            case '\n':
                wynik += "\\n";
                break;
            case '\r':
                wynik += "\\r";
                break;
            default:
                wynik += znak;
        }
    }
    return wynik;
}

}  // namespace cli
