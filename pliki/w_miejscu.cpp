#include "pliki/w_miejscu.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "pliki/sygnaly.h"

namespace pliki {

bool ZapisWMiejscu::otworz(int folder, const std::string& nazwa)
{
    cel_ = Deskryptor(otworzW(folder, nazwa.c_str(), O_WRONLY | O_NONBLOCK));
    return cel_.otwarty();
}

int ZapisWMiejscu::przepisz(int tekst, off_t dlugosc)
{
    struct stat stan {};
    if (::fstat(cel_.numer(), &stan) != 0) {
        return errno;
    }
    if (::fallocate(cel_.numer(), FALLOC_FL_KEEP_SIZE, 0, dlugosc) != 0 && dlugosc > 0) {
        if (errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
            return errno;
        }
        // A file system that cannot claim space (ext2): the new length beyond the old is
        // written first, below; the holes of a sparse old text must fit in what is free.
        const off_t dziury = std::min(dlugosc, stan.st_size) - static_cast<off_t>(stan.st_blocks) * 512;
        struct statvfs miejsce {};
        if (dziury > 0 && ::fstatvfs(cel_.numer(), &miejsce) == 0 &&
            static_cast<std::uint64_t>(dziury) >
                (::geteuid() == 0 ? miejsce.f_bfree : miejsce.f_bavail) * miejsce.f_frsize) {
            return ENOSPC;
        }
    }
    {
        const BezSygnalow bezSygnalow;
        if (dlugosc > stan.st_size) {
            // The new end first: the disk running out stops the copy before the old text
            // is touched, and the old length comes back.
            if (const int numer = kopiuj(tekst, stan.st_size, dlugosc)) {
                [[maybe_unused]] const int obciete = ::ftruncate(cel_.numer(), stan.st_size);
                return numer;
            }
        }
        if (const int numer = kopiuj(tekst, 0, std::min(dlugosc, stan.st_size))) {
            return numer;
        }
        if (::ftruncate(cel_.numer(), dlugosc) != 0 || ::fsync(cel_.numer()) != 0) {
            return errno;
        }
    }
    return cel_.zamknij() != 0 ? errno : 0;
}

int ZapisWMiejscu::kopiuj(int tekst, off_t od, off_t doKonca)
{
    off_t skad = od;
    off_t dokad = od;
    std::string bufor;
    while (skad < doKonca) {
        const std::size_t ile = static_cast<std::size_t>(std::min<off_t>(doKonca - skad, off_t{1} << 20));
        ssize_t skopiowane = -1;
        if (kopiowanieJadra_) {
            skopiowane = ::copy_file_range(tekst, &skad, cel_.numer(), &dokad, ile, 0);
            if (skopiowane < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                   errno == EOPNOTSUPP || errno == EBADF)) {
                kopiowanieJadra_ = false;
                continue;
            }
        } else {
            bufor.resize(ile);
            skopiowane = ::pread(tekst, bufor.data(), ile, skad);
            if (skopiowane > 0) {
                skopiowane =
                    ::pwrite(cel_.numer(), bufor.data(), static_cast<std::size_t>(skopiowane), dokad);
                if (skopiowane > 0) {
                    skad += skopiowane;
                    dokad += skopiowane;
                }
            }
        }
        if (skopiowane == 0) {
            return EIO;
        }
        if (skopiowane < 0 && errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

}  // namespace pliki
