#include "pliki/tymczasowy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <random>
#include <utility>

#include "pliki/sygnaly.h"

namespace pliki {

namespace {

// The mark (U+2301) is one no keyboard types, so a user's own ".notes.znakomat-copy" never
// looks like a temporary.
constexpr std::string_view PRZYROSTEK_TYMCZASOWYCH = ".znakomat\u2301";
constexpr std::size_t LOSOWYCH_ZNAKOW = 6;

// Every temporary file carries this attribute while it is one: the name alone proves
// nothing, since anyone may make a file of that name.
constexpr const char* PODPIS_TYMCZASOWYCH = "user.znakomat.tymczasowy";
constexpr std::string_view TRESC_PODPISU = "znakomat";

// A hidden name beside the output: the output's name, cut at a character so that the
// whole stays within the 255 bytes a folder entry may have.
std::string nazwaTymczasowa(const std::string& nazwa)
{
    static constexpr std::string_view przyrostek = PRZYROSTEK_TYMCZASOWYCH;
    static constexpr std::size_t losowych = LOSOWYCH_ZNAKOW;
    std::size_t dlugosc = std::min(nazwa.size(), 255 - 1 - przyrostek.size() - losowych);
    while (dlugosc > 0 && dlugosc < nazwa.size() &&
           (static_cast<unsigned char>(nazwa[dlugosc]) & 0xC0) == 0x80) {
        --dlugosc;
    }
    static constexpr char znaki[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand losowanie(std::random_device{}());
    std::string wynik(1, '.');
    wynik.append(nazwa, 0, dlugosc);
    wynik += przyrostek;
    for (std::size_t i = 0; i < losowych; ++i) {
        wynik += znaki[losowanie() % (sizeof znaki - 1)];
    }
    return wynik;
}

// An unnamed file gets a name through /proc, which a container may lack.
bool moznaNadacNazwe()
{
    return ::access("/proc/self/fd", X_OK) == 0;
}

// Best effort: a file system without extended attributes keeps a killed run's temporary
// file, since nothing proves it the program's own.
void podpisz(int plik)
{
    ::fsetxattr(plik, PODPIS_TYMCZASOWYCH, TRESC_PODPISU.data(), TRESC_PODPISU.size(), 0);
}

}  // namespace

bool PlikTymczasowy::utworz(int folder, const std::string& nazwaWyjscia, unsigned tryb)
{
    if (sposob_ == Tymczasowy::BezNazwyGdzieMozna && moznaNadacNazwe()) {
        deskryptor_ = Deskryptor(otworzW(folder, ".", O_TMPFILE | O_RDWR, tryb));
        if (deskryptor_.otwarty()) {
            // Locked before it has a name, so that no other run takes it for left over.
            ::flock(deskryptor_.numer(), LOCK_EX | LOCK_NB);
            podpisz(deskryptor_.numer());
            folder_ = folder;
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return false;
        }
    }
    return utworzNazwany(folder, nazwaWyjscia, tryb);
}

bool PlikTymczasowy::utworzNazwany(int folder, const std::string& nazwaWyjscia, unsigned tryb)
{
    for (int proba = 0; proba < 100; ++proba) {
        const BezSygnalow bezSygnalow;
        const std::string nazwa = nazwaTymczasowa(nazwaWyjscia);
        const int bilet = ZarejestrujDoUsuniecia(folder, nazwa.c_str());
        if (bilet < 0) {
            errno = EMFILE;
            return false;
        }
        deskryptor_ = Deskryptor(otworzW(folder, nazwa.c_str(), O_RDWR | O_CREAT | O_EXCL, tryb));
        if (deskryptor_.otwarty() && (::flock(deskryptor_.numer(), LOCK_EX | LOCK_NB) != 0 ||
                                      !ToTenPlik(folder, nazwa.c_str(), deskryptor_.numer()))) {
            // Another run took it for left over between its making and its lock: a new name.
            deskryptor_.zamknij();
            Wyrejestruj(bilet);
            continue;
        }
        if (deskryptor_.otwarty()) {
            podpisz(deskryptor_.numer());
            folder_ = folder;
            nazwa_ = nazwa;
            bilet_ = bilet;
            return true;
        }
        const int numer = errno;
        Wyrejestruj(bilet);
        if (numer != EEXIST) {
            errno = numer;
            return false;
        }
    }
    errno = EEXIST;
    return false;
}

int PlikTymczasowy::nadajNazwe(const std::string& nazwaWyjscia)
{
    if (!nazwa_.empty()) {
        return 0;
    }
    const std::string dowiazanie = "/proc/self/fd/" + std::to_string(deskryptor_.numer());
    for (;;) {
        const std::string nazwa = nazwaTymczasowa(nazwaWyjscia);
        const int bilet = ZarejestrujDoUsuniecia(folder_, nazwa.c_str());
        if (::linkat(AT_FDCWD, dowiazanie.c_str(), folder_, nazwa.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            nazwa_ = nazwa;
            bilet_ = bilet;
            return 0;
        }
        const int numer = errno;
        Wyrejestruj(bilet);
        if (numer != EEXIST) {
            return numer;
        }
    }
}

int PlikTymczasowy::zastap(const std::string& nazwaWyjscia)
{
    // The output is not a temporary; a crash from here on leaves a file no run removes.
    ::fremovexattr(deskryptor_.numer(), PODPIS_TYMCZASOWYCH);
    if (::renameat(folder_, nazwa_.c_str(), folder_, nazwaWyjscia.c_str()) != 0) {
        return errno;
    }
    Wyrejestruj(std::exchange(bilet_, -1));
    nazwa_.clear();
    return 0;
}

int PlikTymczasowy::zamknij()
{
    usun();
    return deskryptor_.zamknij();
}

void PlikTymczasowy::usun()
{
    if (nazwa_.empty()) {
        return;
    }
    const BezSygnalow bezSygnalow;
    ::unlinkat(folder_, nazwa_.c_str(), 0);
    Wyrejestruj(std::exchange(bilet_, -1));
    nazwa_.clear();
}

bool MaNazweTymczasowego(std::string_view nazwa)
{
    const std::size_t przyrostek = nazwa.size() - std::min(nazwa.size(), LOSOWYCH_ZNAKOW);
    return nazwa.size() > 1 + PRZYROSTEK_TYMCZASOWYCH.size() + LOSOWYCH_ZNAKOW && nazwa.front() == '.' &&
           nazwa.substr(0, przyrostek).ends_with(PRZYROSTEK_TYMCZASOWYCH) &&
           std::all_of(nazwa.begin() + static_cast<std::ptrdiff_t>(przyrostek), nazwa.end(),
                       [](char znak) { return std::isalnum(static_cast<unsigned char>(znak)) != 0; });
}

bool MaPodpisTymczasowego(int plik)
{
    char podpis[16] = {};
    const ssize_t dlugosc = ::fgetxattr(plik, PODPIS_TYMCZASOWYCH, podpis, sizeof podpis);
    return dlugosc >= 0 && std::string_view(podpis, static_cast<std::size_t>(dlugosc)) == TRESC_PODPISU;
}

bool ToTenPlik(int folder, const char* nazwa, int deskryptor)
{
    struct stat wFolderze {};
    struct stat otwarty {};
    return ::fstatat(folder, nazwa, &wFolderze, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(deskryptor, &otwarty) == 0 && TenSamWezel(wFolderze, otwarty);
}

}  // namespace pliki
