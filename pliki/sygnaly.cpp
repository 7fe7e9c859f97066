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

extern "C" void poSygnale(int numer)
{
    usunWszystkie();
    // The handler was reset to the default, so the program ends as the signal asks.
    ::raise(numer);
}

extern "C" void przyWyjsciu()
{
    usunWszystkie();
}

sigset_t zestawKonczacych()
{
    sigset_t zestaw;
    sigemptyset(&zestaw);
    for (const int numer : sygnalyKonczace) {
        sigaddset(&zestaw, numer);
    }
    return zestaw;
}

}  // namespace

void PrzygotujSygnaly()
{
    for (const int numer : sygnalyKonczace) {
        struct sigaction dzialanie {};
        // A signal ignored by whoever started us (nohup, a background job) stays ignored.
        if (::sigaction(numer, nullptr, &dzialanie) == 0 && dzialanie.sa_handler == SIG_IGN) {
            continue;
        }
        dzialanie = {};
        dzialanie.sa_handler = poSygnale;
        dzialanie.sa_flags = SA_RESETHAND;
        sigemptyset(&dzialanie.sa_mask);
        ::sigaction(numer, &dzialanie, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
    // A toolkit that gives up calls exit(), which skips every destructor.
    std::atexit(przyWyjsciu);
}

BezSygnalow::BezSygnalow()
{
    const sigset_t zestaw = zestawKonczacych();
    ::pthread_sigmask(SIG_BLOCK, &zestaw, &poprzednie_);
}

BezSygnalow::~BezSygnalow()
{
    ::pthread_sigmask(SIG_SETMASK, &poprzednie_, nullptr);
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

}  // namespace pliki
