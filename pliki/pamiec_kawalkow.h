#pragma once

#include <cstddef>

namespace pliki {

// Memory for the pieces of a conversion, in a mapping of its own rather than in malloc's
// pools: threads converting files one after another each took their pieces from one of those
// pools, and each pool kept resident the most it had ever held, so a batch on two processors
// held twice the pieces of the files that ever converted at once. A mapping handed back
// waits for the next conversion that asks for the same size, so a batch of files takes its
// pages from the system once; at most two for each processor wait, and beyond that the one
// waiting longest goes back to the system. Pages never touched take no memory.
class PamiecKawalkow {
public:
    // `ile` pieces of `rozmiar` bytes, each from the start of a page. Under AddressSanitizer
    // the bytes between one piece and the next are poisoned, so a write past a piece is
    // caught. Throws std::bad_alloc.
    PamiecKawalkow(std::size_t rozmiar, std::size_t ile);
    ~PamiecKawalkow();
    PamiecKawalkow(const PamiecKawalkow&) = delete;
    PamiecKawalkow& operator=(const PamiecKawalkow&) = delete;

    char* kawalek(std::size_t ktory) const { return dane_ + ktory * odstep_; }

    // How many mappings wait to be taken again.
    static std::size_t czekajace();
    // How many may wait at most.
    static std::size_t najwiecejCzekajacych();

private:
    std::size_t odstep_;
    std::size_t rozmiar_;
    char* dane_;
};

}  // namespace pliki
