#include "pliki/wyjscie.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "pliki/deskryptory.h"
#include "pliki/porzucone.h"
#include "pliki/prawa.h"
#include "pliki/sygnaly.h"

namespace pliki {

namespace {

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

}  // namespace

PlikWyjsciowy::PlikWyjsciowy(const std::string& nazwa, engine::Postep& postep,
                             std::optional<mode_t> prawaZrodla, Tymczasowy tymczasowy)
    : nazwa_(nazwa), tymczasowy_(tymczasowy)
{
    if (nazwa == "-") {
        nazwa_.clear();
        strumien_.standardowy();
        return;
    }
    std::string sciezka;
    int numerBledu = 0;
    if (!plikNaKoncuDowiazan(nazwa, sciezka, numerBledu)) {
        if (numerBledu != 0) {
            blad(numerBledu);
        }
        if (!strumien_.dopisuj(nazwa.c_str())) {
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
    PorzuconeTymczasowe::programu().usunZ(folder_.numer());

    struct stat stan {};
    if (::fstatat(folder_.numer(), nazwaWFolderze_.c_str(), &stan, 0) != 0) {
        if (errno != ENOENT) {
            blad(errno);
        }
        // A new file, with the mode the user's umask gives, as far as its source allows.
        if (!tymczasowy_.utworz(folder_.numer(), nazwaWFolderze_, TrybNowego(prawaZrodla))) {
            blad(errno);
        }
        sposob_ = Sposob::Zastapienie;
        return;
    }
    if (S_ISDIR(stan.st_mode)) {
        blad(EISDIR);
    }
    if (!S_ISREG(stan.st_mode)) {
        if (!strumien_.otworz(sciezka.c_str(), S_ISFIFO(stan.st_mode), postep)) {
            blad(errno);
        }
        return;
    }
    if (!wMiejscu_.otworz(folder_.numer(), nazwaWFolderze_)) {
        blad(errno);
    }
    sposob_ = Sposob::WMiejscu;
    if (!tymczasowy_.utworz(folder_.numer(), nazwaWFolderze_, 0600)) {
        // A folder that takes no new files: the text waits elsewhere.
        tymczasowyWTmp();
        return;
    }
    // Where the file beside cannot be the same file to everyone, it only holds the text
    // until it is copied in.
    if (stan.st_nlink > 1 || !PrzeniesPrawa(wMiejscu_.numer(), stan, tymczasowy_.numer())) {
        return;
    }
    sposob_ = Sposob::Zastapienie;
    wMiejscu_.zamknij();
}

PlikWyjsciowy::~PlikWyjsciowy() = default;

void PlikWyjsciowy::blad(int numerBledu) const
{
    throw BladPliku{BladPliku::Zapis, nazwa_, numerBledu};
}

void PlikWyjsciowy::tymczasowyWTmp()
{
    const char* tmp = std::getenv("TMPDIR");
    folderTmp_ = Deskryptor(otworz(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp", O_RDONLY | O_DIRECTORY));
    if (!folderTmp_.otwarty()) {
        blad(errno);
    }
    PorzuconeTymczasowe::programu().usunZ(folderTmp_.numer());
    if (!tymczasowy_.utworz(folderTmp_.numer(), nazwaWFolderze_, 0600)) {
        blad(errno);
    }
}

void PlikWyjsciowy::zapisz(std::string_view dane, engine::Postep& postep)
{
    if (const int numer = zapiszWszystko(doZapisu(), dane, postep)) {
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
        ::sync_file_range(doZapisu(), poczatek - odcinek, odcinek,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
    }
    ::sync_file_range(doZapisu(), poczatek, odcinek, SYNC_FILE_RANGE_WRITE);
}

void PlikWyjsciowy::powiekszPotok(std::size_t rozmiar) const
{
    powiekszJesliPotok(doZapisu(), rozmiar);
}

void PlikWyjsciowy::zatwierdz()
{
    switch (sposob_) {
        case Sposob::Strumien:
            if (strumien_.zamknij() != 0) {
                blad(errno);
            }
            break;
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
    if (::fsync(tymczasowy_.numer()) != 0) {
        blad(errno);
    }
    {
        const BezSygnalow bezSygnalow;
        if (const int numer = tymczasowy_.nadajNazwe(nazwaWFolderze_)) {
            blad(numer);
        }
        if (const int numer = tymczasowy_.zastap(nazwaWFolderze_)) {
            // A file mounted over its name cannot be replaced, only written.
            if (numer != EBUSY || !wMiejscu_.otworz(folder_.numer(), nazwaWFolderze_)) {
                blad(numer);
            }
        }
    }
    if (wMiejscu_.otwarty()) {
        przepiszWMiejscu();
        return;
    }
    // The new name on disk too; a folder that refuses this still has the file.
    ::fsync(folder_.numer());
    if (tymczasowy_.zamknij() != 0) {
        blad(errno);
    }
}

void PlikWyjsciowy::przepiszWMiejscu()
{
    if (const int numer = wMiejscu_.przepisz(tymczasowy_.numer(), static_cast<off_t>(zapisane_))) {
        blad(numer);
    }
    tymczasowy_.zamknij();
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
               TrybNowego(zwykleZrodlo ? std::optional(stanZrodla.st_mode) : std::nullopt));
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
