#include "pliki/watki.h"

#include <pthread.h>

#include <atomic>

namespace pliki {

namespace {

std::atomic<int> trwajaceKonwersje{0};

}  // namespace

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

TrwajacaKonwersja::TrwajacaKonwersja()
{
    ++trwajaceKonwersje;
}

TrwajacaKonwersja::~TrwajacaKonwersja()
{
    --trwajaceKonwersje;
}

int TrwajacaKonwersja::ile()
{
    return trwajaceKonwersje.load();
}

}  // namespace pliki
