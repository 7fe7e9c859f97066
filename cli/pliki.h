#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

// Input and output files of znakomat-cli, on the system's own calls so that every
// failure keeps its reason.
namespace cli {

// A failed file operation: which file (empty for a standard stream) and errno.
struct BladPliku {
    enum Czynnosc { Odczyt, Zapis };
    Czynnosc czynnosc;
    std::string nazwa;
    int numer;
};

// From now on SIGINT, SIGTERM, SIGHUP and SIGQUIT remove an unfinished temporary file
// before they end the program, and a file size limit makes a write fail instead of
// ending it.
void PrzygotujSygnaly();

// The input: a named file, or standard input for "-". Throws BladPliku.
class PlikWejsciowy {
public:
    explicit PlikWejsciowy(const std::string& nazwa);
    ~PlikWejsciowy();
    PlikWejsciowy(const PlikWejsciowy&) = delete;
    PlikWejsciowy& operator=(const PlikWejsciowy&) = delete;

    // Fills `bufor` with what one read gives, at most its size; empty at the end.
    void czytaj(std::string& bufor, std::size_t najwiecej);

    // Whether `wyjscie` (a name, or "-" for standard output) is this same regular file.
    bool jestTymSamymPlikiem(const std::string& wyjscie) const;

    // A pipe is given a buffer of `rozmiar` bytes, so that one read takes a whole piece.
    void powiekszPotok(std::size_t rozmiar) const;

private:
    std::string nazwa_;
    int deskryptor_ = -1;
    dev_t urzadzenie_ = 0;
    ino_t wezel_ = 0;
    bool zwykly_ = false;
};

// The output: standard output for "-". A regular file is written beside itself and
// replaces the old one only when all of it is on disk, so a failure leaves the old
// file as it was; a link stays a link and its target is replaced. Anything else (a
// device, a pipe) is written directly. Throws BladPliku; the destructor removes an
// unfinished temporary file.
class PlikWyjsciowy {
public:
    explicit PlikWyjsciowy(const std::string& nazwa);
    ~PlikWyjsciowy();
    PlikWyjsciowy(const PlikWyjsciowy&) = delete;
    PlikWyjsciowy& operator=(const PlikWyjsciowy&) = delete;

    void zapisz(std::string_view dane);
    void zamknij();

    // A pipe is given a buffer of `rozmiar` bytes, so that one write of a piece wakes the
    // reader once rather than at every 64 KiB.
    void powiekszPotok(std::size_t rozmiar) const;

private:
    [[noreturn]] void blad(int numerBledu) const;
    void utworzTymczasowy(const std::string& sciezka, const struct stat* stary);

    std::string nazwa_;
    std::string docelowa_;
    std::string tymczasowa_;
    int deskryptor_ = -1;
};

}  // namespace cli
