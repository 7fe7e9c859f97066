#include "cli/uzycie.h"

#include <getopt.h>

#include <algorithm>
#include <array>

#include "cli/komunikaty.h"

namespace cli {

namespace {

constexpr std::array<option, 9> DLUGIE_OPCJE = {{
    {"from-code", required_argument, nullptr, 'f'},
    {"to-code", required_argument, nullptr, 't'},
    {"output", required_argument, nullptr, 'o'},
    {"katalog", required_argument, nullptr, 'd'},
    {"rozpoznaj", no_argument, nullptr, 'r'},
    {"list", no_argument, nullptr, 'l'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
}};

// A value that wins silently over an earlier one hides a mistake in a script.
void ustawRaz(std::optional<std::string>& pole, int litera, const char* wartosc)
{
    if (pole) {
        const auto opcja = std::find_if(DLUGIE_OPCJE.begin(), DLUGIE_OPCJE.end(),
                                        [litera](const option& o) { return o.val == litera; });
        throw ZleUzycie{"opcja -" + std::string(1, static_cast<char>(litera)) + " (--" + opcja->name +
                        ") podana więcej niż raz"};
    }
    pole = wartosc;
}

// The long option getopt_long stopped at, as the user wrote it, without its value.
std::string dlugaOpcja(char** argv)
{
    const std::string_view argument = argv[optind - 1];
    return std::string(argument.substr(0, argument.find('=')));
}

ZleUzycie brakWartosci(char** argv)
{
    const bool dluga = std::string_view(argv[optind - 1]).starts_with("--");
    return {"opcja " + (dluga ? dlugaOpcja(argv) : "-" + std::string(1, static_cast<char>(optopt))) +
            " wymaga wartości"};
}

ZleUzycie zlaOpcja(char** argv)
{
    // A long option is reported with no letter, or with its own when given a value it takes none.
    if (optopt != 0 &&
        std::string_view("ftodrlhV").find(static_cast<char>(optopt)) != std::string_view::npos) {
        return {"opcja " + cudzyslow(dlugaOpcja(argv)) + " nie przyjmuje wartości"};
    }
    const std::string opcja =
        optopt == 0 ? dlugaOpcja(argv) : "-" + std::string(1, static_cast<char>(optopt));
    return {"nieznana opcja " + cudzyslow(opcja) + "; opis: znakomat-cli -h"};
}

}  // namespace

const std::string_view POMOC =
    "Użycie: znakomat-cli -f ŹRÓDŁO -t CEL [-o WYJŚCIE] [WEJŚCIE...]\n"
    "        znakomat-cli -f ŹRÓDŁO -t CEL -d KATALOG WEJŚCIE...\n"
    "        znakomat-cli -r [WEJŚCIE...]\n"
    "        znakomat-cli -l | -h | -V\n"
    "\n"
    "Zamienia polskie litery tekstu (Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż) ze standardu\n"
    "ŹRÓDŁO na standard CEL; wszystkie inne bajty przepisuje bez zmian. Czyta kolejno\n"
    "pliki WEJŚCIE, każdy jako osobny tekst, a gdy ich nie podano albo podano „-”,\n"
    "standardowe wejście. Wyniki pisze po kolei do pliku WYJŚCIE albo na standardowe\n"
    "wyjście. Plik wyjściowy jest zastępowany dopiero po zapisaniu całości, więc błąd\n"
    "nigdy nie zostawia go w połowie.\n"
    "\n"
    "  -f, --from-code=ŹRÓDŁO  standard tekstu wejściowego albo „auto”\n"
    "  -t, --to-code=CEL       standard tekstu wyjściowego\n"
    "  -o, --output=WYJŚCIE    plik wyjściowy, inny niż wejściowe\n"
    "  -d, --katalog=KATALOG   każdy plik WEJŚCIE osobno do pliku o tej samej nazwie\n"
    "                          w KATALOGU (tworzy go, gdy go nie ma)\n"
    "  -r, --rozpoznaj         tylko rozpoznaje standard każdego pliku WEJŚCIE\n"
    "  -l, --list              wypisuje osiemnaście standardów i ich inne nazwy\n"
    "  -h, --help              wyświetla ten opis\n"
    "  -V, --version           wypisuje wersję programu\n"
    "\n"
    "Opcje bez wartości można łączyć (-lh). Nazwy standardów są takie jak w -l:\n"
    "standard albo jedna z jego innych nazw (np. CP1250, ISO-8859-2, latin2);\n"
    "wielkość liter nie ma znaczenia.\n"
    "\n"
    "Z -f auto program rozpoznaje standard każdego wejścia osobno, z jego początku\n"
    "(do 4 MiB od pierwszego bajtu od 80 w górę). Gdy inny standard, który zmieniłby\n"
    "wynik, był blisko, konwertuje z najbardziej prawdopodobnego i pisze na standardowe\n"
    "wyjście błędów, który wybrał i które były blisko. Tekst bez polskich liter\n"
    "przechodzi bez zmian.\n"
    "\n"
    "-r wypisuje dla każdego wejścia jeden wiersz z trzema polami rozdzielonymi\n"
    "tabulatorem: nazwa pliku („-” to standardowe wejście; \\, tabulator i koniec\n"
    "wiersza jako \\\\, \\t i \\n), rozpoznany standard albo „bez-liter”, gdy tekst nie ma\n"
    "polskich liter, i bliskie standardy rozdzielone przecinkami (puste, gdy ich nie ma).\n"
    "\n"
    "Z -d pliki są konwertowane równolegle na wszystkich rdzeniach procesora. Po\n"
    "każdym pliku program wypisuje wiersz, a na końcu podsumowanie. Plik, którego wynik\n"
    "byłby jednym z plików wejściowych albo zastąpiłby wynik wcześniejszego pliku\n"
    "o tej samej nazwie, jest pomijany jako błąd; pozostałe pliki są konwertowane.\n"
    "\n"
    "Bajty od 80 w górę, które nie są polskimi literami, też przechodzą bez zmian.\n"
    "Gdy przez to wynik w UTF-8 nie jest poprawnym UTF-8, albo wynik z UTF-8 zawiera\n"
    "inne znaki wielobajtowe, program pisze uwagę na standardowe wyjście błędów.\n"
    "\n"
    "Przykłady:\n"
    "  znakomat-cli -f Mazovia -t UTF-8 -o list.txt list-dos.txt\n"
    "  cat stary.txt | znakomat-cli --from-code=cp1250 --to-code=latin2 > nowy.txt\n"
    "  znakomat-cli -f UTF-8 -t brak -o razem.txt a.txt b.txt\n"
    "  znakomat-cli -f auto -t UTF-8 -d wynik/ *.TXT\n"
    "  znakomat-cli -r *.txt | cut -f 2\n"
    "\n"
    "Kod wyjścia: 0 gotowe, 1 błąd odczytu lub zapisu (z -d i -r: choć jednego pliku),\n"
    "2 błędne użycie.\n";

Ustawienia czytajArgumenty(int argc, char** argv)
{
    Ustawienia ustawienia;
    opterr = 0;
    int opcja;
    while ((opcja = getopt_long(argc, argv, ":f:t:o:d:rlhV", DLUGIE_OPCJE.data(), nullptr)) != -1) {
        switch (opcja) {
            case 'f':
                ustawRaz(ustawienia.zrodlo, opcja, optarg);
                break;
            case 't':
                ustawRaz(ustawienia.cel, opcja, optarg);
                break;
            case 'o':
                ustawRaz(ustawienia.wyjscie, opcja, optarg);
                break;
            case 'd':
                ustawRaz(ustawienia.katalog, opcja, optarg);
                break;
            case 'r':
                ustawienia.rozpoznaj = true;
                break;
            case 'l':
                ustawienia.lista = true;
                break;
            case 'h':
                ustawienia.pomoc = true;
                break;
            case 'V':
                ustawienia.wersja = true;
                break;
            case ':':
                throw brakWartosci(argv);
            default:
                throw zlaOpcja(argv);
        }
    }
    ustawienia.wejscia.assign(argv + optind, argv + argc);
    // An empty name would read as a standard stream in the messages.
    if (ustawienia.wyjscie == "" || ustawienia.katalog == "" ||
        std::find(ustawienia.wejscia.begin(), ustawienia.wejscia.end(), "") != ustawienia.wejscia.end()) {
        throw ZleUzycie{"pusta nazwa pliku"};
    }
    if (ustawienia.wejscia.empty()) {
        ustawienia.wejscia.emplace_back("-");
    }
    return ustawienia;
}

}  // namespace cli
