#include "pliki/porzucone.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>

#include "pliki/deskryptory.h"
#include "pliki/tymczasowy.h"

namespace pliki {

namespace {

// Whether the open file `plik` is provably a temporary that a run of this program left;
// its lock is taken here when it is free.
bool porzucony(int plik)
{
    struct stat stan {};
    return ::fstat(plik, &stan) == 0 && S_ISREG(stan.st_mode) && stan.st_uid == ::geteuid() &&
           stan.st_nlink == 1 && MaPodpisTymczasowego(plik) && ::flock(plik, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

PorzuconeTymczasowe& PorzuconeTymczasowe::programu()
{
    static PorzuconeTymczasowe wspolne;
    return wspolne;
}

// Each temporary file is locked while the run that made it lives; one that nobody holds
// was left by a run that was killed. A large folder is read again only after a while.
void PorzuconeTymczasowe::usunZ(int folder)
{
    static constexpr std::size_t DUZY_FOLDER = 256;
    static constexpr auto WAZNOSC = std::chrono::seconds(2);
    struct stat stan {};
    if (::fstat(folder, &stan) != 0) {
        return;
    }
    const Wezel klucz(stan);
    {
        const std::lock_guard zablokowane(blokada_);
        const auto przejrzany = duzePrzejrzane_.find(klucz);
        if (przejrzany != duzePrzejrzane_.end() &&
            std::chrono::steady_clock::now() - przejrzany->second < WAZNOSC) {
            return;
        }
    }
    // A folder that may not be read (opened only to name files in it) is left alone.
    Deskryptor doCzytania(otworzW(folder, ".", O_RDONLY | O_DIRECTORY));
    DIR* const wpisy = doCzytania.otwarty() ? ::fdopendir(doCzytania.numer()) : nullptr;
    if (wpisy == nullptr) {
        return;
    }
    doCzytania.oddaj();
    std::size_t liczba = 0;
    while (const dirent* wpis = ::readdir(wpisy)) {
        ++liczba;
        if (!MaNazweTymczasowego(wpis->d_name)) {
            continue;
        }
        const Deskryptor plik(otworzW(folder, wpis->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        if (plik.otwarty() && porzucony(plik.numer()) && ToTenPlik(folder, wpis->d_name, plik.numer())) {
            ::unlinkat(folder, wpis->d_name, 0);
        }
    }
    ::closedir(wpisy);
    if (liczba > DUZY_FOLDER) {
        const std::lock_guard zablokowane(blokada_);
        duzePrzejrzane_[klucz] = std::chrono::steady_clock::now();
    }
}

}  // namespace pliki
