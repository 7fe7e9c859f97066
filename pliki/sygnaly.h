#pragma once

#include <signal.h>

namespace pliki {

// From now on SIGINT, SIGTERM, SIGHUP and SIGQUIT, and exit() too, remove every unfinished
// named temporary file before the program ends, and a file size limit makes a write fail
// instead of ending the program. Call once, early in main.
void PrzygotujSygnaly();

// Holds the ending signals back in this thread while it lives, so that a temporary file
// and its entry in the list of files to remove come and go together.
class BezSygnalow {
public:
    BezSygnalow();
    ~BezSygnalow();
    BezSygnalow(const BezSygnalow&) = delete;
    BezSygnalow& operator=(const BezSygnalow&) = delete;

private:
    sigset_t poprzednie_;
};

// A named temporary file that a signal or exit() removes: its folder and its name within
// it. Register under BezSygnalow. Returns a ticket for Wyrejestruj, or -1 when the list
// is full.
int ZarejestrujDoUsuniecia(int folder, const char* nazwa);
void Wyrejestruj(int bilet);

}  // namespace pliki
