#include "pliki/wyjscie.h"

#include <acl/libacl.h>
#include <attr/libattr.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <utility>

#include "pliki/deskryptory.h"
#include "pliki/sygnaly.h"

namespace pliki {

namespace {

std::atomic<bool> nazwaneTymczasowe{false};

std::string folderSciezki(const std::string& sciezka)
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
        const std::string miejsce = folderSciezki(sciezka);
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

// The mode a new output is made with, before the umask: readable and writable by its owner,
// and by the group and others only as far as they may read and write the file its text
// comes from, so that a private text stays private.
unsigned trybNowego(std::optional<mode_t> prawaZrodla)
{
    return 0666 & (prawaZrodla.value_or(0666) | 0600);
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

int zamknijFolder(int folder)
{
    return folder >= 0 ? ::close(folder) : 0;
}

bool jestNazwaTymczasowa(std::string_view nazwa)
{
    const std::size_t przyrostek = nazwa.size() - std::min(nazwa.size(), LOSOWYCH_ZNAKOW);
    return nazwa.size() > 1 + PRZYROSTEK_TYMCZASOWYCH.size() + LOSOWYCH_ZNAKOW && nazwa.front() == '.' &&
           nazwa.substr(0, przyrostek).ends_with(PRZYROSTEK_TYMCZASOWYCH) &&
           std::all_of(nazwa.begin() + static_cast<std::ptrdiff_t>(przyrostek), nazwa.end(),
                       [](char znak) { return std::isalnum(static_cast<unsigned char>(znak)) != 0; });
}

// Whether `deskryptor` is still the file `nazwa` names in `folder`.
bool toTenPlik(int folder, const char* nazwa, int deskryptor)
{
    struct stat wFolderze {};
    struct stat otwarty {};
    return ::fstatat(folder, nazwa, &wFolderze, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(deskryptor, &otwarty) == 0 && TenSamWezel(wFolderze, otwarty);
}

// Whether the open file `plik` is provably a temporary that a run of this program left: a
// regular file of this user with no other link, the program's signature, and no run
// holding its lock (taken here when it is free). Anything else may be someone's own file.
bool porzuconyTymczasowy(int plik)
{
    struct stat stan {};
    if (::fstat(plik, &stan) != 0 || !S_ISREG(stan.st_mode) || stan.st_uid != ::geteuid() ||
        stan.st_nlink != 1) {
        return false;
    }
    char podpis[16] = {};
    const ssize_t dlugosc = ::fgetxattr(plik, PODPIS_TYMCZASOWYCH, podpis, sizeof podpis);
    return dlugosc >= 0 && std::string_view(podpis, static_cast<std::size_t>(dlugosc)) == TRESC_PODPISU &&
           ::flock(plik, LOCK_EX | LOCK_NB) == 0;
}

// Each temporary file is locked while the run that made it lives; one that nobody holds
// was left by a run that was killed (SIGKILL, a power cut) and is removed. A large folder
// is read again only after a while, so that a batch of many files into it stays cheap.
void usunPorzuconeTymczasowe(int folder)
{
    static constexpr std::size_t DUZY_FOLDER = 256;
    static constexpr auto WAZNOSC = std::chrono::seconds(2);
    static std::mutex blokada;
    static std::map<std::pair<dev_t, ino_t>, std::chrono::steady_clock::time_point> duzePrzejrzane;
    struct stat stan {};
    if (::fstat(folder, &stan) != 0) {
        return;
    }
    const std::pair klucz(stan.st_dev, stan.st_ino);
    {
        const std::lock_guard zablokowane(blokada);
        const auto przejrzany = duzePrzejrzane.find(klucz);
        if (przejrzany != duzePrzejrzane.end() &&
            std::chrono::steady_clock::now() - przejrzany->second < WAZNOSC) {
            return;
        }
    }
    // A folder that may not be read (opened only to name files in it) is left alone.
    const int doCzytania = otworzW(folder, ".", O_RDONLY | O_DIRECTORY);
    DIR* const wpisy = doCzytania >= 0 ? ::fdopendir(doCzytania) : nullptr;
    if (wpisy == nullptr) {
        zamknijFolder(doCzytania);
        return;
    }
    std::size_t liczba = 0;
    while (const dirent* wpis = ::readdir(wpisy)) {
        ++liczba;
        if (!jestNazwaTymczasowa(wpis->d_name)) {
            continue;
        }
        const int plik = otworzW(folder, wpis->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (plik < 0) {
            continue;
        }
        if (porzuconyTymczasowy(plik) && toTenPlik(folder, wpis->d_name, plik)) {
            ::unlinkat(folder, wpis->d_name, 0);
        }
        ::close(plik);
    }
    ::closedir(wpisy);
    if (liczba > DUZY_FOLDER) {
        const std::lock_guard zablokowane(blokada);
        duzePrzejrzane[klucz] = std::chrono::steady_clock::now();
    }
}

// The replacement gets the old output's access control list and extended attributes,
// so that it is the same file to everyone. False when they cannot all be copied.
bool skopiujUprawnienia(int zrodlo, int cel)
{
    return ::perm_copy_fd(nullptr, zrodlo, nullptr, cel, nullptr) == 0 &&
           ::attr_copy_fd(nullptr, zrodlo, nullptr, cel, nullptr, nullptr) == 0;
}

}  // namespace

void UzywajNazwanychTymczasowych(bool tak)
{
    nazwaneTymczasowe = tak;
}

PlikWyjsciowy::PlikWyjsciowy(const std::string& nazwa, engine::Postep& postep,
                             std::optional<mode_t> prawaZrodla)
    : nazwa_(nazwa)
{
    if (nazwa == "-") {
        nazwa_.clear();
        deskryptor_ = STDOUT_FILENO;
        return;
    }
    std::string sciezka;
    int numerBledu = 0;
    if (!plikNaKoncuDowiazan(nazwa, sciezka, numerBledu)) {
        if (numerBledu != 0) {
            blad(numerBledu);
        }
        // A stream the caller opened: keep what it holds, as the shell's >> would.
        deskryptor_ = otworz(nazwa.c_str(), O_WRONLY | O_APPEND);
        if (deskryptor_ < 0) {
            blad(errno);
        }
        return;
    }
    const std::string folder = folderSciezki(sciezka);
    nazwaWFolderze_ = sciezka.substr(folder.size());
    if (nazwaWFolderze_.empty() || nazwaWFolderze_ == "." || nazwaWFolderze_ == "..") {
        blad(EISDIR);
    }
    const char* sciezkaFolderu = folder.empty() ? "." : folder.c_str();
    folder_ = Deskryptor(otworz(sciezkaFolderu, O_RDONLY | O_DIRECTORY));
    if (!folder_.otwarty() && errno == EACCES) {
        // Enough to name files in it, though not to sync it.
        folder_ = Deskryptor(otworz(sciezkaFolderu, O_PATH | O_DIRECTORY));
    }
    if (!folder_.otwarty()) {
        blad(errno);
    }
    usunPorzuconeTymczasowe(folder_.numer());

    struct stat stan {};
    if (::fstatat(folder_.numer(), nazwaWFolderze_.c_str(), &stan, 0) != 0) {
        if (errno != ENOENT) {
            blad(errno);
        }
        // A new file, with the mode the user's umask gives, as far as its source allows.
        if (!utworzTymczasowy(folder_.numer(), trybNowego(prawaZrodla))) {
            blad(errno);
        }
        sposob_ = Sposob::Zastapienie;
        return;
    }
    if (S_ISDIR(stan.st_mode)) {
        blad(EISDIR);
    }
    if (!S_ISREG(stan.st_mode)) {
        otworzStrumien(sciezka.c_str(), S_ISFIFO(stan.st_mode), postep);
        return;
    }
    // Opened with the user's own rights, as the shell's > would: a file they may not
    // write is refused, however the folder lets them replace it.
    cel_ = Deskryptor(otworzW(folder_.numer(), nazwaWFolderze_.c_str(), O_WRONLY | O_NONBLOCK));
    if (!cel_.otwarty()) {
        blad(errno);
    }
    sposob_ = Sposob::WMiejscu;
    if (!utworzTymczasowy(folder_.numer(), 0600)) {
        // A folder that takes no new files: the text waits elsewhere.
        tymczasowyWTmp();
        return;
    }
    if (stan.st_nlink > 1) {
        return;
    }
    struct stat nowy {};
    const bool tenSamWlasciciel =
        ::fstat(deskryptor_, &nowy) == 0 && nowy.st_uid == stan.st_uid && nowy.st_gid == stan.st_gid;
    if (!tenSamWlasciciel && ::fchown(deskryptor_, stan.st_uid, stan.st_gid) != 0) {
        // The file beside serves to hold the text until it is copied in.
        return;
    }
    if (::fchmod(deskryptor_, stan.st_mode & 07777) != 0 || !skopiujUprawnienia(cel_.numer(), deskryptor_)) {
        return;
    }
    sposob_ = Sposob::Zastapienie;
    cel_.zamknij();
}

PlikWyjsciowy::~PlikWyjsciowy()
{
    if (deskryptor_ > STDERR_FILENO) {
        ::close(deskryptor_);
    }
    usunTymczasowy();
}

void PlikWyjsciowy::blad(int numerBledu) const
{
    throw BladPliku{BladPliku::Zapis, nazwa_, numerBledu};
}

void PlikWyjsciowy::otworzStrumien(const char* sciezka, bool fifo, engine::Postep& postep)
{
    if (!fifo || postep.odstepOczekiwania() < 0) {
        // As the shell does: a pipe waits here for its reader.
        deskryptor_ = otworz(sciezka, O_WRONLY);
        if (deskryptor_ < 0) {
            blad(errno);
        }
        return;
    }
    // A pipe without a reader cannot be polled for one: ask again after each pause.
    for (;;) {
        deskryptor_ = otworz(sciezka, O_WRONLY | O_NONBLOCK);
        if (deskryptor_ >= 0) {
            return;
        }
        if (errno != ENXIO) {
            blad(errno);
        }
        postep.sprawdz();
        const int odstep = postep.odstepOczekiwania();
        const timespec pauza{odstep / 1000, static_cast<long>(odstep % 1000) * 1000000L};
        ::nanosleep(&pauza, nullptr);
    }
}

bool PlikWyjsciowy::utworzTymczasowy(int folder, unsigned tryb)
{
    if (!nazwaneTymczasowe && moznaNadacNazwe()) {
        deskryptor_ = otworzW(folder, ".", O_TMPFILE | O_RDWR, tryb);
        if (deskryptor_ >= 0) {
            // Locked before it has a name, so that no other run takes it for left over.
            ::flock(deskryptor_, LOCK_EX | LOCK_NB);
            podpisz(deskryptor_);
            folderTymczasowego_ = folder;
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return false;
        }
    }
    for (int proba = 0; proba < 100; ++proba) {
        const BezSygnalow bezSygnalow;
        const std::string nazwa = nazwaTymczasowa(nazwaWFolderze_);
        const int bilet = ZarejestrujDoUsuniecia(folder, nazwa.c_str());
        if (bilet < 0) {
            errno = EMFILE;
            return false;
        }
        deskryptor_ = otworzW(folder, nazwa.c_str(), O_RDWR | O_CREAT | O_EXCL, tryb);
        if (deskryptor_ >= 0 && (::flock(deskryptor_, LOCK_EX | LOCK_NB) != 0 ||
                                 !toTenPlik(folder, nazwa.c_str(), deskryptor_))) {
            // Another run took it for left over between its making and its lock: a new name.
            ::close(deskryptor_);
            deskryptor_ = -1;
            Wyrejestruj(bilet);
            continue;
        }
        if (deskryptor_ >= 0) {
            podpisz(deskryptor_);
            folderTymczasowego_ = folder;
            nazwaTymczasowego_ = nazwa;
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

void PlikWyjsciowy::tymczasowyWTmp()
{
    const char* tmp = std::getenv("TMPDIR");
    folderTmp_ = Deskryptor(otworz(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp", O_RDONLY | O_DIRECTORY));
    if (!folderTmp_.otwarty()) {
        blad(errno);
    }
    usunPorzuconeTymczasowe(folderTmp_.numer());
    if (!utworzTymczasowy(folderTmp_.numer(), 0600)) {
        blad(errno);
    }
}

void PlikWyjsciowy::zapisz(std::string_view dane, engine::Postep& postep)
{
    if (const int numer = zapiszWszystko(deskryptor_, dane, postep)) {
        blad(numer);
    }
    const std::uint64_t przed = zapisane_;
    zapisane_ += dane.size();
    if (sposob_ != Sposob::Strumien && przed / ODCINEK_ZAPISU != zapisane_ / ODCINEK_ZAPISU) {
        zapiszNaDysk(zapisane_ / ODCINEK_ZAPISU * ODCINEK_ZAPISU);
    }
}

void PlikWyjsciowy::zapiszNaDysk(std::uint64_t koniec)
{
    // The disk writes each stretch while the next is converted, and the one before it
    // must be on disk first: the final sync has little left to do, so it holds nobody
    // up, and memory does not fill with text waiting for a slow disk. Best effort: the
    // final sync reports any failure.
    const auto odcinek = static_cast<off_t>(ODCINEK_ZAPISU);
    const auto poczatek = static_cast<off_t>(koniec) - odcinek;
    if (poczatek >= odcinek) {
        ::sync_file_range(deskryptor_, poczatek - odcinek, odcinek,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
    }
    ::sync_file_range(deskryptor_, poczatek, odcinek, SYNC_FILE_RANGE_WRITE);
}

void PlikWyjsciowy::powiekszPotok(std::size_t rozmiar) const
{
    powiekszJesliPotok(deskryptor_, rozmiar);
}

void PlikWyjsciowy::zatwierdz()
{
    switch (sposob_) {
        case Sposob::Strumien: {
            const int deskryptor = deskryptor_;
            deskryptor_ = -1;
            // Some file systems report a failed write only here.
            if (::close(deskryptor) != 0) {
                blad(errno);
            }
            break;
        }
        case Sposob::Zastapienie:
            zastap();
            break;
        case Sposob::WMiejscu:
            przepiszWMiejscu();
            break;
    }
}

void PlikWyjsciowy::zastap()
{
    if (::fsync(deskryptor_) != 0) {
        blad(errno);
    }
    {
        const BezSygnalow bezSygnalow;
        if (nazwaTymczasowego_.empty()) {
            // The unnamed file gets a name only now that it is complete.
            const std::string dowiazanie = "/proc/self/fd/" + std::to_string(deskryptor_);
            for (;;) {
                const std::string nazwa = nazwaTymczasowa(nazwaWFolderze_);
                const int bilet = ZarejestrujDoUsuniecia(folder_.numer(), nazwa.c_str());
                if (::linkat(AT_FDCWD, dowiazanie.c_str(), folder_.numer(), nazwa.c_str(),
                             AT_SYMLINK_FOLLOW) == 0) {
                    nazwaTymczasowego_ = nazwa;
                    bilet_ = bilet;
                    break;
                }
                const int numer = errno;
                Wyrejestruj(bilet);
                if (numer != EEXIST) {
                    blad(numer);
                }
            }
        }
        // The output is not a temporary; a crash from here on leaves a file no run removes.
        ::fremovexattr(deskryptor_, PODPIS_TYMCZASOWYCH);
        if (::renameat(folder_.numer(), nazwaTymczasowego_.c_str(), folder_.numer(),
                       nazwaWFolderze_.c_str()) == 0) {
            Wyrejestruj(bilet_);
            bilet_ = -1;
            nazwaTymczasowego_.clear();
        } else {
            const int numer = errno;
            // A file mounted over its name cannot be replaced, only written.
            cel_ = Deskryptor(otworzW(folder_.numer(), nazwaWFolderze_.c_str(), O_WRONLY | O_NONBLOCK));
            if (numer != EBUSY || !cel_.otwarty()) {
                blad(numer);
            }
        }
    }
    if (cel_.otwarty()) {
        przepiszWMiejscu();
        return;
    }
    // The new name on disk too; a folder that refuses this still has the file.
    ::fsync(folder_.numer());
    const int deskryptor = deskryptor_;
    deskryptor_ = -1;
    if (::close(deskryptor) != 0) {
        blad(errno);
    }
}

void PlikWyjsciowy::przepiszWMiejscu()
{
    const auto dlugosc = static_cast<off_t>(zapisane_);
    struct stat stan {};
    if (::fstat(cel_.numer(), &stan) != 0) {
        blad(errno);
    }
    // Space is claimed before the old text is touched, so a full disk stops us here.
    if (::fallocate(cel_.numer(), FALLOC_FL_KEEP_SIZE, 0, dlugosc) != 0 && dlugosc > 0) {
        if (errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
            blad(errno);
        }
        // A file system that cannot claim space (ext2): the new length beyond the old is
        // written first, below; the holes of a sparse old text must fit in what is free.
        const off_t dziury = std::min(dlugosc, stan.st_size) - static_cast<off_t>(stan.st_blocks) * 512;
        struct statvfs miejsce {};
        if (dziury > 0 && ::fstatvfs(cel_.numer(), &miejsce) == 0 &&
            static_cast<std::uint64_t>(dziury) >
                (::geteuid() == 0 ? miejsce.f_bfree : miejsce.f_bavail) * miejsce.f_frsize) {
            blad(ENOSPC);
        }
    }
    {
        const BezSygnalow bezSygnalow;
        if (dlugosc > stan.st_size) {
            // The new end first: the disk running out stops the copy before the old text
            // is touched, and the old length comes back.
            if (const int numer = kopiujDoCelu(stan.st_size, dlugosc)) {
                [[maybe_unused]] const int obciete = ::ftruncate(cel_.numer(), stan.st_size);
                blad(numer);
            }
        }
        if (const int numer = kopiujDoCelu(0, std::min(dlugosc, stan.st_size))) {
            blad(numer);
        }
        if (::ftruncate(cel_.numer(), dlugosc) != 0 || ::fsync(cel_.numer()) != 0) {
            blad(errno);
        }
    }
    if (cel_.zamknij() != 0) {
        blad(errno);
    }
    usunTymczasowy();
    ::close(deskryptor_);
    deskryptor_ = -1;
}

int PlikWyjsciowy::kopiujDoCelu(off_t od, off_t doKonca)
{
    off_t skad = od;
    off_t dokad = od;
    std::string bufor;
    while (skad < doKonca) {
        const std::size_t ile = static_cast<std::size_t>(std::min<off_t>(doKonca - skad, off_t{1} << 20));
        ssize_t skopiowane = -1;
        if (kopiowanieJadra_) {
            skopiowane = ::copy_file_range(deskryptor_, &skad, cel_.numer(), &dokad, ile, 0);
            if (skopiowane < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                   errno == EOPNOTSUPP || errno == EBADF)) {
                kopiowanieJadra_ = false;
                continue;
            }
        } else {
            bufor.resize(ile);
            skopiowane = ::pread(deskryptor_, bufor.data(), ile, skad);
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

void PlikWyjsciowy::usunTymczasowy()
{
    if (nazwaTymczasowego_.empty()) {
        return;
    }
    const BezSygnalow bezSygnalow;
    ::unlinkat(folderTymczasowego_, nazwaTymczasowego_.c_str(), 0);
    Wyrejestruj(bilet_);
    bilet_ = -1;
    nazwaTymczasowego_.clear();
}

bool MoznaNadpisac(const std::string& nazwa, std::string_view probka, const std::string& zrodlo)
{
    struct stat stan {};
    if (::stat(nazwa.c_str(), &stan) == 0) {
        if (S_ISDIR(stan.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (S_ISFIFO(stan.st_mode)) {
            return ::faccessat(AT_FDCWD, nazwa.c_str(), W_OK, AT_EACCESS) == 0;
        }
        const int deskryptor = otworz(nazwa.c_str(), O_WRONLY | O_NONBLOCK);
        return deskryptor >= 0 && ::close(deskryptor) == 0;
    }
    if (errno != ENOENT) {
        return false;
    }
    // A link to a file not there yet creates its target; a file that appears meanwhile is
    // left alone.
    std::string sciezka;
    int numerBledu = 0;
    if (!plikNaKoncuDowiazan(nazwa, sciezka, numerBledu)) {
        // Without a number of its own, the name leads to no file that could be made.
        errno = numerBledu != 0 ? numerBledu : ENOENT;
        return false;
    }
    struct stat stanZrodla {};
    const bool zwykleZrodlo =
        !zrodlo.empty() && ::stat(zrodlo.c_str(), &stanZrodla) == 0 && S_ISREG(stanZrodla.st_mode);
    const int deskryptor =
        otworz(sciezka.c_str(), O_WRONLY | O_CREAT | O_EXCL,
               trybNowego(zwykleZrodlo ? std::optional(stanZrodla.st_mode) : std::nullopt));
    if (deskryptor < 0) {
        return false;
    }
    int bladZapisu = zapiszWszystko(deskryptor, probka, engine::BezPostepu());
    if (::close(deskryptor) != 0 && bladZapisu == 0) {
        bladZapisu = errno;
    }
    if (bladZapisu != 0) {
        // A full disk: the file this made is not left behind, empty, beside the message.
        ::unlink(sciezka.c_str());
        errno = bladZapisu;
        return false;
    }
    return true;
}

}  // namespace pliki
