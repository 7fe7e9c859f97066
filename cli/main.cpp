// znakomat-cli: the conversion of the window for scripts and machines without a display.

#include <fcntl.h>
#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "engine/nie_litery.h"
#include "engine/rozpoznawanie.h"
#include "engine/standardy.h"
#include "pliki/katalog.h"
#include "pliki/opis_bledu.h"
#include "pliki/przepisz.h"
#include "pliki/rozpoznany_poczatek.h"
#include "pliki/sygnaly.h"

namespace {

constexpr int KONIEC_DOBRZE = 0;
constexpr int KONIEC_BLAD_KONWERSJI = 1;
constexpr int KONIEC_ZLE_UZYCIE = 2;

constexpr std::string_view POMOC =
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

constexpr std::string_view WERSJA = "znakomat-cli " ZNAKOMAT_WERSJA "\n";

// The source named so, the standard of each input is recognised in it.
constexpr std::string_view AUTO = "auto";

// What -r prints for a text without Polish letters: no name of a standard.
constexpr std::string_view BEZ_LITER = "bez-liter";

struct ZleUzycie {
    std::string komunikat;
};

struct Ustawienia {
    std::optional<std::string> zrodlo;
    std::optional<std::string> cel;
    std::optional<std::string> wyjscie;
    std::optional<std::string> katalog;
    std::vector<std::string> wejscia;
    bool rozpoznaj = false;
    bool lista = false;
    bool pomoc = false;
    bool wersja = false;
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

// "auto", in any case, as standard names are.
bool toAuto(std::string_view nazwa)
{
    return std::equal(nazwa.begin(), nazwa.end(), AUTO.begin(), AUTO.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

int indeksStandardu(std::string_view nazwa)
{
    if (const std::optional<int> standard = znakomat::ZnajdzStandard(nazwa)) {
        return *standard;
    }
    if (toAuto(nazwa)) {
        throw ZleUzycie{cudzyslow(nazwa) + " można podać tylko jako standard źródłowy (-f)"};
    }
    std::string nazwy;
    for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
        nazwy += (i == 0 ? "" : ", ") + std::string(znakomat::Standardy(i).Nazwa);
    }
    throw ZleUzycie{"nieznany standard " + cudzyslow(nazwa) + "; dostępne: " + nazwy +
                    " (inne nazwy: znakomat-cli -l)"};
}

// Each standard on a line, its other names beside it, so that every word is a valid name.
std::string listaStandardow()
{
    std::size_t szerokosc = 0;
    for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
        szerokosc = std::max(szerokosc, znakomat::Standardy(i).Nazwa.size());
    }
    std::string lista;
    for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
        std::string wiersz(znakomat::Standardy(i).Nazwa);
        for (const znakomat::Alias& alias : znakomat::Aliasy()) {
            if (alias.standard == i) {
                wiersz.resize(std::max(wiersz.size(), szerokosc), ' ');
                wiersz += " " + std::string(alias.nazwa);
            }
        }
        lista += wiersz + "\n";
    }
    return lista;
}

// The pipes that stand in for closed descriptors 0 to 2, by identity.
std::vector<std::pair<dev_t, ino_t>> zastepcze;

// Descriptors 0, 1 and 2 closed by the caller would go to the first files opened: the
// input could become the output. Each gets the wrong end of an empty pipe instead, so any
// use of it fails; unlike /dev/null, the pipe is recognised behind a name like /dev/stdout.
void zajmijStandardoweStrumienie()
{
    for (int deskryptor = STDIN_FILENO; deskryptor <= STDERR_FILENO; ++deskryptor) {
        if (::fcntl(deskryptor, F_GETFD) >= 0) {
            continue;
        }
        std::array<int, 2> potok{};
        if (::pipe(potok.data()) != 0) {
            ::open("/dev/null", deskryptor == STDIN_FILENO ? O_WRONLY : O_RDONLY);
            continue;
        }
        ::dup2(potok[deskryptor == STDIN_FILENO ? 1 : 0], deskryptor);
        for (const int koniec : potok) {
            if (koniec != deskryptor) {
                ::close(koniec);
            }
        }
        struct stat stan {};
        if (::fstat(deskryptor, &stan) == 0) {
            zastepcze.emplace_back(stan.st_dev, stan.st_ino);
        }
    }
}

// A name such as /dev/stdout leads to a closed stream: the system finds no such file.
void odrzucZamknietyStrumien(const std::string& nazwa, pliki::BladPliku::Czynnosc czynnosc)
{
    struct stat stan {};
    if (nazwa != "-" && ::stat(nazwa.c_str(), &stan) == 0 &&
        std::find(zastepcze.begin(), zastepcze.end(), std::pair(stan.st_dev, stan.st_ino)) !=
            zastepcze.end()) {
        throw pliki::BladPliku{czynnosc, nazwa, ENOENT};
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

// Counts, as the pieces go by, what passes a conversion that the target cannot hold.
class LiczenieNieLiter final : public pliki::Nadzor {
public:
    LiczenieNieLiter(int zrodlo, int cel) : nieLitery_(zrodlo, cel) {}
    void poOdczycie(std::string_view kawalek) override { nieLitery_.dodaj(kawalek); }
    const znakomat::NieLitery& wynik() const { return nieLitery_; }

private:
    znakomat::NieLitery nieLitery_;
};

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

void sprawdzInnyNizWyjscie(const pliki::PlikWejsciowy& wejscie, const std::string& nazwaWejscia,
                           const std::string& nazwaWyjscia)
{
    if (wejscie.jestTymSamymPlikiem(nazwaWyjscia)) {
        const std::string wyjscie =
            nazwaWyjscia == "-" ? "standardowe wyjście" : "plik wyjściowy " + cudzyslow(nazwaWyjscia);
        const std::string wejscie =
            nazwaWejscia == "-" ? "standardowe wejście" : "plik wejściowy " + cudzyslow(nazwaWejscia);
        throw ZleUzycie{wyjscie + " to ten sam plik co " + wejscie};
    }
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

// One input converted, and what it has to say besides its text.
struct Przebieg {
    // The standard converted from; the target itself when the text had no letters.
    int zrodlo;
    bool bezLiter = false;
    // Lines for standard error; empty ones say nothing.
    std::vector<std::string> uwagi;
};

// Converts one input onto `wyjscie` from `zrodlo`, or, without it, from the standard
// recognised in the input itself. Each input is a text of its own.
Przebieg przepiszWejscie(pliki::PlikWejsciowy& wejscie, const std::string& nazwaWejscia,
                         pliki::PlikWyjsciowy& wyjscie, std::optional<int> zrodlo, int cel)
{
    if (zrodlo) {
        znakomat::KonwersjaBlokowa konwersja(*zrodlo, cel);
        LiczenieNieLiter nieLitery(*zrodlo, cel);
        pliki::Przepisz(wejscie, wyjscie, konwersja, nieLitery);
        wyjscie.zapisz(konwersja.zakoncz());
        return {*zrodlo, false, {ostrzezenie(nieLitery.wynik(), nazwaWejscia, *zrodlo, cel, 0)}};
    }
    pliki::RozpoznanyPoczatek poczatek(wejscie, &wyjscie);
    const znakomat::Rozpoznanie& rozpoznanie = poczatek.rozpoznanie();
    const bool bezLiter = rozpoznanie.werdykt == znakomat::Werdykt::BezPolskichLiter;
    // From the target to itself nothing changes, as a text without letters asks.
    const int wybrany = bezLiter ? cel : rozpoznanie.standard();
    znakomat::KonwersjaBlokowa konwersja(wybrany, cel);
    LiczenieNieLiter nieLitery(wybrany, cel);
    poczatek.przepisz(konwersja, nieLitery);
    wyjscie.zapisz(konwersja.zakoncz());

    Przebieg przebieg{wybrany, bezLiter, {}};
    if (rozpoznanie.werdykt == znakomat::Werdykt::Niejednoznaczny) {
        przebieg.uwagi.push_back(opisWejscia(nazwaWejscia) + ": standard rozpoznany niepewnie: wybrany " +
                                 nazwaStandardu(wybrany) +
                                 ", bliskie: " + listaNazw(rozpoznanie.bliskie, ", "));
    } else if (bezLiter && !poczatek.tylkoAscii()) {
        przebieg.uwagi.push_back(opisWejscia(nazwaWejscia) +
                                 ": nie rozpoznano polskich liter, tekst przepisany bez zmian");
    }
    przebieg.uwagi.push_back(
        ostrzezenie(nieLitery.wynik(), nazwaWejscia, wybrany, cel, poczatek.przepisaneBezZmian()));
    return przebieg;
}

void wypiszUwagi(const std::vector<std::string>& uwagi)
{
    for (const std::string& uwaga : uwagi) {
        if (!uwaga.empty()) {
            wypiszBlad(uwaga);
        }
    }
}

// Each input is a text of its own, converted onto the one output in turn. The output is
// created once the first input is open, and is complete only when all of them are.
int konwertuj(const std::vector<std::string>& wejscia, const std::string& nazwaWyjscia,
              std::optional<int> zrodlo, int cel)
{
    std::optional<pliki::PlikWyjsciowy> wyjscie;
    std::vector<std::string> uwagi;
    for (const std::string& nazwaWejscia : wejscia) {
        pliki::PlikWejsciowy wejscie(nazwaWejscia);
        sprawdzInnyNizWyjscie(wejscie, nazwaWejscia, nazwaWyjscia);
        if (!wyjscie) {
            wyjscie.emplace(nazwaWyjscia);
        }
        const Przebieg przebieg = przepiszWejscie(wejscie, nazwaWejscia, *wyjscie, zrodlo, cel);
        uwagi.insert(uwagi.end(), przebieg.uwagi.begin(), przebieg.uwagi.end());
    }
    wyjscie->zatwierdz();
    wypiszUwagi(uwagi);
    return KONIEC_DOBRZE;
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

std::string wierszRozpoznania(const std::string& nazwa, const znakomat::Rozpoznanie& rozpoznanie)
{
    const std::string standard = rozpoznanie.werdykt == znakomat::Werdykt::BezPolskichLiter
                                     ? std::string(BEZ_LITER)
                                     : nazwaStandardu(rozpoznanie.standard());
    return wJednymWierszu(nazwa) + "\t" + standard + "\t" + listaNazw(rozpoznanie.bliskie, ",") + "\n";
}

// One line for each input, as far as -f auto reads it to decide.
int rozpoznaj(const std::vector<std::string>& wejscia)
{
    pliki::PlikWyjsciowy raport("-");
    int kod = KONIEC_DOBRZE;
    for (const std::string& nazwa : wejscia) {
        try {
            odrzucZamknietyStrumien(nazwa, pliki::BladPliku::Odczyt);
            pliki::PlikWejsciowy wejscie(nazwa);
            const pliki::RozpoznanyPoczatek poczatek(wejscie, nullptr);
            raport.zapisz(wierszRozpoznania(nazwa, poczatek.rozpoznanie()));
        } catch (const pliki::BladPliku& blad) {
            if (blad.czynnosc == pliki::BladPliku::Zapis) {
                throw;
            }
            wypiszBlad(opisBleduPliku(blad));
            kod = KONIEC_BLAD_KONWERSJI;
        }
    }
    raport.zatwierdz();
    return kod;
}

// Several files, each into the file of its name in one folder, spread over the processor's
// cores. A file that fails does not stop the others.
class Partia {
public:
    Partia(std::vector<std::string> wejscia, const std::string& katalog, std::optional<int> zrodlo, int cel)
        : wejscia_(std::move(wejscia)), zrodlo_(zrodlo), cel_(cel), zbiorWejsc_(wejscia_), raport_("-")
    {
        std::map<std::string, std::size_t> wczesniejsze;
        for (std::size_t i = 0; i < wejscia_.size(); ++i) {
            wyjscia_.push_back(pliki::WyjscieWKatalogu(katalog, wejscia_[i]));
            odmowy_.emplace_back();
            if (wyjscia_[i].empty()) {
                odmowy_[i] = "pominięty " + opisWejscia(wejscia_[i]) + ": nazwa nie kończy się nazwą pliku";
            } else if (const auto [pierwszy, nowy] = wczesniejsze.emplace(wyjscia_[i], i); !nowy) {
                odmowy_[i] = "pominięty " + opisWejscia(wejscia_[i]) + ": jego wynik " +
                             cudzyslow(wyjscia_[i]) + " zastąpiłby wynik pliku " +
                             cudzyslow(wejscia_[pierwszy->second]);
            }
        }
        // Two names of one output, through a link, would also leave only the later text.
        const pliki::ZbiorPlikow zbiorWyjsc(wyjscia_);
        for (std::size_t i = 0; i < wyjscia_.size(); ++i) {
            const std::optional<std::size_t> ten =
                wyjscia_[i].empty() ? std::nullopt : zbiorWyjsc.ktory(wyjscia_[i]);
            if (odmowy_[i].empty() && ten && *ten != i) {
                odmowy_[i] = "pominięty " + opisWejscia(wejscia_[i]) + ": jego wynik " +
                             cudzyslow(wyjscia_[i]) + " to ten sam plik co wynik pliku " +
                             cudzyslow(wejscia_[*ten]);
            }
        }
    }

    int wykonaj()
    {
        const std::size_t watkow =
            std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, wejscia_.size());
        std::vector<std::thread> watki;
        for (std::size_t i = 0; i < watkow; ++i) {
            watki.emplace_back([this] {
                for (std::size_t plik; (plik = nastepny_.fetch_add(1)) < wejscia_.size();) {
                    zglos(konwertujPlik(plik));
                }
            });
        }
        for (std::thread& watek : watki) {
            watek.join();
        }
        raportuj("Plików: " + std::to_string(wejscia_.size()) + ", skonwertowane: " + std::to_string(udane_) +
                 ", z błędem: " + std::to_string(wejscia_.size() - udane_) + "\n");
        if (bladRaportu_) {
            wypiszBlad(opisBleduPliku(*bladRaportu_));
            return KONIEC_BLAD_KONWERSJI;
        }
        return udane_ == wejscia_.size() ? KONIEC_DOBRZE : KONIEC_BLAD_KONWERSJI;
    }

private:
    // A line for standard output when the file was converted; lines for standard error.
    struct Sprawozdanie {
        std::string wiersz;
        std::vector<std::string> uwagi;
    };

    Sprawozdanie konwertujPlik(std::size_t i) const
    {
        const std::string& nazwa = wejscia_[i];
        if (!odmowy_[i].empty()) {
            return {{}, {odmowy_[i]}};
        }
        try {
            odrzucZamknietyStrumien(nazwa, pliki::BladPliku::Odczyt);
            pliki::PlikWejsciowy wejscie(nazwa);
            sprawdzInnyNizWyjscie(wejscie, nazwa, wyjscia_[i]);
            if (const std::optional<std::size_t> inne = zbiorWejsc_.ktory(wyjscia_[i])) {
                throw ZleUzycie{"plik wyjściowy " + cudzyslow(wyjscia_[i]) +
                                " to ten sam plik co plik wejściowy " + cudzyslow(wejscia_[*inne])};
            }
            pliki::PlikWyjsciowy wyjscie(wyjscia_[i]);
            const Przebieg przebieg = przepiszWejscie(wejscie, nazwa, wyjscie, zrodlo_, cel_);
            wyjscie.zatwierdz();
            const std::string jak = przebieg.bezLiter
                                        ? "bez polskich liter, bez zmian"
                                        : nazwaStandardu(przebieg.zrodlo) + " → " + nazwaStandardu(cel_);
            return {wJednymWierszu(nazwa) + " → " + wJednymWierszu(wyjscia_[i]) + " (" + jak + ")\n",
                    przebieg.uwagi};
        } catch (const ZleUzycie& blad) {
            return {{}, {blad.komunikat}};
        } catch (const pliki::BladPliku& blad) {
            return {{}, {opisBleduPliku(blad)}};
        } catch (const std::bad_alloc&) {
            return {{}, {opisWejscia(nazwa) + ": za mało pamięci"}};
        }
    }

    // Each file's lines together, as it finishes.
    void zglos(const Sprawozdanie& sprawozdanie)
    {
        const std::lock_guard blokada(zgloszenia_);
        if (!sprawozdanie.wiersz.empty()) {
            ++udane_;
            raportuj(sprawozdanie.wiersz);
        }
        wypiszUwagi(sprawozdanie.uwagi);
    }

    // A report that cannot be written stops no conversion; it is told once at the end.
    void raportuj(const std::string& wiersz)
    {
        if (bladRaportu_) {
            return;
        }
        try {
            raport_.zapisz(wiersz);
        } catch (const pliki::BladPliku& blad) {
            bladRaportu_ = blad;
        }
    }

    const std::vector<std::string> wejscia_;
    const std::optional<int> zrodlo_;
    const int cel_;
    const pliki::ZbiorPlikow zbiorWejsc_;
    std::vector<std::string> wyjscia_;
    // Why a file is refused before it is read; empty for the others.
    std::vector<std::string> odmowy_;
    std::atomic<std::size_t> nastepny_{0};
    std::mutex zgloszenia_;
    pliki::PlikWyjsciowy raport_;
    std::size_t udane_ = 0;
    std::optional<pliki::BladPliku> bladRaportu_;
};

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
        if (ustawienia.wersja) {
            return wypisz(WERSJA);
        }
        if (ustawienia.lista) {
            return wypisz(listaStandardow());
        }
        if (ustawienia.rozpoznaj) {
            if (ustawienia.zrodlo || ustawienia.cel || ustawienia.wyjscie || ustawienia.katalog) {
                throw ZleUzycie{"opcji -r (--rozpoznaj) nie łączy się z -f, -t, -o ani -d"};
            }
            pliki::PrzygotujSygnaly();
            return rozpoznaj(ustawienia.wejscia);
        }
        if (!ustawienia.zrodlo) {
            throw ZleUzycie{"brak standardu źródłowego (-f); opis: znakomat-cli -h"};
        }
        if (!ustawienia.cel) {
            throw ZleUzycie{"brak standardu docelowego (-t); opis: znakomat-cli -h"};
        }
        // Without a source standard each input's own is recognised.
        const std::optional<int> zrodlo =
            toAuto(*ustawienia.zrodlo) ? std::nullopt : std::optional(indeksStandardu(*ustawienia.zrodlo));
        const int cel = indeksStandardu(*ustawienia.cel);
        if (ustawienia.katalog) {
            if (ustawienia.wyjscie) {
                throw ZleUzycie{"opcji -o (--output) nie łączy się z -d (--katalog)"};
            }
            if (std::find(ustawienia.wejscia.begin(), ustawienia.wejscia.end(), "-") !=
                ustawienia.wejscia.end()) {
                throw ZleUzycie{"z -d (--katalog) podaj pliki wejściowe; standardowe wejście nie ma nazwy"};
            }
            pliki::PrzygotujSygnaly();
            pliki::PrzygotujKatalog(*ustawienia.katalog);
            return Partia(ustawienia.wejscia, *ustawienia.katalog, zrodlo, cel).wykonaj();
        }
        const std::string wyjscie = ustawienia.wyjscie.value_or("-");
        for (const std::string& wejscie : ustawienia.wejscia) {
            odrzucZamknietyStrumien(wejscie, pliki::BladPliku::Odczyt);
        }
        odrzucZamknietyStrumien(wyjscie, pliki::BladPliku::Zapis);
        pliki::PrzygotujSygnaly();
        return konwertuj(ustawienia.wejscia, wyjscie, zrodlo, cel);
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
