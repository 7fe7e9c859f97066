#include "engine/tests/wymuszany_wariant.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>

namespace engine {

namespace {

// -1: none forced.
std::atomic<int> wymuszony{-1};

}  // namespace

// Takes the place of the definition in biezacy_wariant.cpp: linked as an object, it is
// found before the engine's archive is searched, so that member is never pulled in.
Wariant BiezacyWariant()
{
    const int wybrany = wymuszony.load(std::memory_order_relaxed);
    return wybrany >= 0 ? static_cast<Wariant>(wybrany) : DostepneWarianty().back();
}

void WymusWariant(std::optional<Wariant> wariant)
{
    const std::vector<Wariant>& dostepne = DostepneWarianty();
    if (wariant && std::find(dostepne.begin(), dostepne.end(), *wariant) == dostepne.end()) {
        throw std::invalid_argument("Wariant niedostępny: " + std::string(NazwaWariantu(*wariant)));
    }
    wymuszony.store(wariant ? static_cast<int>(*wariant) : -1, std::memory_order_relaxed);
}

}  // namespace engine
