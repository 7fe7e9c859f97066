#pragma once

#include <QString>

#include <functional>
#include <string>

// File access of the file job, on the system's own calls so that every failure keeps
// its reason.
namespace pliki {

// A failed file operation: which file, and the system's reason in Polish.
struct BladPliku {
    enum Czynnosc { Odczyt, Zapis };
    Czynnosc czynnosc;
    QString nazwa;
    QString powod;
};

QString opisBledu(int numerBledu);

// Whether both names lead to one file (links, relative paths, letter case).
bool tenSamPlik(const QString& pierwsza, const QString& druga);

bool moznaCzytac(const QString& nazwa);

// Creates or empties the file and writes `probka` into it.
bool moznaNadpisac(const QString& nazwa, const std::string& probka);

// Reads the whole file. Throws BladPliku.
class PlikWejsciowy {
public:
    explicit PlikWejsciowy(const QString& nazwa);
    ~PlikWejsciowy();
    PlikWejsciowy(const PlikWejsciowy&) = delete;
    PlikWejsciowy& operator=(const PlikWejsciowy&) = delete;

    // Reads in large pieces and calls `miedzyKawalkami` after each, so a window can
    // repaint while a big file comes in.
    std::string czytajCalosc(const std::function<void()>& miedzyKawalkami = {});
    void zamknij();

private:
    QString nazwa_;
    int deskryptor_ = -1;
};

// Writes the output so that a failure never leaves what looks like a finished file:
// the text goes to a temporary file beside the output and replaces it only when all of
// it is on disk. Where that cannot be done (a device, a linked file, a folder that takes
// no new files) the output is written in place and emptied again on failure.
// Throws BladPliku; an unfinished output is cleaned up by the destructor.
class PlikWyjsciowy {
public:
    explicit PlikWyjsciowy(const QString& nazwa);
    ~PlikWyjsciowy();
    PlikWyjsciowy(const PlikWyjsciowy&) = delete;
    PlikWyjsciowy& operator=(const PlikWyjsciowy&) = delete;

    void zapisz(const std::string& tekst, const std::function<void()>& miedzyKawalkami = {});
    void zamknij();

private:
    [[noreturn]] void blad(int numerBledu);

    QString nazwa_;
    std::string sciezkaDocelowa_;
    std::string sciezkaTymczasowa_;
    int deskryptor_ = -1;
    bool zakonczony_ = false;
};

}  // namespace pliki
