// znakomat-cli: the conversion of the window for scripts and machines without a display.

#include <fcntl.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "opis_bledu.h"
#include "przepisz.h"
#include "standardy.h"
#include "sygnaly.h"

namespace {

constexpr int KONIEC_DOBRZE = 0;
constexpr int KONIEC_BLAD_KONWERSJI = 1;
constexpr int KONIEC_ZLE_UZYCIE = 2;

constexpr std::string_view POMOC =
    "Użycie: znakomat-cli -f ŹRÓDŁO -t CEL [-o WYJŚCIE] [WEJŚCIE]\n"
    "        znakomat-cli -l | -h\n"
    "\n"
    "Zamienia polskie litery tekstu (Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż) ze standardu\n"
    "ŹRÓDŁO na standard CEL; wszystkie inne bajty przepisuje bez zmian. Czyta plik\n"
    "WEJŚCIE, a gdy go nie podano albo podano „-”, standardowe wejście. Pisze do pliku\n"
    "WYJŚCIE albo na standardowe wyjście. Plik wyjściowy jest zastępowany dopiero po\n"
    "zapisaniu całości, więc błąd nigdy nie zostawia go w połowie.\n"
    "\n"
    "  -f ŹRÓDŁO   standard tekstu wejściowego\n"
    "  -t CEL      standard tekstu wyjściowego\n"
    "  -o WYJŚCIE  plik wyjściowy, inny niż wejściowy\n"
    "  -l          wypisuje nazwy osiemnastu standardów\n"
    "  -h          wyświetla ten opis\n"
    "\n"
    "Nazwy standardów są takie jak w -l; wielkość liter nie ma znaczenia.\n"
    "\n"
    "Przykłady:\n"
    "  znakomat-cli -f Mazovia -t UTF-8 -o list.txt list-dos.txt\n"
    "  cat stary.txt | znakomat-cli -f windows-ee -t iso-latin-2 > nowy.txt\n"
    "\n"
    "Kod wyjścia: 0 gotowe, 1 błąd odczytu lub zapisu, 2 błędne użycie.\n";

struct ZleUzycie {
    std::string komunikat;
};

struct Ustawienia {
    std::optional<std::string> zrodlo;
    std::optional<std::string> cel;
    std::string wyjscie = "-";
    std::optional<std::string> wejscie;
    bool lista = false;
    bool pomoc = false;
};

void wypiszBlad(const std::string& komunikat)
{
    const std::string linia = "znakomat-cli: " + komunikat + "\n";
    std::fwrite(linia.data(), 1, linia.size(), stderr);
}

std::string cudzyslow(std::string_view tekst)
{
    return "„" + std::string(tekst) + "”";
}

Ustawienia czytajArgumenty(int argc, char** argv)
{
    Ustawienia ustawienia;
    bool koniecOpcji = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (koniecOpcji || argument == "-" || !argument.starts_with('-')) {
            if (ustawienia.wejscie) {
                throw ZleUzycie{"podano więcej niż jeden plik wejściowy: " + cudzyslow(*ustawienia.wejscie) +
                                " i " + cudzyslow(argument)};
            }
            ustawienia.wejscie = argument;
        } else if (argument == "--") {
            koniecOpcji = true;
        } else if (argument == "-h" || argument == "--help") {
            ustawienia.pomoc = true;
        } else if (argument == "-l") {
            ustawienia.lista = true;
        } else if (argument[1] == 'f' || argument[1] == 'o' || argument[1] == 't') {
            // The value follows the letter (-fUTF-8) or comes as the next argument.
            std::string wartosc(argument.substr(2));
            if (wartosc.empty()) {
                if (i + 1 == argc) {
                    throw ZleUzycie{"opcja " + std::string(argument) + " wymaga wartości"};
                }
                wartosc = argv[++i];
            }
            if (argument[1] == 'f') {
                ustawienia.zrodlo = wartosc;
            } else if (argument[1] == 't') {
                ustawienia.cel = wartosc;
            } else {
                ustawienia.wyjscie = wartosc;
            }
        } else {
            throw ZleUzycie{"nieznana opcja " + cudzyslow(argument) + "; opis: znakomat-cli -h"};
        }
    }
    // An empty name would read as a standard stream in the messages.
    if (ustawienia.wyjscie.empty() || ustawienia.wejscie == "") {
        throw ZleUzycie{"pusta nazwa pliku"};
    }
    return ustawienia;
}

