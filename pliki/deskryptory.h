#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <string_view>
#include <utility>

#include "engine/postep.h"
#include "pliki/blad_pliku.h"

// The library's own helpers around file descriptors.
namespace pliki {

// An open descriptor, closed when it goes: a constructor that refuses its file half way
// leaves none behind. Its number is -1 when it holds none.
class Deskryptor {
public:
    Deskryptor() = default;
    explicit Deskryptor(int numer) : numer_(numer) {}
    ~Deskryptor() { zamknij(); }
    Deskryptor(Deskryptor&& inny) noexcept : numer_(std::exchange(inny.numer_, -1)) {}
    Deskryptor& operator=(Deskryptor&& inny) noexcept
    {
        if (this != &inny) {
            zamknij();
            numer_ = std::exchange(inny.numer_, -1);
        }
        return *this;
    }
    Deskryptor(const Deskryptor&) = delete;
    Deskryptor& operator=(const Deskryptor&) = delete;

    int numer() const { return numer_; }
    bool otwarty() const { return numer_ >= 0; }

    // close(2)'s result: some file systems report a failed write only there.
    int zamknij() { return numer_ >= 0 ? ::close(std::exchange(numer_, -1)) : 0; }

    // The number, for whoever closes it from now on (fdopendir).
    int oddaj() { return std::exchange(numer_, -1); }

private:
    int numer_ = -1;
};

// Which file a stat(2) result is of, whatever name or link reached it: one inode of one
// file system. Equal nodes are one file.
struct Wezel {
    dev_t urzadzenie = 0;
    ino_t inode = 0;

    Wezel() = default;
    explicit Wezel(const struct stat& stan) : urzadzenie(stan.st_dev), inode(stan.st_ino) {}

    friend auto operator<=>(const Wezel&, const Wezel&) = default;
};

inline bool TenSamWezel(const struct stat& pierwszy, const struct stat& drugi)
{
    return Wezel(pierwszy) == Wezel(drugi);
}

// open(2) with O_CLOEXEC, repeated after a signal; -1 and errno on failure.
int otworz(const char* sciezka, int flagi, unsigned tryb = 0666);
int otworzW(int folder, const char* nazwa, int flagi, unsigned tryb = 0666);

// Waits until `deskryptor` is ready for `zdarzenie` (POLLIN, POLLOUT), asking `postep`
// between waits. False with errno set when poll fails.
bool czekajNa(int deskryptor, short zdarzenie, engine::Postep& postep);

// Writes all of `dane`, waiting for a full pipe through `postep`; 0, or errno.
int zapiszWszystko(int deskryptor, std::string_view dane, engine::Postep& postep);

// Best effort: a pipe that cannot grow works as it is.
void powiekszJesliPotok(int deskryptor, std::size_t rozmiar);

}  // namespace pliki
