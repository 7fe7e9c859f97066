#include "pliki.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "opis_bledu.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pliki {

namespace {

constexpr std::size_t kawalek = std::size_t{16} << 20;

QByteArray sciezka(const QString& nazwa)
{
    return QFile::encodeName(nazwa);
}

int otworz(const QByteArray& sciezka, int flagi, mode_t tryb = 0666)
{
    int deskryptor;
    do {
        deskryptor = ::open(sciezka.constData(), flagi | O_CLOEXEC, tryb);
    } while (deskryptor < 0 && errno == EINTR);
    return deskryptor;
}

// Writes all of it, or returns the error number.
int zapiszWszystko(int deskryptor, const char* dane, std::size_t dlugosc)
{
    while (dlugosc > 0) {
        const ssize_t zapisane = ::write(deskryptor, dane, dlugosc);
        if (zapisane < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        dane += zapisane;
        dlugosc -= static_cast<std::size_t>(zapisane);
    }
    return 0;
}

}  // namespace

QString opisBledu(int numerBledu)
{
    return QString::fromStdString(znakomat::OpisBledu(numerBledu));
}

bool tenSamPlik(const QString& pierwsza, const QString& druga)
{
    struct stat a {};
    struct stat b {};
    return ::stat(sciezka(pierwsza).constData(), &a) == 0 && ::stat(sciezka(druga).constData(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool moznaCzytac(const QString& nazwa)
{
    // Non-blocking, so that a pipe without a writer cannot hang the window.
    const int deskryptor = otworz(sciezka(nazwa), O_RDONLY | O_NONBLOCK);
    if (deskryptor < 0) {
        return false;
    }
    struct stat stan {};
    const bool plik = ::fstat(deskryptor, &stan) == 0 && !S_ISDIR(stan.st_mode);
    return ::close(deskryptor) == 0 && plik;
}

bool moznaNadpisac(const QString& nazwa, const std::string& probka)
{
    const int deskryptor = otworz(sciezka(nazwa), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK);
    if (deskryptor < 0) {
        return false;
    }
    const bool zapisane = zapiszWszystko(deskryptor, probka.data(), probka.size()) == 0;
    return ::close(deskryptor) == 0 && zapisane;
}

PlikWejsciowy::PlikWejsciowy(const QString& nazwa) : nazwa_(nazwa)
{
    // Opened without waiting, so a pipe without a writer cannot hang the window; reads
    // then wait as usual.
    deskryptor_ = otworz(sciezka(nazwa), O_RDONLY | O_NONBLOCK);
    if (deskryptor_ < 0) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, opisBledu(errno)};
    }
    const int flagi = ::fcntl(deskryptor_, F_GETFL);
    if (flagi < 0 || ::fcntl(deskryptor_, F_SETFL, flagi & ~O_NONBLOCK) < 0) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, opisBledu(errno)};
    }
}

PlikWejsciowy::~PlikWejsciowy()
{
    if (deskryptor_ >= 0) {
        ::close(deskryptor_);
    }
}

std::string PlikWejsciowy::czytajCalosc(const std::function<void()>& miedzyKawalkami)
{
    struct stat stan {};
    if (::fstat(deskryptor_, &stan) != 0) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, opisBledu(errno)};
    }
    if (S_ISDIR(stan.st_mode)) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, opisBledu(EISDIR)};
    }
    const auto czytaj = [this](char* dokad, std::size_t ile) {
        for (;;) {
            const ssize_t odczytane = ::read(deskryptor_, dokad, ile);
            if (odczytane >= 0) {
                return static_cast<std::size_t>(odczytane);
            }
            if (errno != EINTR) {
                throw BladPliku{BladPliku::Odczyt, nazwa_, opisBledu(errno)};
            }
        }
    };

    // The length is read into a buffer of exactly that size; whatever a growing file or
    // a device still gives is appended.
    std::string tekst(S_ISREG(stan.st_mode) ? static_cast<std::size_t>(stan.st_size) : 0, '\0');
    std::size_t dlugosc = 0;
    while (dlugosc < tekst.size()) {
        const std::size_t odczytane =
            czytaj(tekst.data() + dlugosc, std::min(kawalek, tekst.size() - dlugosc));
        if (odczytane == 0) {
            break;
        }
        dlugosc += odczytane;
        if (miedzyKawalkami) {
            miedzyKawalkami();
        }
    }
    tekst.resize(dlugosc);
    std::array<char, 1 << 16> reszta{};
    std::size_t odOstatniego = 0;
    while (const std::size_t odczytane = czytaj(reszta.data(), reszta.size())) {
        tekst.append(reszta.data(), odczytane);
        odOstatniego += odczytane;
        if (odOstatniego >= kawalek && miedzyKawalkami) {
            miedzyKawalkami();
            odOstatniego = 0;
        }
    }
    return tekst;
}