char malaLitera(char znak)
{
    return znak >= 'A' && znak <= 'Z' ? static_cast<char>(znak - 'A' + 'a') : znak;
}

int indeksStandardu(std::string_view nazwa)
{
    for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
        const std::string_view wzor = znakomat::Standardy(i).Nazwa;
        bool rowne = wzor.size() == nazwa.size();
        for (std::size_t k = 0; rowne && k < wzor.size(); ++k) {
            rowne = malaLitera(wzor[k]) == malaLitera(nazwa[k]);
        }
        if (rowne) {
            return i;
        }
    }
    std::string nazwy;
    for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
        nazwy += (i == 0 ? "" : ", ") + std::string(znakomat::Standardy(i).Nazwa);
    }
    throw ZleUzycie{"nieznany standard " + cudzyslow(nazwa) + "; dostępne: " + nazwy};
}

// Descriptors 0, 1 and 2 closed by the caller would go to the first files opened: the
// input could become the output. Any use of such a stream fails instead.
void zajmijStandardoweStrumienie()
{
    for (int deskryptor = STDIN_FILENO; deskryptor <= STDERR_FILENO; ++deskryptor) {
        if (::fcntl(deskryptor, F_GETFD) < 0) {
            ::open("/dev/null", deskryptor == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        }
    }
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

// Writes a fixed text to standard output, as -l and -h do.
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

int konwertuj(const std::string& nazwaWejscia, const std::string& nazwaWyjscia, int zrodlo, int cel)
{
    pliki::PlikWejsciowy wejscie(nazwaWejscia);
    if (wejscie.jestTymSamymPlikiem(nazwaWyjscia)) {
        const std::string wyjscie =
            nazwaWyjscia == "-" ? "standardowe wyjście" : "plik wyjściowy " + cudzyslow(nazwaWyjscia);
        const std::string wejscie =
            nazwaWejscia == "-" ? "standardowe wejście" : "plik wejściowy " + cudzyslow(nazwaWejscia);
        throw ZleUzycie{wyjscie + " to ten sam plik co " + wejscie};
    }
    pliki::PlikWyjsciowy wyjscie(nazwaWyjscia);
    znakomat::KonwersjaBlokowa konwersja(zrodlo, cel);
    pliki::Przepisz(wejscie, wyjscie, konwersja);
    wyjscie.zapisz(konwersja.zakoncz());
    wyjscie.zatwierdz();
    return KONIEC_DOBRZE;
}

}  // namespace

int main(int argc, char** argv)
{
#if defined(__GLIBC__)
    // A piece and its result come and go for every block: kept in the heap, their memory
    // is reused instead of being mapped and faulted in afresh each time.
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
#endif
    zajmijStandardoweStrumienie();
    try {
        const Ustawienia ustawienia = czytajArgumenty(argc, argv);
        if (ustawienia.pomoc) {
            return wypisz(POMOC);
        }
        if (ustawienia.lista) {
            std::string nazwy;
            for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
                nazwy += std::string(znakomat::Standardy(i).Nazwa) + "\n";
            }
            return wypisz(nazwy);
        }
        if (!ustawienia.zrodlo) {
            throw ZleUzycie{"brak standardu źródłowego (-f); opis: znakomat-cli -h"};
        }
        if (!ustawienia.cel) {
            throw ZleUzycie{"brak standardu docelowego (-t); opis: znakomat-cli -h"};
        }
        const int zrodlo = indeksStandardu(*ustawienia.zrodlo);
        const int cel = indeksStandardu(*ustawienia.cel);
        pliki::PrzygotujSygnaly();
        return konwertuj(ustawienia.wejscie.value_or("-"), ustawienia.wyjscie, zrodlo, cel);
    } catch (const ZleUzycie& blad) {
        wypiszBlad(blad.komunikat);
        return KONIEC_ZLE_UZYCIE;
    } catch (const pliki::BladPliku& blad) {
        wypiszBlad(opisBleduPliku(blad));
        return KONIEC_BLAD_KONWERSJI;
    } catch (const std::bad_alloc&) {
        wypiszBlad("za mało pamięci");
        return KONIEC_BLAD_KONWERSJI;
    }
}
