#include "cli/partia.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <new>
#include <thread>

#include "cli/komunikaty.h"
#include "cli/konwersja.h"
#include "cli/strumienie.h"
#include "cli/uzycie.h"
#include "pliki/katalog.h"
#include "pliki/rozpoznany_poczatek.h"

namespace cli {

namespace {

// What -r prints for a text without Polish letters: no name of a standard.
constexpr std::string_view BEZ_LITER = "bez-liter";

std::string wierszRozpoznania(const std::string& nazwa, const znakomat::Rozpoznanie& rozpoznanie)
{
    const std::string standard = rozpoznanie.werdykt == znakomat::Werdykt::BezPolskichLiter
                                     ? std::string(BEZ_LITER)
                                     : nazwaStandardu(rozpoznanie.standard());
    return wJednymWierszu(nazwa) + "\t" + standard + "\t" + listaNazw(rozpoznanie.bliskie, ",") + "\n";
}

}  // namespace

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

namespace {

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

int konwertujPartie(std::vector<std::string> wejscia, const std::string& katalog, std::optional<int> zrodlo,
                    int cel)
{
    return Partia(std::move(wejscia), katalog, zrodlo, cel).wykonaj();
}

}  // namespace cli
