#include "pliki/pamiec_kawalkow.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "pliki/procesory.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZNAKOMAT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZNAKOMAT_ASAN 1
#endif
#endif
#ifdef ZNAKOMAT_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace pliki {

namespace {

std::size_t strona()
{
    return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// `rozmiar` rounded up to whole pages; under AddressSanitizer with a page more, so that every
// piece has poisoned bytes after it.
std::size_t odstepKawalkow(std::size_t rozmiar)
{
    std::size_t odstep = (std::max<std::size_t>(rozmiar, 1) + strona() - 1) / strona() * strona();
#ifdef ZNAKOMAT_ASAN
    odstep += strona();
#endif
    return odstep;
}

char* odSystemu(std::size_t rozmiar)
{
    void* const dane = ::mmap(nullptr, rozmiar, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (dane == MAP_FAILED) {
        throw std::bad_alloc();
    }
    return static_cast<char*>(dane);
}

// The mappings handed back, waiting for a conversion that needs the same size.
class Czekajace {
public:
    // Room for all that may wait, so that handing memory back never allocates.
    Czekajace() { mapowania_.reserve(najwiecej_); }

    // The latest handed back of that size, or none.
    char* wez(std::size_t rozmiar)
    {
        const std::lock_guard blokada(mutex_);
        for (auto it = mapowania_.rbegin(); it != mapowania_.rend(); ++it) {
            if (it->second == rozmiar) {
                char* const dane = it->first;
                mapowania_.erase(std::next(it).base());
                return dane;
            }
        }
        return nullptr;
    }

    // When as many wait as may, the one waiting longest goes back to the system.
    void oddaj(char* dane, std::size_t rozmiar)
    {
        std::pair<char*, std::size_t> najstarsze{nullptr, 0};
        {
            const std::lock_guard blokada(mutex_);
            if (mapowania_.size() == najwiecej_) {
                najstarsze = mapowania_.front();
                mapowania_.erase(mapowania_.begin());
            }
            mapowania_.emplace_back(dane, rozmiar);
        }
        if (najstarsze.first != nullptr) {
            ::munmap(najstarsze.first, najstarsze.second);
        }
    }

    std::size_t ile()
    {
        const std::lock_guard blokada(mutex_);
        return mapowania_.size();
    }

    std::size_t najwiecej() const { return najwiecej_; }

private:
    // Two rings for each conversion that may run at once: no more ever wait where every
    // conversion asks for the same sizes.
    const std::size_t najwiecej_ = 2 * LiczbaProcesorow();
    std::mutex mutex_;
    std::vector<std::pair<char*, std::size_t>> mapowania_;
};

// Never destroyed: a thread may still hand memory back while the process ends.
Czekajace& kolejka()
{
    static Czekajace* const wszystkie = new Czekajace;
    return *wszystkie;
}

}  // namespace

PamiecKawalkow::PamiecKawalkow(std::size_t rozmiar, std::size_t ile)
    : odstep_(odstepKawalkow(rozmiar)), rozmiar_(ile * odstep_), dane_(kolejka().wez(rozmiar_))
{
    if (dane_ == nullptr) {
        dane_ = odSystemu(rozmiar_);
    }
#ifdef ZNAKOMAT_ASAN
    for (std::size_t i = 0; i < ile; ++i) {
        ASAN_POISON_MEMORY_REGION(kawalek(i) + rozmiar, odstep_ - rozmiar);
    }
#endif
}

PamiecKawalkow::~PamiecKawalkow()
{
#ifdef ZNAKOMAT_ASAN
    ASAN_UNPOISON_MEMORY_REGION(dane_, rozmiar_);
#endif
    kolejka().oddaj(dane_, rozmiar_);
}

std::size_t PamiecKawalkow::czekajace()
{
    return kolejka().ile();
}

std::size_t PamiecKawalkow::najwiecejCzekajacych()
{
    return kolejka().najwiecej();
}

}  // namespace pliki
