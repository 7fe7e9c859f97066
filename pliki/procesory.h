#pragma once

#include <cstddef>

namespace pliki {

// How many processors this process may run on, at least 1.
std::size_t LiczbaProcesorow();

// Counts one conversion running in this process while it lives, each converting on at least
// one processor.
class TrwajacaKonwersja {
public:
    TrwajacaKonwersja();
    ~TrwajacaKonwersja();
    TrwajacaKonwersja(const TrwajacaKonwersja&) = delete;
    TrwajacaKonwersja& operator=(const TrwajacaKonwersja&) = delete;

    // How many run now.
    static int ile();
};

}  // namespace pliki
