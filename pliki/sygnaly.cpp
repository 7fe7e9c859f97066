#include "pliki/sygnaly.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace pliki {

namespace {

// Read by the signal handlers, which may use neither the heap nor locks: each entry is
// filled while marked busy and only then marked ready.
constexpr int WOLNE = 0;
constexpr int ZAJETE = 1;
constexpr int GOTOWE = 2;

struct DoUsuniecia {
    std::atomic<int> stan{WOLNE};
    int folder = -1;
    char nazwa[256] = {};
};

std::array<DoUsuniecia, 64> doUsuniecia;

constexpr int sygnalyKonczace[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void usunWszystkie()
{
    for (DoUsuniecia& plik : doUsuniecia) {
        if (plik.stan.load(std::memory_order_acquire) == GOTOWE) {
            ::unlinkat(plik.folder, plik.nazwa, 0);
        }
    }
}

// How many threads hold the ending signals back; -1 once the program is ending, when
// nobody may start holding any more. A signal that comes while some thread holds waits
// in `oczekujacySygnal` for the last of them to let go.
std::atomic<int> trzymajacych{0};
std::atomic<int> oczekujacySygnal{0};

[[noreturn]] void zakonczSygnalem(int numer)
{
    usunWszystkie();
    struct sigaction domyslne {};
    domyslne.sa_handler = SIG_DFL;
    sigemptyset(&domyslne.sa_mask);
    ::sigaction(numer, &domyslne, nullptr);
    sigset_t ten;
    sigemptyset(&ten);
    sigaddset(&ten, numer);
    ::pthread_sigmask(SIG_UNBLOCK, &ten, nullptr);
    // The program ends as the signal asks, so whoever started it sees which.
    ::raise(numer);
    ::_exit(128 + numer);
}

// Whoever turns the count from 0 to -1 ends the program.
bool zacznijKonczyc()
{
    int nikt = 0;
    return trzymajacych.compare_exchange_strong(nikt, -1);
}

extern "C" void poSygnale(int numer)
{
    oczekujacySygnal.store(numer);
    if (zacznijKonczyc()) {
        zakonczSygnalem(numer);
    }
    // Otherwise the last thread to let go ends the program.
}

extern "C" void przyWyjsciu()
{
    usunWszystkie();
}

// The signal waits while any thread holds BezSygnalow, then removes the temporaries and
// ends the program.
void zatrzymujSygnal(int numer)
{
    struct sigaction dzialanie {};
    // A signal ignored by whoever started us (nohup, a background job) stays ignored.
    if (::sigaction(numer, nullptr, &dzialanie) == 0 && dzialanie.sa_handler == SIG_IGN) {
        return;
    }
    dzialanie = {};
    dzialanie.sa_handler = poSygnale;
    // Not reset on the first signal: a second one while an output is rewritten must
    // wait as the first does.
    dzialanie.sa_flags = SA_RESTART;
    sigfillset(&dzialanie.sa_mask);
    ::sigaction(numer, &dzialanie, nullptr);
}

}  // namespace

void PrzygotujSygnaly(ZamknietyPotok potok)
{
    for (const int numer : sygnalyKonczace) {
        zatrzymujSygnal(numer);
    }
    std::signal(SIGXFSZ, SIG_IGN);
    if (potok == ZamknietyPotok::JestBledem) {
        std::signal(SIGPIPE, SIG_IGN);
    } else {
        // A report line written into a closed pipe ends the program as the others do:
        // only once no output is being rewritten in place.
        zatrzymujSygnal(SIGPIPE);
    }
    // A toolkit that gives up calls exit(), which skips every destructor.
    std::atexit(przyWyjsciu);
}

BezSygnalow::BezSygnalow()
{
    for (int teraz = trzymajacych.load();;) {
        if (teraz < 0) {
            // The program is ending: this thread waits for it rather than start anything.
            for (;;) {
                ::pause();
            }
        }
        if (trzymajacych.compare_exchange_weak(teraz, teraz + 1)) {
            return;
        }
    }
}

BezSygnalow::~BezSygnalow()
{
    if (trzymajacych.fetch_sub(1) == 1 && oczekujacySygnal.load() != 0 && zacznijKonczyc()) {
        zakonczSygnalem(oczekujacySygnal.load());
    }
}

int ZarejestrujDoUsuniecia(int folder, const char* nazwa)
{
    if (std::strlen(nazwa) >= sizeof DoUsuniecia::nazwa) {
        return -1;
    }
    for (std::size_t i = 0; i < doUsuniecia.size(); ++i) {
        int wolne = WOLNE;
        if (doUsuniecia[i].stan.compare_exchange_strong(wolne, ZAJETE, std::memory_order_acquire)) {
            doUsuniecia[i].folder = folder;
            std::strcpy(doUsuniecia[i].nazwa, nazwa);
            doUsuniecia[i].stan.store(GOTOWE, std::memory_order_release);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Wyrejestruj(int bilet)
{
    if (bilet >= 0) {
        doUsuniecia[static_cast<std::size_t>(bilet)].stan.store(WOLNE, std::memory_order_release);
    }
}

WatkiBezSygnalow::WatkiBezSygnalow()
{
    sigset_t zestaw;
    sigfillset(&zestaw);
    for (const int wlasny : {SIGPIPE, SIGXFSZ, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS}) {
        sigdelset(&zestaw, wlasny);
    }
    ::pthread_sigmask(SIG_BLOCK, &zestaw, &poprzednie_);
}

WatkiBezSygnalow::~WatkiBezSygnalow()
{
    ::pthread_sigmask(SIG_SETMASK, &poprzednie_, nullptr);
}

}  // namespace pliki
