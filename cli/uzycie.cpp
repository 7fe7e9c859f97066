#include "cli/uzycie.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "cli/komunikaty.h"

namespace cli {

namespace {

// The value of the long option without a letter.
constexpr int LISTA_PODSTAW = 0x100;

// Every option once: getopt_long's tables and the help's list are made from it. The first
// long name is the one messages and the help give; the help adds the others.
struct Opcja {
    int wartosc;
    std::array<const char*, 2> dlugie;
    // The value's name in the help; none for an option without a value.
    const char* argument;
    std::string_view opis;
};

constexpr std::array OPCJE = {
    Opcja{'f', {"from-code"}, "ŹRÓDŁO", "standard tekstu wejściowego albo „auto”"},
    Opcja{'t', {"to-code"}, "CEL", "standard tekstu wyjściowego"},
    Opcja{'a',
          {"all-characters", "wszystkie-znaki"},
          nullptr,
          "konwertuje cały tekst, nie tylko litery: ISO-Latin-2,\n"
          "IBM-Latin-2, Windows-EE, UTF-8 i Mazovia, a z -b także\n"
          "pozostałe standardy"},
    Opcja{'b',
          {"base", "podstawa"},
          "PODSTAWA",
          "jednobajtowa strona kodowa pozostałych bajtów standardu\n"
          "bez własnej, np. CP437, CP850, ISO-8859-1, CP1252"},
    Opcja{'o', {"output"}, "WYJŚCIE", "plik wyjściowy, inny niż wejściowe"},
    Opcja{'d',
          {"output-dir", "katalog"},
          "KATALOG",
          "każdy plik WEJŚCIE osobno do pliku o tej samej nazwie\n"
          "w KATALOGU (tworzy go, gdy go nie ma)"},
    Opcja{'R', {"recursive"}, nullptr, "z -d i -r: WEJŚCIE to także foldery, przechodzone w głąb"},
    Opcja{'r', {"detect", "rozpoznaj"}, nullptr, "tylko rozpoznaje standard każdego pliku WEJŚCIE"},
    Opcja{'l', {"list"}, nullptr, "wypisuje osiemnaście standardów i ich inne nazwy"},
    Opcja{LISTA_PODSTAW,
          {"list-bases", "lista-podstaw"},
          nullptr,
          "wypisuje strony kodowe, które przyjmuje -b"},
    Opcja{'h', {"help"}, nullptr, "wyświetla ten opis"},
    Opcja{'V', {"version"}, nullptr, "wypisuje wersję programu"},
};

bool maLitere(const Opcja& opcja)
{
    return opcja.wartosc < LISTA_PODSTAW;
}

const Opcja& opcjaO(int wartosc)
{
    return *std::find_if(OPCJE.begin(), OPCJE.end(),
                         [wartosc](const Opcja& o) { return o.wartosc == wartosc; });
}

// "-f (--from-code)", or "--list-bases" for an option without a letter, as messages name it.
std::string nazwaOpcji(int wartosc)
{
    const Opcja& opcja = opcjaO(wartosc);
    const std::string dluga = std::string("--") + opcja.dlugie[0];
    return maLitere(opcja) ? "-" + std::string(1, static_cast<char>(wartosc)) + " (" + dluga + ")" : dluga;
}

// getopt_long's short options: a colon first, so that a missing value is told apart.
std::string krotkieOpcje()
{
    std::string krotkie = ":";
    for (const Opcja& opcja : OPCJE) {
        if (maLitere(opcja)) {
            krotkie += static_cast<char>(opcja.wartosc);
            if (opcja.argument != nullptr) {
                krotkie += ':';
            }
        }
    }
    return krotkie;
}

std::vector<option> dlugieOpcje()
{
    std::vector<option> dlugie;
    for (const Opcja& opcja : OPCJE) {
        for (const char* nazwa : opcja.dlugie) {
            if (nazwa != nullptr) {
                dlugie.push_back({nazwa, opcja.argument != nullptr ? required_argument : no_argument, nullptr,
                                  opcja.wartosc});
            }
        }
    }
    dlugie.push_back({nullptr, 0, nullptr, 0});
    return dlugie;
}

// Characters, not bytes: the help is aligned as a terminal shows it.
std::size_t szerokosc(std::string_view tekst)
{
    return static_cast<std::size_t>(std::count_if(
        tekst.begin(), tekst.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The help's list of options, each description in a column of its own.
std::string listaOpcji()
{
    constexpr std::size_t KOLUMNA = 26;
    std::string lista;
    for (const Opcja& opcja : OPCJE) {
        std::string poczatek =
            maLitere(opcja) ? std::string("  -") + static_cast<char>(opcja.wartosc) + ", " : "      ";
        poczatek += std::string("--") + opcja.dlugie[0];
        if (opcja.argument != nullptr) {
            poczatek += std::string("=") + opcja.argument;
        }
        std::string opis(opcja.opis);
        if (opcja.dlugie[1] != nullptr) {
            opis += std::string("\n(też --") + opcja.dlugie[1] +
                    (opcja.argument != nullptr ? std::string("=") + opcja.argument : "") + ")";
        }
        const std::size_t zajete = szerokosc(poczatek);
        lista += poczatek + std::string(zajete + 2 <= KOLUMNA ? KOLUMNA - zajete : 2, ' ');
        for (std::size_t od = 0;;) {
            const std::size_t koniec = opis.find('\n', od);
            lista += opis.substr(od, koniec - od) + "\n";
            if (koniec == std::string::npos) {
                break;
            }
            od = koniec + 1;
            lista += std::string(KOLUMNA, ' ');
        }
    }
    return lista;
}

// A value that wins silently over an earlier one hides a mistake in a script.
void ustawRaz(std::optional<std::string>& pole, int litera, const char* wartosc)
{
    if (pole) {
        throw ZleUzycie{"opcja " + nazwaOpcji(litera) + " podana więcej niż raz"};
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
    if (optopt != 0 && krotkieOpcje().find(static_cast<char>(optopt)) != std::string::npos) {
        return {"opcja " + cudzyslow(dlugaOpcja(argv)) + " nie przyjmuje wartości"};
    }
    const std::string opcja =
        optopt == 0 ? dlugaOpcja(argv) : "-" + std::string(1, static_cast<char>(optopt));
    return {"nieznana opcja " + cudzyslow(opcja) + "; opis: znakomat-cli -h"};
}

}  // namespace

constexpr std::string_view POMOC_POCZATEK =
    "Użycie: znakomat-cli -f ŹRÓDŁO -t CEL [-a] [-b PODSTAWA] [-o WYJŚCIE] [WEJŚCIE...]\n"
    "        znakomat-cli -f ŹRÓDŁO -t CEL [-a] [-b PODSTAWA] [-R] -d KATALOG WEJŚCIE...\n"
    "        znakomat-cli -r [-R] [WEJŚCIE...]\n"
    "        znakomat-cli -l | --list-bases | -h | -V\n"
    "\n"
    "Zamienia polskie litery tekstu (Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż) ze standardu\n"
    "ŹRÓDŁO na standard CEL; wszystkie inne bajty przepisuje bez zmian. Czyta kolejno\n"
    "pliki WEJŚCIE, każdy jako osobny tekst, a gdy ich nie podano albo podano „-”,\n"
    "standardowe wejście. Wyniki pisze po kolei do pliku WYJŚCIE albo na standardowe\n"
    "wyjście. Plik wyjściowy jest zastępowany dopiero po zapisaniu całości, więc błąd\n"
    "nigdy nie zostawia go w połowie.\n"
    "\n";

constexpr std::string_view POMOC_KONIEC =
    "\n"
    "Opcje bez wartości można łączyć (-aR); -l, -h i -V podaje się same. Nazwy\n"
    "standardów są takie jak w -l: standard albo jedna z jego innych nazw (np. CP1250,\n"
    "ISO-8859-2, latin2). Przy porównywaniu nazw wielkość liter, „-”, „_” i spacje nie\n"
    "mają znaczenia, jak w iconv i ICU: cp-1250, Latin_2 i iso88592 też są dobre.\n"
    "\n"
    "Z -a program konwertuje każdy znak, także „ ” – … ° § é ╔═╗, między stronami\n"
    "kodowymi bajt w bajt tak jak iconv -f ŹRÓDŁO -t CEL. Mazovia to strona kodowa 437\n"
    "z polskimi literami na miejscu 18 jej znaków. Innym standardom jednobajtowym\n"
    "-b PODSTAWA podaje stronę kodową, za którą idą ich bajty inne niż litery (dla\n"
    "Mazovii zastępuje 437); nazwy stron porównywane są jak nazwy standardów. Gdy dwa\n"
    "bajty znaczą ten sam znak (litera, którą PODSTAWA ma też pod innym bajtem), oba\n"
    "czytane są jako on, a zapisywany jest bajt litery ze standardu; inny znak pod\n"
    "najniższym z bajtów. Znak PODSTAWY, którego bajt zajęła litera, w standardzie nie\n"
    "istnieje. W standardzie brak litery ASCII zostają sobą, a polskie litery tracą\n"
    "ogonki. Znak, którego CEL nie ma, bajt, który w ŹRÓDLE nic nie znaczy, albo\n"
    "niepoprawny UTF-8 zatrzymują konwersję z błędem podającym pozycję; plik wyjściowy\n"
    "zostaje wtedy taki, jaki był. Z -f auto -a dotyczy tekstów rozpoznanych jako\n"
    "standard, którego wszystkie bajty są znane; w pozostałych zamienia litery.\n"
    "\n"
    "Z -f auto program rozpoznaje standard każdego wejścia osobno, z jego początku\n"
    "(do 1 MiB od pierwszego bajtu od 80 w górę). Gdy inny standard, który zmieniłby\n"
    "wynik, był blisko, konwertuje z najbardziej prawdopodobnego i pisze na standardowe\n"
    "wyjście błędów, który wybrał i które były blisko. Tekst bez polskich liter\n"
    "przechodzi bez zmian.\n"
    "\n"
    "-r wypisuje dla każdego wejścia jeden wiersz z trzema polami rozdzielonymi\n"
    "tabulatorem: nazwa pliku („-” to standardowe wejście; \\, tabulator, koniec\n"
    "wiersza i inne znaki sterujące jako \\\\, \\t, \\n i \\xHH), rozpoznany standard albo\n"
    "„bez-liter”, gdy tekst nie ma polskich liter, i bliskie standardy rozdzielone\n"
    "przecinkami (puste, gdy ich nie ma).\n"
    "\n"
    "Z -d pliki są konwertowane równolegle na wszystkich rdzeniach procesora. Po\n"
    "każdym pliku program wypisuje wiersz, a na końcu podsumowanie. Plik, którego wynik\n"
    "byłby jednym z plików wejściowych albo zastąpiłby wynik wcześniejszego pliku\n"
    "o tej samej nazwie (także nazwie różniącej się tylko wielkością liter w folderze,\n"
    "który jej nie rozróżnia), jest pomijany jako błąd; pozostałe pliki są konwertowane.\n"
    "Z -R każdy zwykły plik pod podanymi folderami trafia pod tę samą ścieżkę względną\n"
    "w KATALOGU, który nie może leżeć w żadnym z nich; dowiązania symboliczne są\n"
    "pomijane.\n"
    "\n"
    "Bez -a bajty, które nie są polskimi literami, przechodzą bez zmian. Gdy przez to\n"
    "wynik w UTF-8 nie jest poprawnym UTF-8, wynik z UTF-8 zawiera inne znaki\n"
    "wielobajtowe, albo taki bajt znaczy w CELU co innego niż w ŹRÓDLE (gdy obie strony\n"
    "kodowe są znane, np. „ z Windows-EE w ISO-Latin-2), program pisze uwagę na\n"
    "standardowe wyjście błędów i radzi -a (z -b, gdy jest potrzebne).\n"
    "\n"
    "Przykłady:\n"
    "  znakomat-cli -f Mazovia -t UTF-8 -o list.txt list-dos.txt\n"
    "  cat stary.txt | znakomat-cli --from-code=cp1250 --to-code=latin2 > nowy.txt\n"
    "  znakomat-cli -a -f cp1250 -t utf-8 -o list-utf8.txt list.txt\n"
    "  znakomat-cli -a -f Mazovia -t UTF-8 -o tabela.txt TABELA.TXT\n"
    "  znakomat-cli -a -b CP437 -f CSK -t UTF-8 -o nowy.txt stary.txt\n"
    "  znakomat-cli -f UTF-8 -t brak -o razem.txt a.txt b.txt\n"
    "  znakomat-cli -f auto -t UTF-8 -d wynik/ *.TXT\n"
    "  znakomat-cli -f auto -t UTF-8 -R -d wynik/ archiwum/\n"
    "  znakomat-cli -r *.txt | cut -f 2\n"
    "\n"
    "Kod wyjścia: 0 gotowe, 1 błąd odczytu, zapisu lub konwersji (z -d i -r: choć\n"
    "jednego pliku), 2 błędne użycie.\n";

std::string Pomoc()
{
    return std::string(POMOC_POCZATEK) + listaOpcji() + std::string(POMOC_KONIEC);
}

Ustawienia czytajArgumenty(int argc, char** argv)
{
    Ustawienia ustawienia;
    const std::string krotkie = krotkieOpcje();
    const std::vector<option> dlugie = dlugieOpcje();
    opterr = 0;
    int opcja;
    int opcji = 0;
    while ((opcja = getopt_long(argc, argv, krotkie.c_str(), dlugie.data(), nullptr)) != -1) {
        ++opcji;
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
            case 'b':
                ustawRaz(ustawienia.podstawa, opcja, optarg);
                break;
            case LISTA_PODSTAW:
                ustawienia.listaPodstaw = true;
                break;
            case 'r':
                ustawienia.rozpoznaj = true;
                break;
            case 'a':
                ustawienia.wszystkieZnaki = true;
                break;
            case 'R':
                ustawienia.rekurencyjnie = true;
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
    // Whatever else was asked would be silently left undone.
    if ((ustawienia.pomoc || ustawienia.lista || ustawienia.listaPodstaw || ustawienia.wersja) &&
        (opcji > 1 || optind < argc)) {
        const int ktora = ustawienia.pomoc          ? 'h'
                          : ustawienia.lista        ? 'l'
                          : ustawienia.listaPodstaw ? LISTA_PODSTAW
                                                    : 'V';
        throw ZleUzycie{"opcję " + nazwaOpcji(ktora) + " podaje się sama, bez innych opcji i plików"};
    }
    // Standard input read twice would give the second time nothing.
    if (std::count(ustawienia.wejscia.begin(), ustawienia.wejscia.end(), "-") > 1) {
        throw ZleUzycie{"standardowe wejście („-”) podane więcej niż raz"};
    }
    // An empty name would read as a standard stream in the messages.
    if (ustawienia.wyjscie == "" || ustawienia.katalog == "" ||
        std::find(ustawienia.wejscia.begin(), ustawienia.wejscia.end(), "") != ustawienia.wejscia.end()) {
        throw ZleUzycie{"pusta nazwa pliku"};
    }
    if (ustawienia.wejscia.empty()) {
        ustawienia.wejscia.emplace_back("-");
    }
    if (ustawienia.pomoc || ustawienia.lista || ustawienia.listaPodstaw || ustawienia.wersja) {
        return ustawienia;
    }
    if (ustawienia.rozpoznaj) {
        if (ustawienia.zrodlo || ustawienia.cel || ustawienia.wyjscie || ustawienia.katalog ||
            ustawienia.wszystkieZnaki || ustawienia.podstawa) {
            throw ZleUzycie{"opcji -r (--rozpoznaj) nie łączy się z -f, -t, -o, -d, -a ani -b"};
        }
    } else {
        if (ustawienia.rekurencyjnie && !ustawienia.katalog) {
            throw ZleUzycie{"opcja -R (--recursive) działa tylko z -d (--output-dir) albo -r (--detect)"};
        }
        if (!ustawienia.zrodlo) {
            throw ZleUzycie{"brak standardu źródłowego (-f); opis: znakomat-cli -h"};
        }
        if (!ustawienia.cel) {
            throw ZleUzycie{"brak standardu docelowego (-t); opis: znakomat-cli -h"};
        }
        if (ustawienia.katalog && ustawienia.wyjscie) {
            throw ZleUzycie{"opcji -o (--output) nie łączy się z -d (--katalog)"};
        }
        if (ustawienia.katalog && std::find(ustawienia.wejscia.begin(), ustawienia.wejscia.end(), "-") !=
                                      ustawienia.wejscia.end()) {
            throw ZleUzycie{"z -d (--katalog) podaj pliki wejściowe; standardowe wejście nie ma nazwy"};
        }
    }
    return ustawienia;
}

}  // namespace cli
