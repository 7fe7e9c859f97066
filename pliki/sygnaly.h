#pragma once

#include <signal.h>

namespace pliki {

// What a write into a pipe whose reader has gone does: end the program quietly, as a shell
// tool in a pipeline does, or fail as an error the user is told of, as in a window.
enum class ZamknietyPotok { KonczyProgram, JestBledem };

// The program's one signal policy. From now on SIGINT, SIGTERM, SIGHUP and SIGQUIT, and
// exit() too, remove every unfinished named temporary file before the program ends; a file
// size limit makes a write fail instead of ending the program; a closed pipe does what
// `potok` says, and when it ends the program it waits for BezSygnalow as they do. Call
// once, early in main.
void PrzygotujSygnaly(ZamknietyPotok potok = ZamknietyPotok::KonczyProgram);

// While any thread holds one, an ending signal that comes, to whichever thread, waits: the
// program ends once the last is gone. So a temporary file and its entry in the list of
// files to remove come and go together, and an output being rewritten in place is
// finished before the program ends. The signal's handler then takes no lock, so a thread
// may hold one and take the signal itself.
class BezSygnalow {
public:
    BezSygnalow();
    ~BezSygnalow();
    BezSygnalow(const BezSygnalow&) = delete;
    BezSygnalow& operator=(const BezSygnalow&) = delete;
};

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

// A named temporary file that a signal or exit() removes: its folder and its name within
// it. Register under BezSygnalow. Returns a ticket for Wyrejestruj, or -1 when the list
// is full.
int ZarejestrujDoUsuniecia(int folder, const char* nazwa);
void Wyrejestruj(int bilet);

}  // namespace pliki