void PlikWejsciowy::zamknij()
{
    const int deskryptor = deskryptor_;
    deskryptor_ = -1;
    if (::close(deskryptor) != 0) {
        throw BladPliku{BladPliku::Odczyt, nazwa_, opisBledu(errno)};
    }
}

PlikWyjsciowy::PlikWyjsciowy(const QString& nazwa) : nazwa_(nazwa)
{
    // Write beside the file a link points to, so the link stays a link.
    const QByteArray podana = sciezka(nazwa);
    char* rozwiazana = ::realpath(podana.constData(), nullptr);
    sciezkaDocelowa_ = rozwiazana != nullptr ? rozwiazana : podana.toStdString();
    std::free(rozwiazana);

    struct stat stan {};
    // Only a file of our own is replaced: another owner's file keeps its owner, and a
    // folder like /tmp forbids replacing it at all.
    if (::stat(sciezkaDocelowa_.c_str(), &stan) == 0 && S_ISREG(stan.st_mode) && stan.st_nlink == 1 &&
        stan.st_uid == ::geteuid()) {
        const std::size_t ukosnik = sciezkaDocelowa_.rfind('/');
        std::string wzor = sciezkaDocelowa_.substr(0, ukosnik + 1) + "." +
                           sciezkaDocelowa_.substr(ukosnik + 1) + ".znakomat-XXXXXX";
        deskryptor_ = ::mkostemp(wzor.data(), O_CLOEXEC);
        if (deskryptor_ >= 0) {
            sciezkaTymczasowa_ = wzor;
            ::fchmod(deskryptor_, stan.st_mode & 07777);
            [[maybe_unused]] const int wlasciciel = ::fchown(deskryptor_, stan.st_uid, stan.st_gid);
            return;
        }
    }
    deskryptor_ = otworz(QByteArray::fromStdString(sciezkaDocelowa_), O_WRONLY | O_CREAT | O_TRUNC);
    if (deskryptor_ < 0) {
        blad(errno);
    }
}

PlikWyjsciowy::~PlikWyjsciowy()
{
    if (zakonczony_) {
        return;
    }
    if (deskryptor_ >= 0) {
        ::close(deskryptor_);
    }
    if (!sciezkaTymczasowa_.empty()) {
        ::unlink(sciezkaTymczasowa_.c_str());
    } else {
        [[maybe_unused]] const int wynik = ::truncate(sciezkaDocelowa_.c_str(), 0);
    }
}

void PlikWyjsciowy::blad(int numerBledu)
{
    throw BladPliku{BladPliku::Zapis, nazwa_, opisBledu(numerBledu)};
}

void PlikWyjsciowy::zapisz(const std::string& tekst, const std::function<void()>& miedzyKawalkami)
{
    for (std::size_t zapisane = 0; zapisane < tekst.size();) {
        const std::size_t ile = std::min(kawalek, tekst.size() - zapisane);
        if (const int numer = zapiszWszystko(deskryptor_, tekst.data() + zapisane, ile)) {
            blad(numer);
        }
        zapisane += ile;
        if (miedzyKawalkami) {
            miedzyKawalkami();
        }
    }
}

void PlikWyjsciowy::zamknij()
{
    struct stat stan {};
    const bool zwykly = ::fstat(deskryptor_, &stan) == 0 && S_ISREG(stan.st_mode);
    if (zwykly && ::fsync(deskryptor_) != 0) {
        blad(errno);
    }
    const int deskryptor = deskryptor_;
    deskryptor_ = -1;
    if (::close(deskryptor) != 0) {
        blad(errno);
    }
    if (!sciezkaTymczasowa_.empty() && ::rename(sciezkaTymczasowa_.c_str(), sciezkaDocelowa_.c_str()) != 0) {
        blad(errno);
    }
    zakonczony_ = true;
}

}  // namespace pliki
