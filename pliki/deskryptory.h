#pragma once

#include <cstddef>
#include <string_view>

#include "pliki/nadzor.h"

// The library's own helpers around file descriptors.
namespace pliki {

// open(2) with O_CLOEXEC, repeated after a signal; -1 and errno on failure.
int otworz(const char* sciezka, int flagi, unsigned tryb = 0666);
int otworzW(int folder, const char* nazwa, int flagi, unsigned tryb = 0666);

// Waits until `deskryptor` is ready for `zdarzenie` (POLLIN, POLLOUT), asking `nadzor`
// between waits. False with errno set when poll fails.
bool czekajNa(int deskryptor, short zdarzenie, Nadzor& nadzor);

// Writes all of `dane`, waiting for a full pipe through `nadzor`; 0, or errno.
int zapiszWszystko(int deskryptor, std::string_view dane, Nadzor& nadzor);

// Best effort: a pipe that cannot grow works as it is.
void powiekszJesliPotok(int deskryptor, std::size_t rozmiar);

}  // namespace pliki
