#pragma once

#include <string>

namespace pliki {

// A failed file operation: which file (empty for a standard stream) and errno.
struct BladPliku {
    enum Czynnosc { Odczyt, Zapis };
    Czynnosc czynnosc;
    std::string nazwa;
    int numer;
};

}  // namespace pliki
