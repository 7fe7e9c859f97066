// Writes Polish-like text for measurements to standard output.
//
//   generuj_tekst ROZMIAR [STANDARD [ZIARNO]]
//
// ROZMIAR in bytes, with an optional K, M or G (binary); STANDARD a name as in
// znakomat-cli -l (Windows-EE when left out); the same ZIARNO gives the same text.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "bench/tekst_polski.h"
#include "engine/standardy.h"

namespace {

int standard(std::string_view nazwa)
{
    if (const std::optional<int> znaleziony = engine::ZnajdzStandard(nazwa)) {
        return *znaleziony;
    }
    throw std::invalid_argument("nieznany standard");
}

void zapisz(std::string_view dane)
{
    while (!dane.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, dane.data(), dane.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::strerror(errno));
        }
        dane.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::fputs("Użycie: generuj_tekst ROZMIAR[K|M|G] [STANDARD [ZIARNO]]\n", stderr);
        return 2;
    }
    try {
        std::size_t reszta = bench::CzytajRozmiar(argv[1]);
        const int cel = argc > 2 ? standard(argv[2]) : engine::WINDOWS_EE;
        const std::uint64_t ziarno = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
        bench::TekstPolski generator(cel, ziarno);
        std::string kawalek;
        while (reszta > 0) {
            kawalek.clear();
            const std::size_t n = std::min<std::size_t>(reszta, std::size_t{1} << 20);
            generator.dopisz(kawalek, n);
            reszta -= n;
            if (reszta == 0) {
                generator.zakoncz(kawalek);
            }
            zapisz(kawalek);
        }
    } catch (const std::exception& blad) {
        std::fprintf(stderr, "generuj_tekst: %s\n", blad.what());
        return 1;
    }
    return 0;
}
