#include "cli/partia.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <semaphore>
#include <system_error>
#include <thread>

#include "cli/drzewa.h"
#include "cli/komunikaty.h"
#include "cli/konwersja.h"
#include "cli/strumienie.h"
#include "cli/uzycie.h"
#include "pliki/drzewo.h"
#include "pliki/katalog.h"
#include "pliki/opis_bledu.h"
#include "pliki/procesory.h"
#include "pliki/rozpoznany_poczatek.h"

namespace cli {

namespace {

// What -r prints for a text without Polish letters: no name of a standard.
constexpr std::string_view BEZ_LITER = "bez-liter";

std::string wierszRozpoznania(const std::string& nazwa, const engine::Rozpoznanie& rozpoznanie)
{
    const std::string standard = rozpoznanie.werdykt == engine::Werdykt::BezPolskichLiter
                                     ? std::string(BEZ_LITER)
                                     : nazwaStandardu(rozpoznanie.standard());
    return wJednymWierszu(nazwa) + "\t" + standard + "\t" + listaNazw(rozpoznanie.bliskie, ",") + "\n";
}

}  // namespace

// One line for each input, as far as -f auto reads it to decide.
int rozpoznaj(const std::vector<std::string>& nazwy, bool rekurencyjnie)
{
    const PlikiPartii znalezione = ZnajdzPliki(nazwy, {}, rekurencyjnie);
    pliki::PlikWyjsciowy raport("-");
    int kod = znalezione.bledy.empty() ? KONIEC_DOBRZE : KONIEC_BLAD_KONWERSJI;
    wypiszUwagi(znalezione.bledy);
    for (std::size_t i = 0; i < znalezione.wejscia.size(); ++i) {
        const std::string& nazwa = znalezione.wejscia[i];
        try {
            odrzucZamknietyStrumien(nazwa, pliki::BladPliku::Odczyt);
            std::optional<pliki::PlikWejsciowy> wejscie;
            if (znalezione.znane[i]) {
                wejscie.emplace(nazwa, *znalezione.znane[i]);
            } else {
                wejscie.emplace(nazwa);
            }
            pliki::RozpoznanyPoczatek poczatek(*wejscie);
            raport.zapisz(wierszRozpoznania(nazwa, poczatek.rozpoznaj()));
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

namespace {

// Several files, each into the file of its name in one folder, spread over the processor's
// cores. A file that fails does not stop the others.
class Partia {
public:
    Partia(PlikiPartii pliki, const std::string& katalog, const Zadanie& zadanie)
        : wejscia_(std::move(pliki.wejscia)),
          zadanie_(zadanie),
          zbiorWejsc_(wejscia_),
          wyjscia_(std::move(pliki.wyjscia)),
          znane_(std::move(pliki.znane)),
          bledyFolderow_(std::move(pliki.bledy)),
          raport_("-")
    {
        // On a file system blind to case, names differing only in case are one file.
        const bool bezWielkosci = pliki::BezWielkosciLiter(katalog);
        std::map<std::string, std::size_t> wczesniejsze;
        std::map<std::string, std::size_t> ktoreWyjscie;
        for (std::size_t i = 0; i < wejscia_.size(); ++i) {
            odmowy_.emplace_back();
            if (wyjscia_[i].empty()) {
                odmowy_[i] = "pominięty " + opisWejscia(wejscia_[i]) + ": nazwa nie kończy się nazwą pliku";
                continue;
            }
            const std::string klucz = bezWielkosci ? pliki::BezWielkosci(wyjscia_[i]) : wyjscia_[i];
            if (const auto [pierwszy, nowy] = wczesniejsze.emplace(klucz, i); !nowy) {
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
        // An input leading to an output of this batch, perhaps through a link that leads
        // nowhere yet, would be read after that output is written, and converted twice.
        for (std::size_t i = 0; i < wyjscia_.size(); ++i) {
            if (odmowy_[i].empty() && !zbiorWejsc_.ktory(wyjscia_[i])) {
                ktoreWyjscie.emplace(DokadProwadzi(wyjscia_[i]), i);
            }
        }
        for (std::size_t i = 0; i < wejscia_.size(); ++i) {
            const auto wyjscie = ktoreWyjscie.find(DokadProwadzi(wejscia_[i]));
            if (odmowy_[i].empty() && wyjscie != ktoreWyjscie.end() && wyjscie->second != i) {
                odmowy_[i] = "pominięty " + opisWejscia(wejscia_[i]) + ": prowadzi do pliku " +
                             cudzyslow(wyjscia_[wyjscie->second]) + ", wyniku pliku " +
                             cudzyslow(wejscia_[wyjscie->second]) + " w tej samej partii";
            }
        }
    }

    int wykonaj()
    {
        // Each file ends waiting for the disk to hold it (its sync): several files for each
        // processor are under way, so that those waits overlap while other files convert.
        // Their threads share one pool of malloc's memory for each processor (the pieces of
        // text have mappings of their own): a pool keeps the most it ever held.
        ::mallopt(M_ARENA_MAX, static_cast<int>(procesory_));
        const std::size_t watkow =
            std::clamp<std::size_t>(PLIKOW_NA_PROCESOR * procesory_, 1, wejscia_.size());
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
        wypiszUwagi(bledyFolderow_);
        const std::string nieodczytane =
            bledyFolderow_.empty() ? ""
                                   : ", folderów nieodczytanych: " + std::to_string(bledyFolderow_.size());
        raportuj("Plików: " + std::to_string(wejscia_.size()) + ", skonwertowane: " + std::to_string(udane_) +
                 ", z błędem: " + std::to_string(wejscia_.size() - udane_) + nieodczytane + "\n");
        if (bladRaportu_) {
            wypiszBlad(opisBleduPliku(*bladRaportu_));
            return KONIEC_BLAD_KONWERSJI;
        }
        return udane_ == wejscia_.size() && bledyFolderow_.empty() ? KONIEC_DOBRZE : KONIEC_BLAD_KONWERSJI;
    }

private:
    // A line for standard output when the file was converted; lines for standard error.
    struct Sprawozdanie {
        std::string wiersz;
        std::vector<std::string> uwagi;
    };

    // Holds one of the processors while it lives.
    class Procesor {
    public:
        explicit Procesor(std::counting_semaphore<>& wolne) : wolne_(wolne) { wolne_.acquire(); }
        ~Procesor() { wolne_.release(); }
        Procesor(const Procesor&) = delete;
        Procesor& operator=(const Procesor&) = delete;

    private:
        std::counting_semaphore<>& wolne_;
    };

    static constexpr std::size_t PLIKOW_NA_PROCESOR = 4;

    Sprawozdanie konwertujPlik(std::size_t i)
    {
        const std::string& nazwa = wejscia_[i];
        if (!odmowy_[i].empty()) {
            return {{}, {odmowy_[i]}};
        }
        try {
            odrzucZamknietyStrumien(nazwa, pliki::BladPliku::Odczyt);
            const auto przedUtworzeniemWyjscia = [&] {
                if (const std::optional<std::size_t> inne = zbiorWejsc_.ktory(wyjscia_[i])) {
                    throw ZleUzycie{"plik wyjściowy " + cudzyslow(wyjscia_[i]) +
                                    " to ten sam plik co plik wejściowy " + cudzyslow(wejscia_[*inne])};
                }
                utworzFoldery(wyjscia_[i]);
            };
            const WynikWejscia wynikWejscia = konwertujWejscie(
                [&] {
                    // Only as many files convert at once as there are processors, each with the
                    // memory of its pieces; the sync that commits a file needs none.
                    pliki::KonwersjaDoPliku konwersja(wyjscia_[i], zadanie_);
                    pliki::WynikKonwersji wynik = [&] {
                        const Procesor procesor(wolneProcesory_);
                        return konwersja.dodaj(nazwa, przedUtworzeniemWyjscia, znane_[i]);
                    }();
                    konwersja.zatwierdz();
                    return wynik;
                },
                nazwa, wyjscia_[i], zadanie_);
            const std::string jak = wynikWejscia.bezLiter ? "bez polskich liter, bez zmian"
                                                          : nazwaStandardu(wynikWejscia.zrodlo) + " → " +
                                                                nazwaStandardu(zadanie_.cel);
            return {wJednymWierszu(nazwa) + " → " + wJednymWierszu(wyjscia_[i]) + " (" + jak + ")\n",
                    wynikWejscia.uwagi};
        } catch (const ZleUzycie& blad) {
            return {{}, {blad.komunikat}};
        } catch (const BladKonwersji& blad) {
            return {{}, {blad.komunikat}};
        } catch (const pliki::BladPliku& blad) {
            return {{}, {opisBleduPliku(blad)}};
        } catch (const std::bad_alloc&) {
            return {{}, {opisWejscia(nazwa) + ": za mało pamięci"}};
        }
    }

    // The folders of a tree below the output folder, as its files need them.
    static void utworzFoldery(const std::string& wyjscie)
    {
        const std::string folder = std::filesystem::path(wyjscie).parent_path().string();
        try {
            if (!folder.empty()) {
                pliki::UtworzFoldery(folder);
            }
        } catch (const pliki::BladPliku& blad) {
            throw BladKonwersji{"nie mogę utworzyć folderu " + cudzyslow(blad.nazwa) + ": " +
                                pliki::OpisBledu(blad.numer)};
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
    const Zadanie zadanie_;
    const pliki::ZbiorPlikow zbiorWejsc_;
    const std::vector<std::string> wyjscia_;
    const std::vector<std::optional<pliki::ZnanyPlik>> znane_;
    const std::vector<std::string> bledyFolderow_;
    // Why a file is refused before it is read; empty for the others.
    std::vector<std::string> odmowy_;
    std::atomic<std::size_t> nastepny_{0};
    const std::size_t procesory_ = pliki::LiczbaProcesorow();
    std::counting_semaphore<> wolneProcesory_{static_cast<std::ptrdiff_t>(procesory_)};
    std::mutex zgloszenia_;
    pliki::PlikWyjsciowy raport_;
    std::size_t udane_ = 0;
    std::optional<pliki::BladPliku> bladRaportu_;
};

}  // namespace

int konwertujPartie(const std::vector<std::string>& nazwy, const std::string& katalog, const Zadanie& zadanie,
                    bool rekurencyjnie)
{
    if (rekurencyjnie) {
        SprawdzKatalogPozaWejsciami(katalog, nazwy);
    }
    try {
        pliki::PrzygotujKatalog(katalog);
    } catch (const pliki::BladPliku& blad) {
        wypiszBlad("nie mogę utworzyć folderu " + cudzyslow(katalog) + ": " + pliki::OpisBledu(blad.numer));
        return KONIEC_BLAD_KONWERSJI;
    }
    return Partia(ZnajdzPliki(nazwy, katalog, rekurencyjnie), katalog, zadanie).wykonaj();
}

}  // namespace cli
