#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "engine/rozpoznawanie.h"
#include "pliki/deskryptory.h"

namespace jobs {

// The window reads at most 17 MiB of a file, so that a plain header of gigabytes does not
// keep it reading. When the first byte of 80 and above lies within the first GRANICA_ASCII
// bytes, the verdict is the command line's, whose recognition reads 1 MiB from there.
inline constexpr std::size_t GRANICA_ASCII = std::size_t{16} << 20;

// What tells that a file changed: another file under its name, another length, or
// another modification time.
struct StanPliku {
    pliki::Wezel wezel;
    long long rozmiar = 0;
    long long sekundy = 0;
    long long nanosekundy = 0;

    bool operator==(const StanPliku&) const = default;
};

// The file's state now; none when it cannot be looked at.
std::optional<StanPliku> StanPlikuTeraz(const QString& sciezka);

// What the window learned of the standard of a file or of the text box.
struct WynikRozpoznania {
    // None when nothing was recognised: `uwaga` says why.
    std::optional<engine::Rozpoznanie> rozpoznanie;
    QString uwaga;
    // The standard the source list showed when the recognition began, and whether it reads
    // the text as the recognised one does, so that choosing the recognised one would
    // change nothing.
    int obecny = 0;
    bool obecnyDajeToSamo = false;
    // ... or as one of the standards an uncertain verdict names.
    bool obecnyPasuje = false;
    // Of a file: its state when it was looked at, before it was read.
    std::optional<StanPliku> stanPliku;
};

// A verdict for another standard moves the list off a standard the window set only when
// that standard's own reading scores this many nats below the verdict's: a certain verdict
// is PROG_BLISKOSCI ahead of the second reading, which says little of how far behind the
// list's one is. Measured on held-out Windows-EE prose of one line and more.
inline constexpr double PROG_ZMIANY = 12.0;
// A text that reads as ordinary Polish in the list's standard keeps it. One that does so
// with foreign letters keeps it unless it trails by this many: a foreign word ("Noël" in
// Windows-EE) trails the likeliest Polish reading by about 20 nats, Polish letters of
// AmigaPL or ELWRO-Junior read as Windows-EE's foreign letters mostly by 35 and more.
inline constexpr double PROG_ZWYCZAJNEGO = 30.0;

// What the source list does with a verdict while what it shows was set by the window.
struct WyborZrodla {
    enum class Powod {
        NicDoWyboru,               // nothing recognised, no letters, or uncertain and the list fits
        Rozpoznany,                // the recognised standard is taken
        NajbardziejPrawdopodobny,  // uncertain, the list's standard is none of those that fit
        TenSamWynik,               // the list's standard converts the text alike
        ZwyczajnyTekst,            // the text reads as ordinary text in the list's standard
        NiewieleGorszy,            // the list's standard is not PROG_ZMIANY behind
    };
    Powod powod = Powod::NicDoWyboru;
    // The standard to take, for Rozpoznany and NajbardziejPrawdopodobny.
    std::optional<int> standard;
};

// Recognises the standard of the file `sciezka` as the command line's recognition does,
// from its beginning, reading a regular file only: no pipe, device or folder is opened. A
// stop request ends the reading between two pieces; the result is then of no use.
WynikRozpoznania RozpoznajPlik(const QString& sciezka, int obecny, std::stop_token stop = {});

// Recognises the standard of the text box's text, whose characters are read as the bytes
// the text conversion converts (the Windows-1250 mapping); a character without a byte
// counts as an ASCII one. As much of it as of a file: 1 MiB characters from the start.
WynikRozpoznania RozpoznajTekst(const QString& tekst, int obecny);

// What the source list should do after `wynik`, when what it shows was set by the window.
// The list's standard is a prior: kept for a text that reads as ordinary text in it, and
// unless it scores clearly below the verdict.
WyborZrodla WybierzZrodlo(const WynikRozpoznania& wynik);
// The standard the list should take, if any.
std::optional<int> StandardDoWybrania(const WynikRozpoznania& wynik);

// What was found, in Polish, for a tooltip: of a file, or of the text box. `recznie` is
// the standard the user chose by hand, kept in the list, if any. `poKonwersji`: a
// conversion runs, and the list follows the verdict once it ends.
QString OpisRozpoznania(const WynikRozpoznania& wynik, bool plik, std::optional<int> recznie,
                        bool poKonwersji = false);

// Runs recognitions off the calling thread, whose event loop gets the results. A new
// request supersedes the one before: that one is asked to stop and its result dropped.
// Destroying the object stops and waits for whatever still runs.
class RozpoznawanieWTle : public QObject {
    Q_OBJECT

public:
    using Zadanie = std::function<WynikRozpoznania(std::stop_token)>;

    using QObject::QObject;
    ~RozpoznawanieWTle() override;

    void rozpoznaj(Zadanie zadanie);
    // Drops the request still running, if any.
    void porzuc();
    bool trwa() const { return oczekiwane_ != 0; }

signals:
    void rozpoznano(const jobs::WynikRozpoznania& wynik);

private:
    // On the worker thread.
    void wykonaj(unsigned long long numer, const Zadanie& zadanie, std::stop_token stop);
    void zakonczone(unsigned long long numer, const WynikRozpoznania& wynik);

    unsigned long long ostatni_ = 0;
    // The request whose result is wanted, 0 for none.
    unsigned long long oczekiwane_ = 0;
    std::map<unsigned long long, std::jthread> watki_;
};

}  // namespace jobs
