#include "pliki/deskryptory.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace pliki {

int otworz(const char* sciezka, int flagi, unsigned tryb)
{
    return otworzW(AT_FDCWD, sciezka, flagi, tryb);
}

int otworzW(int folder, const char* nazwa, int flagi, unsigned tryb)
{
    int deskryptor;
    do {
        deskryptor = ::openat(folder, nazwa, flagi | O_CLOEXEC, static_cast<mode_t>(tryb));
    } while (deskryptor < 0 && errno == EINTR);
    return deskryptor;
}

bool czekajNa(int deskryptor, short zdarzenie, engine::Postep& postep)
{
    for (;;) {
        pollfd oczekiwanie{deskryptor, zdarzenie, 0};
        const int gotowe = ::poll(&oczekiwanie, 1, postep.odstepOczekiwania());
        if (gotowe > 0) {
            // Errors and hang-ups are for the read or write that follows to report.
            return true;
        }
        if (gotowe < 0 && errno != EINTR) {
            return false;
        }
        postep.sprawdz();
    }
}

int zapiszWszystko(int deskryptor, std::string_view dane, engine::Postep& postep)
{
    while (!dane.empty()) {
        const ssize_t zapisane = ::write(deskryptor, dane.data(), dane.size());
        if (zapisane >= 0) {
            dane.remove_prefix(static_cast<std::size_t>(zapisane));
        } else if (errno == EAGAIN) {
            if (!czekajNa(deskryptor, POLLOUT, postep)) {
                return errno;
            }
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

void powiekszJesliPotok(int deskryptor, std::size_t rozmiar)
{
    struct stat stan {};
    if (::fstat(deskryptor, &stan) == 0 && S_ISFIFO(stan.st_mode)) {
        ::fcntl(deskryptor, F_SETPIPE_SZ, static_cast<int>(rozmiar));
    }
}

}  // namespace pliki
