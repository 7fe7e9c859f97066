#pragma once

#include <signal.h>

namespace pliki {

// While it lives, threads started by this one take no signal sent to the whole process, so
// those keep reaching the thread that handles them. A write still gets its own SIGPIPE and
// SIGXFSZ, as it would in one thread.
class WatkiBezSygnalow {
public:
    WatkiBezSygnalow();
    ~WatkiBezSygnalow();
    WatkiBezSygnalow(const WatkiBezSygnalow&) = delete;
    WatkiBezSygnalow& operator=(const WatkiBezSygnalow&) = delete;

private:
    sigset_t poprzednie_;
};

// Counts one conversion running in this process while it lives, each converting on at least
// one processor.
class TrwajacaKonwersja {
public:
    TrwajacaKonwersja();
    ~TrwajacaKonwersja();
    TrwajacaKonwersja(const TrwajacaKonwersja&) = delete;
    TrwajacaKonwersja& operator=(const TrwajacaKonwersja&) = delete;

    // How many run now.
    static int ile();
};

}  // namespace pliki
