#include "pliki/procesory.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace pliki {

namespace {

std::atomic<int> trwajaceKonwersje{0};

}  // namespace

std::size_t LiczbaProcesorow()
{
    cpu_set_t procesory;
    CPU_ZERO(&procesory);
    if (::sched_getaffinity(0, sizeof procesory, &procesory) != 0) {
        return std::max(1u, std::thread::hardware_concurrency());
    }
    return static_cast<std::size_t>(std::max(1, CPU_COUNT(&procesory)));
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
