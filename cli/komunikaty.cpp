#include "cli/komunikaty.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "engine/standardy.h"
#include "engine/strona.h"
#include "engine/utf8.h"
#include "engine/wszystkie_znaki.h"
#include "pliki/opis_bledu.h"
#include "pliki/wyjscie.h"

namespace cli {

namespace {
std::string bezSterujacych(std::string_view nazwa, bool zUkosnikiem);
}  // namespace

void wypiszBlad(const std::string& komunikat)
{
    const std::string linia = "znakomat-cli: " + komunikat + "\n";
    std::fwrite(linia.data(), 1, linia.size(), stderr);
}

std::string cudzyslow(std::string_view tekst)
{
    return "„" + bezSterujacych(tekst, false) + "”";
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

// What passed unchanged although the target reads it otherwise, in one line; empty when
// nothing did. `przesuniecie`: bytes of the text before the first piece the count saw.
std::string ostrzezenie(const engine::NieLitery& nieLitery, const std::string& nazwaWejscia, int zrodlo,
                        int cel, bool zPodstawa, std::uint64_t przesuniecie)
{
    if (nieLitery.ile() == 0) {
        return {};
    }
    const std::string gdzie = "na pozycji " + std::to_string(przesuniecie + nieLitery.pierwszy()) +
                              (nazwaWejscia == "-" ? " wejścia" : " pliku " + cudzyslow(nazwaWejscia)) +
                              ", licząc od 0";
    const std::string liczba = "liczba: " + std::to_string(nieLitery.ile());
    const std::string rada =
        engine::KonwertujeWszystkieZnaki(zrodlo, cel, zPodstawa)
            ? "; sprawdź standard źródłowy albo przekonwertuj cały tekst opcją -a (--all-characters)"
            : "; sprawdź standard źródłowy albo przekonwertuj cały tekst opcją -a z -b (--base), stroną "
              "kodową "
              "bajtów innych niż litery, np. -a -b CP437";
    using Rodzaj = engine::NieLitery::Rodzaj;
    if (nieLitery.rodzaj() == Rodzaj::BajtyWUtf8 || nieLitery.rodzaj() == Rodzaj::InneZnaki) {
        std::array<char, 3> szesnastkowo{};
        std::snprintf(szesnastkowo.data(), szesnastkowo.size(), "%02X", nieLitery.pierwszyBajt());
        const std::string co =
            nieLitery.rodzaj() == Rodzaj::BajtyWUtf8
                ? "uwaga: wynik nie jest poprawnym tekstem UTF-8: bajty od 80 (szesnastkowo) w "
                  "górę, które nie są literami standardu " +
                      nazwaStandardu(zrodlo) + ", zostały bez zmian"
                : "uwaga: bajty (szesnastkowo), które nie są literami, znaczą w standardzie " +
                      nazwaStandardu(cel) + " co innego niż w " + nazwaStandardu(zrodlo) +
                      ", a zostały bez zmian";
        return co + " (" + liczba + ", pierwszy to " + szesnastkowo.data() + " " + gdzie + ")" + rada;
    }
    return "uwaga: wynik nie jest czystym tekstem standardu " + nazwaStandardu(cel) +
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
    return std::string(engine::Standardy(standard).Nazwa);
}

std::string listaNazw(std::span<const int> standardy, std::string_view oddzielone)
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

namespace {

// Whether a terminal or the text around would act on the character rather than show it:
// the C1 controls, the marks, embeddings, overrides and isolates that turn the direction of
// the text around them, and the line and paragraph separators.
bool dzialaNaTerminal(char32_t kod)
{
    return (kod >= 0x80 && kod <= 0x9F) || kod == 0x061C || kod == 0x200E || kod == 0x200F ||
           (kod >= 0x2028 && kod <= 0x202E) || (kod >= 0x2066 && kod <= 0x2069);
}

// Control characters, which a terminal would act on, as escapes of their bytes: those of
// ASCII, those above that dzialaNaTerminal names in UTF-8, and bytes from 80 to 9F that
// are no part of UTF-8, which an 8-bit terminal takes for C1 controls. `zUkosnikiem`: the
// backslash too, so the name reads back.
std::string bezSterujacych(std::string_view nazwa, bool zUkosnikiem)
{
    std::string wynik;
    const auto szesnastkowo = [&wynik](unsigned char bajt) {
        std::array<char, 5> zapis{};
        std::snprintf(zapis.data(), zapis.size(), "\\x%02X", bajt);
        wynik += zapis.data();
    };
    for (std::size_t i = 0; i < nazwa.size();) {
        const auto bajt = static_cast<unsigned char>(nazwa[i]);
        char32_t kod = 0;
        const int dlugosc = bajt < 0x80 ? 1 : engine::ZnakUtf8(nazwa.substr(i), kod);
        if (bajt == '\\' && zUkosnikiem) {
            wynik += "\\\\";
        } else if (bajt == '\t') {
            wynik += "\\t";
        } else if (bajt == '\n') {
            wynik += "\\n";
        } else if (bajt == '\r') {
            wynik += "\\r";
        } else if (bajt < 0x20 || bajt == 0x7F || (dlugosc <= 0 && bajt <= 0x9F)) {
            szesnastkowo(bajt);
        } else if (dlugosc > 1 && dzialaNaTerminal(kod)) {
            for (int k = 0; k < dlugosc; ++k) {
                szesnastkowo(static_cast<unsigned char>(nazwa[i + static_cast<std::size_t>(k)]));
            }
        } else {
            wynik.append(nazwa.substr(i, static_cast<std::size_t>(std::max(dlugosc, 1))));
        }
        i += static_cast<std::size_t>(std::max(dlugosc, 1));
    }
    return wynik;
}

}  // namespace

// A file name on a line of its own that scripts split at tabs: the backslash, the tab, the
// line breaks and the other control characters as escapes.
std::string wJednymWierszu(std::string_view nazwa)
{
    return bezSterujacych(nazwa, true);
}

std::string opisZatrzymania(const pliki::ZatrzymanaKonwersja& zatrzymana, const std::string& nazwaWejscia,
                            int cel)
{
    const std::string co = nazwaWejscia == "-" ? "standardowego wejścia" : "pliku " + cudzyslow(nazwaWejscia);
    return "nie mogę przekonwertować całego tekstu " + co + ": " + pliki::OpisZatrzymania(zatrzymana, cel);
}

}  // namespace cli
