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
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "nie_litery.h"
#include "opis_bledu.h"
#include "przepisz.h"
#include "standardy.h"
#include "sygnaly.h"

namespace {

constexpr int KONIEC_DOBRZE = 0;
constexpr int KONIEC_BLAD_KONWERSJI = 1;
constexpr int KONIEC_ZLE_UZYCIE = 2;

constexpr std::string_view POMOC =
    "Użycie: znakomat-cli -f ŹRÓDŁO -t CEL [-o WYJŚCIE] [WEJŚCIE...]\n"
    "        znakomat-cli -l | -h | -V\n"
    "\n"
    "Zamienia polskie litery tekstu (Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż) ze standardu\n"
    "ŹRÓDŁO na standard CEL; wszystkie inne bajty przepisuje bez zmian. Czyta kolejno\n"
    "pliki WEJŚCIE, każdy jako osobny tekst, a gdy ich nie podano albo podano „-”,\n"
    "standardowe wejście. Wyniki pisze po kolei do pliku WYJŚCIE albo na standardowe\n"
    "wyjście. Plik wyjściowy jest zastępowany dopiero po zapisaniu całości, więc błąd\n"
    "nigdy nie zostawia go w połowie.\n"
    "\n"
    "  -f, --from-code=ŹRÓDŁO  standard tekstu wejściowego\n"
    "  -t, --to-code=CEL       standard tekstu wyjściowego\n"
    "  -o, --output=WYJŚCIE    plik wyjściowy, inny niż wejściowe\n"
    "  -l, --list              wypisuje osiemnaście standardów i ich inne nazwy\n"
    "  -h, --help              wyświetla ten opis\n"
    "  -V, --version           wypisuje wersję programu\n"
    "\n"
    "Opcje bez wartości można łączyć (-lh). Nazwy standardów są takie jak w -l:\n"
    "standard albo jedna z jego innych nazw (np. CP1250, ISO-8859-2, latin2);\n"
    "wielkość liter nie ma znaczenia.\n"
    "\n"
    "Bajty od 80 w górę, które nie są polskimi literami, też przechodzą bez zmian.\n"
    "Gdy przez to wynik w UTF-8 nie jest poprawnym UTF-8, albo wynik z UTF-8 zawiera\n"
    "inne znaki wielobajtowe, program pisze uwagę na standardowe wyjście błędów.\n"
    "\n"
    "Przykłady:\n"
    "  znakomat-cli -f Mazovia -t UTF-8 -o list.txt list-dos.txt\n"
    "  cat stary.txt | znakomat-cli --from-code=cp1250 --to-code=latin2 > nowy.txt\n"
    "  znakomat-cli -f UTF-8 -t brak -o razem.txt a.txt b.txt\n"
    "\n"
    "Kod wyjścia: 0 gotowe, 1 błąd odczytu lub zapisu, 2 błędne użycie.\n";

constexpr std::string_view WERSJA = "znakomat-cli " ZNAKOMAT_WERSJA "\n";

struct ZleUzycie {
    std::string komunikat;
};

struct Ustawienia {
    std::optional<std::string> zrodlo;
    std::optional<std::string> cel;
    std::optional<std::string> wyjscie;
    std::vector<std::string> wejscia;
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

constexpr std::array<option, 7> DLUGIE_OPCJE = {{
    {"from-code", required_argument, nullptr, 'f'},
    {"to-code", required_argument, nullptr, 't'},
    {"output", required_argument, nullptr, 'o'},
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
    if (optopt != 0 && std::string_view("ftolhV").find(static_cast<char>(optopt)) != std::string_view::npos) {
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
    while ((opcja = getopt_long(argc, argv, ":f:t:o:lhV", DLUGIE_OPCJE.data(), nullptr)) != -1) {
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
    if (ustawienia.wyjscie == "" ||
        std::find(ustawienia.wejscia.begin(), ustawienia.wejscia.end(), "") != ustawienia.wejscia.end()) {
        throw ZleUzycie{"pusta nazwa pliku"};
    }
    if (ustawienia.wejscia.empty()) {
        ustawienia.wejscia.emplace_back("-");
    }
    return ustawienia;
}

int indeksStandardu(std::string_view nazwa)
{
    if (const std::optional<int> standard = znakomat::ZnajdzStandard(nazwa)) {
        return *standard;
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
std::string ostrzezenie(const znakomat::NieLitery& nieLitery, const std::string& nazwaWejscia, int zrodlo,
                        int cel)
{
    if (nieLitery.ile() == 0) {
        return {};
    }
    const std::string gdzie = "na pozycji " + std::to_string(nieLitery.pierwszy()) +
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

// Each input is a text of its own, converted onto the one output in turn. The output is
// created once the first input is open, and is complete only when all of them are.
int konwertuj(const std::vector<std::string>& wejscia, const std::string& nazwaWyjscia, int zrodlo, int cel)
{
    std::optional<pliki::PlikWyjsciowy> wyjscie;
    std::vector<std::string> uwagi;
    for (const std::string& nazwaWejscia : wejscia) {
        pliki::PlikWejsciowy wejscie(nazwaWejscia);
        sprawdzInnyNizWyjscie(wejscie, nazwaWejscia, nazwaWyjscia);
        if (!wyjscie) {
            wyjscie.emplace(nazwaWyjscia);
        }
        znakomat::KonwersjaBlokowa konwersja(zrodlo, cel);
        LiczenieNieLiter nieLitery(zrodlo, cel);
        pliki::Przepisz(wejscie, *wyjscie, konwersja, nieLitery);
        wyjscie->zapisz(konwersja.zakoncz());
        uwagi.push_back(ostrzezenie(nieLitery.wynik(), nazwaWejscia, zrodlo, cel));
    }
    wyjscie->zatwierdz();
    for (const std::string& uwaga : uwagi) {
        if (!uwaga.empty()) {
            wypiszBlad(uwaga);
        }
    }
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
        if (ustawienia.wersja) {
            return wypisz(WERSJA);
        }
        if (ustawienia.lista) {
            return wypisz(listaStandardow());
        }
        if (!ustawienia.zrodlo) {
            throw ZleUzycie{"brak standardu źródłowego (-f); opis: znakomat-cli -h"};
        }
        if (!ustawienia.cel) {
            throw ZleUzycie{"brak standardu docelowego (-t); opis: znakomat-cli -h"};
        }
        const int zrodlo = indeksStandardu(*ustawienia.zrodlo);
        const int cel = indeksStandardu(*ustawienia.cel);
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
