#include "pliki/wejscie.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "pliki/deskryptory.h"

namespace pliki {

PlikWejsciowy::PlikWejsciowy(const std::string& nazwa, const ZnanyPlik& znany) : nazwa_(nazwa)
{
    wlasny_ = Deskryptor(otworz(nazwa.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY));
    if (!wlasny_.otwarty()) {
        // A link at its end is not what the walk found either.
        throw BladPliku{BladPliku::Odczyt, nazwa_, errno == ELOOP ? ESTALE : errno};
    }
    if (::fstat(wlasny_.numer(), &stan_) != 0) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
    }
    if (!S_ISREG(stan_.st_mode) || Wezel(stan_) != znany) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, ESTALE};
    }
    deskryptor_ = wlasny_.numer();
    ::posix_fadvise(deskryptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

PlikWejsciowy::PlikWejsciowy(const std::string& nazwa) : nazwa_(nazwa)
{
    if (nazwa == "-") {
        nazwa_.clear();
        deskryptor_ = STDIN_FILENO;
    } else {
        // Without waiting: a pipe without a writer would otherwise hang here, out of
        // reach of a stop request.
        wlasny_ = Deskryptor(otworz(nazwa.c_str(), O_RDONLY | O_NONBLOCK));
        if (!wlasny_.otwarty()) {
            throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
        }
        deskryptor_ = wlasny_.numer();
    }
    if (::fstat(deskryptor_, &stan_) != 0) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
    }
    if (S_ISDIR(stan_.st_mode)) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, EISDIR};
    }
    if (S_ISREG(stan_.st_mode)) {
        ::posix_fadvise(deskryptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
}

std::size_t PlikWejsciowy::czytaj(char* bufor, std::size_t najwiecej, engine::Postep& postep)
{
    for (;;) {
        // A pipe opened without waiting reads as ended until its writer comes: only what
        // poll calls readable is read. On Linux a pipe that never had a writer stays
        // unreadable rather than ended.
        if (!S_ISREG(stan_.st_mode) && !czekajNa(deskryptor_, POLLIN, postep)) {
            throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
        }
        const ssize_t odczytane = ::read(deskryptor_, bufor, najwiecej);
        if (odczytane >= 0) {
            return static_cast<std::size_t>(odczytane);
        }
        if (errno != EINTR && errno != EAGAIN) {
            throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
        }
    }
}

void PlikWejsciowy::czytaj(std::string& bufor, std::size_t najwiecej, engine::Postep& postep)
{
    bufor.resize(najwiecej);
    bufor.resize(czytaj(bufor.data(), najwiecej, postep));
}

std::optional<std::uint64_t> PlikWejsciowy::rozmiar() const
{
    if (!S_ISREG(stan_.st_mode) || stan_.st_size <= 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(stan_.st_size);
}

std::optional<mode_t> PlikWejsciowy::prawa() const
{
    if (!S_ISREG(stan_.st_mode)) {
        return std::nullopt;
    }
    return stan_.st_mode & 07777;
}

bool PlikWejsciowy::jestTymSamymPlikiem(const std::string& wyjscie) const
{
    struct stat stan {};
    const int wynik = wyjscie == "-" ? ::fstat(STDOUT_FILENO, &stan) : ::stat(wyjscie.c_str(), &stan);
    return wynik == 0 && TenSamPlik(stan_, stan);
}

void PlikWejsciowy::powiekszPotok(std::size_t rozmiar) const
{
    powiekszJesliPotok(deskryptor_, rozmiar);
}

void PlikWejsciowy::zamknij()
{
    deskryptor_ = -1;
    if (wlasny_.zamknij() != 0) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
    }
}

bool TenSamPlik(const struct stat& pierwszy, const struct stat& drugi)
{
    if (S_ISCHR(pierwszy.st_mode) || S_ISCHR(drugi.st_mode)) {
        // A terminal, /dev/null or another character device holds no text that writing
        // would destroy: typing at a terminal and reading the answer there is its use.
        return false;
    }
    if (S_ISBLK(pierwszy.st_mode) || S_ISBLK(drugi.st_mode)) {
        // Two device nodes of one disk have inodes of their own.
        return S_ISBLK(pierwszy.st_mode) && S_ISBLK(drugi.st_mode) && pierwszy.st_rdev == drugi.st_rdev;
    }
    return TenSamWezel(pierwszy, drugi);
}

bool TenSamPlik(const std::string& pierwsza, const std::string& druga)
{
    struct stat a {};
    struct stat b {};
    return ::stat(pierwsza.c_str(), &a) == 0 && ::stat(druga.c_str(), &b) == 0 && TenSamPlik(a, b);
}

bool MoznaCzytac(const std::string& nazwa)
{
    struct stat stan {};
    if (::stat(nazwa.c_str(), &stan) != 0) {
        return false;
    }
    if (S_ISDIR(stan.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (S_ISFIFO(stan.st_mode)) {
        return ::faccessat(AT_FDCWD, nazwa.c_str(), R_OK, AT_EACCESS) == 0;
    }
    const int deskryptor = otworz(nazwa.c_str(), O_RDONLY | O_NONBLOCK);
    return deskryptor >= 0 && ::close(deskryptor) == 0;
}

}  // namespace pliki
