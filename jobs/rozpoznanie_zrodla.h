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

namespace zadania {

// The window reads at most 17 MiB of a file, so that a plain header of gigabytes does not
// keep it reading. When the first byte of 80 and above lies within the first GRANICA_ASCII
// bytes, the verdict is the command line's, whose recognition reads 1 MiB from there.
inline constexpr std::size_t GRANICA_ASCII = std::size_t{16} << 20;

// What the window learned of the standard of a file or of the text box.
struct WynikRozpoznania {
    // None when nothing was recognised: `uwaga` says why.
    std::optional<znakomat::Rozpoznanie> rozpoznanie;
    QString uwaga;
    // The standard the source list showed when the recognition began, and whether it reads
    // the text as the recognised one does, so that choosing the recognised one would
    // change nothing.
    int obecny = 0;
    bool obecnyDajeToSamo = false;
};

// Recognises the standard of the file `sciezka` as the command line's recognition does,
// from its beginning, reading a regular file only: no pipe, device or folder is opened. A
// stop request ends the reading between two pieces; the result is then of no use.
WynikRozpoznania RozpoznajPlik(const QString& sciezka, int obecny, std::stop_token stop = {});

// Recognises the standard of the text box's text, whose characters are read as the bytes
// the text conversion converts (the Windows-1250 mapping); a character without a byte
// counts as an ASCII one. As much of it as of a file: 1 MiB characters from the start.
WynikRozpoznania RozpoznajTekst(const QString& tekst, int obecny);

// The standard the source list should take after `wynik`, when what it shows was set by
// the window: none to leave it as it is (uncertain, no letters, or no difference).
std::optional<int> StandardDoWybrania(const WynikRozpoznania& wynik);

// What was found, in Polish, for a tooltip: of a file, or of the text box. `recznie` is
// the standard the user chose by hand, kept in the list, if any.
QString OpisRozpoznania(const WynikRozpoznania& wynik, bool plik, std::optional<int> recznie);

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
    void rozpoznano(const zadania::WynikRozpoznania& wynik);

private:
    // On the worker thread.
    void wykonaj(unsigned long long numer, const Zadanie& zadanie, std::stop_token stop);
    void zakonczone(unsigned long long numer, const WynikRozpoznania& wynik);

    unsigned long long ostatni_ = 0;
    // The request whose result is wanted, 0 for none.
    unsigned long long oczekiwane_ = 0;
    std::map<unsigned long long, std::jthread> watki_;
};

}  // namespace zadania
