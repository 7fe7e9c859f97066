#include "pliki.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace cli {

namespace {

// The temporary file for the signal handlers, which may use neither the heap nor locks.
char sciezkaDoUsuniecia[4096];
volatile sig_atomic_t jestDoUsuniecia = 0;

constexpr int sygnalyKonczace[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void poSygnale(int numer)
{
    if (jestDoUsuniecia != 0) {
        ::unlink(sciezkaDoUsuniecia);
    }
    // The handler was reset to the default, so the program ends as the signal asks.
    ::raise(numer);
}

// Holds the ending signals back while a temporary file comes or goes.
class BezSygnalow {
public:
    BezSygnalow()
    {
        sigset_t zestaw;
        sigemptyset(&zestaw);
        for (const int numer : sygnalyKonczace) {
            sigaddset(&zestaw, numer);
        }
        ::sigprocmask(SIG_BLOCK, &zestaw, &poprzedni_);
    }
    ~BezSygnalow() { ::sigprocmask(SIG_SETMASK, &poprzedni_, nullptr); }
    BezSygnalow(const BezSygnalow&) = delete;
    BezSygnalow& operator=(const BezSygnalow&) = delete;

private:
    sigset_t poprzedni_;
};

int otworz(const std::string& sciezka, int flagi)
{
    int deskryptor;
    do {
        deskryptor = ::open(sciezka.c_str(), flagi | O_CLOEXEC, 0666);
    } while (deskryptor < 0 && errno == EINTR);
    return deskryptor;
}

std::string folder(const std::string& sciezka)
{
    const std::size_t ukosnik = sciezka.rfind('/');
    return ukosnik == std::string::npos ? std::string() : sciezka.substr(0, ukosnik + 1);
}

// The file a chain of links ends at, even one that does not exist yet. False for a link
// of /proc (such as /dev/stdout), which names a stream already open, or for a loop of
// links (then `numerBledu` is set).
bool plikNaKoncuDowiazan(const std::string& nazwa, std::string& sciezka, int& numerBledu)
{
    sciezka = nazwa;
    for (int dowiazanie = 0;; ++dowiazanie) {
        struct stat stan {};
        if (::lstat(sciezka.c_str(), &stan) != 0 || !S_ISLNK(stan.st_mode)) {
            return true;
        }
        struct statfs system {};
        const std::string miejsce = folder(sciezka);
        if (::statfs(miejsce.empty() ? "." : miejsce.c_str(), &system) == 0 &&
            system.f_type == PROC_SUPER_MAGIC) {
            return false;
        }
        if (dowiazanie == 40) {
            numerBledu = ELOOP;
            return false;
        }
        std::string cel(static_cast<std::size_t>(stan.st_size) + 1, '\0');
        const ssize_t dlugosc = ::readlink(sciezka.c_str(), cel.data(), cel.size());
        if (dlugosc < 0 || static_cast<std::size_t>(dlugosc) >= cel.size()) {
            // Changed meanwhile: leave it to the system.
            return true;
        }
        cel.resize(static_cast<std::size_t>(dlugosc));
        sciezka = cel.front() == '/' ? cel : miejsce + cel;
    }
}

// Best effort: a pipe that cannot grow works as it is.
void powiekszJesliPotok(int deskryptor, std::size_t rozmiar)
{
    struct stat stan {};
    if (::fstat(deskryptor, &stan) == 0 && S_ISFIFO(stan.st_mode)) {
        ::fcntl(deskryptor, F_SETPIPE_SZ, static_cast<int>(rozmiar));
    }
}

}  // namespace

void PrzygotujSygnaly()
{
    for (const int numer : sygnalyKonczace) {
        struct sigaction dzialanie {};
        // A signal ignored by whoever started us (nohup, a background job) stays ignored.
        if (::sigaction(numer, nullptr, &dzialanie) == 0 && dzialanie.sa_handler == SIG_IGN) {
            continue;
        }
        dzialanie = {};
        dzialanie.sa_handler = poSygnale;
        dzialanie.sa_flags = SA_RESETHAND;
        sigemptyset(&dzialanie.sa_mask);
        ::sigaction(numer, &dzialanie, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

PlikWejsciowy::PlikWejsciowy(const std::string& nazwa) : nazwa_(nazwa)
{
    if (nazwa == "-") {
        nazwa_.clear();
        deskryptor_ = STDIN_FILENO;
    } else {
        deskryptor_ = otworz(nazwa, O_RDONLY);
        if (deskryptor_ < 0) {
            throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
        }
    }
    struct stat stan {};
    if (::fstat(deskryptor_, &stan) != 0) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
    }
    if (S_ISDIR(stan.st_mode)) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, EISDIR};
    }
    urzadzenie_ = stan.st_dev;
    wezel_ = stan.st_ino;
    zwykly_ = S_ISREG(stan.st_mode);
    if (zwykly_) {
        ::posix_fadvise(deskryptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
}

PlikWejsciowy::~PlikWejsciowy()
{
    if (deskryptor_ > STDIN_FILENO) {
        ::close(deskryptor_);
    }
}

void PlikWejsciowy::czytaj(std::string& bufor, std::size_t najwiecej)
{
    bufor.resize(najwiecej);
    for (;;) {
        const ssize_t odczytane = ::read(deskryptor_, bufor.data(), najwiecej);
        if (odczytane >= 0) {
            bufor.resize(static_cast<std::size_t>(odczytane));
            return;
        }
        if (errno != EINTR) {
            throw BladPliku{BladPliku::Odczyt, nazwa_, errno};
        }
    }
}

void PlikWejsciowy::powiekszPotok(std::size_t rozmiar) const
{
    powiekszJesliPotok(deskryptor_, rozmiar);
}

bool PlikWejsciowy::jestTymSamymPlikiem(const std::string& wyjscie) const
{
    struct stat stan {};
    const int wynik = wyjscie == "-" ? ::fstat(STDOUT_FILENO, &stan) : ::stat(wyjscie.c_str(), &stan);
    return wynik == 0 && zwykly_ && stan.st_dev == urzadzenie_ && stan.st_ino == wezel_;
}

PlikWyjsciowy::PlikWyjsciowy(const std::string& nazwa) : nazwa_(nazwa)
{
    if (nazwa == "-") {
        nazwa_.clear();
        deskryptor_ = STDOUT_FILENO;
        return;
    }
    int numerBledu = 0;
    if (!plikNaKoncuDowiazan(nazwa, docelowa_, numerBledu)) {
        if (numerBledu != 0) {
            blad(numerBledu);
        }
        // A stream the caller opened: keep what it holds, as the shell's >> would.
        deskryptor_ = otworz(nazwa, O_WRONLY | O_APPEND);
        if (deskryptor_ < 0) {
            blad(errno);
        }
        return;
    }
    struct stat stan {};
    if (::stat(docelowa_.c_str(), &stan) != 0) {
        utworzTymczasowy(docelowa_, nullptr);
    } else if (S_ISDIR(stan.st_mode)) {
        blad(EISDIR);
    } else if (S_ISREG(stan.st_mode)) {
        utworzTymczasowy(docelowa_, &stan);
    } else {
        deskryptor_ = otworz(docelowa_, O_WRONLY | O_TRUNC);
        if (deskryptor_ < 0) {
            blad(errno);
        }
    }
}

void PlikWyjsciowy::utworzTymczasowy(const std::string& sciezka, const struct stat* stary)
{
    const std::size_t ukosnik = sciezka.rfind('/');
    const std::size_t poczatekNazwy = ukosnik == std::string::npos ? 0 : ukosnik + 1;
    // Short enough for the longest name a folder takes.
    std::string wzor =
        sciezka.substr(0, poczatekNazwy) + "." + sciezka.substr(poczatekNazwy, 200) + ".XXXXXX";
    if (wzor.size() >= sizeof sciezkaDoUsuniecia) {
        blad(ENAMETOOLONG);
    }
    {
        const BezSygnalow bezSygnalow;
        deskryptor_ = ::mkostemp(wzor.data(), O_CLOEXEC);
        if (deskryptor_ < 0) {
            blad(errno);
        }
        tymczasowa_ = wzor;
        std::memcpy(sciezkaDoUsuniecia, wzor.c_str(), wzor.size() + 1);
        jestDoUsuniecia = 1;
    }
    if (stary != nullptr) {
        ::fchmod(deskryptor_, stary->st_mode & 07777);
        [[maybe_unused]] const int wlasciciel = ::fchown(deskryptor_, stary->st_uid, stary->st_gid);
    } else {
        const mode_t maska = ::umask(0);
        ::umask(maska);
        ::fchmod(deskryptor_, 0666 & ~maska);
    }
}

PlikWyjsciowy::~PlikWyjsciowy()
{
    if (deskryptor_ >= 0) {
        ::close(deskryptor_);
    }
    if (!tymczasowa_.empty()) {
        const BezSygnalow bezSygnalow;
        ::unlink(tymczasowa_.c_str());
        jestDoUsuniecia = 0;
    }
}

void PlikWyjsciowy::blad(int numerBledu) const
{
    throw BladPliku{BladPliku::Zapis, nazwa_, numerBledu};
}

void PlikWyjsciowy::zapisz(std::string_view dane)
{
    while (!dane.empty()) {
        const ssize_t zapisane = ::write(deskryptor_, dane.data(), dane.size());
        if (zapisane < 0) {
            if (errno == EINTR) {
                continue;
            }
            blad(errno);
        }
        dane.remove_prefix(static_cast<std::size_t>(zapisane));
    }
}

void PlikWyjsciowy::powiekszPotok(std::size_t rozmiar) const
{
    powiekszJesliPotok(deskryptor_, rozmiar);
}

void PlikWyjsciowy::zamknij()
{
    // Some file systems report a failed write only here.
    if (!tymczasowa_.empty() && ::fsync(deskryptor_) != 0) {
        blad(errno);
    }
    const int deskryptor = deskryptor_;
    deskryptor_ = -1;
    if (::close(deskryptor) != 0) {
        blad(errno);
    }
    if (tymczasowa_.empty()) {
        return;
    }
    {
        const BezSygnalow bezSygnalow;
        if (::rename(tymczasowa_.c_str(), docelowa_.c_str()) != 0) {
            blad(errno);
        }
        tymczasowa_.clear();
        jestDoUsuniecia = 0;
    }
    // The new name on disk too; a folder that refuses this still has the file.
    const std::string miejsce = folder(docelowa_);
    const int deskryptorFolderu = otworz(miejsce.empty() ? "." : miejsce, O_RDONLY | O_DIRECTORY);
    if (deskryptorFolderu >= 0) {
        ::fsync(deskryptorFolderu);
        ::close(deskryptorFolderu);
    }
}

}  // namespace cli
