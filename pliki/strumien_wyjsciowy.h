#pragma once

#include "engine/postep.h"
#include "pliki/deskryptory.h"

namespace pliki {

// An output that gets the text directly: standard output, a stream the caller opened, a
// pipe or a device.
class StrumienWyjsciowy {
public:
    StrumienWyjsciowy() = default;
    ~StrumienWyjsciowy();
    StrumienWyjsciowy(const StrumienWyjsciowy&) = delete;
    StrumienWyjsciowy& operator=(const StrumienWyjsciowy&) = delete;

    // Standard output stays open for the program's later words, unless the text is
    // committed: then, as any stream, it is closed to hear of a failed write.
    void standardowy();

    // A stream the caller opened (a name under /proc): what it holds is kept, as the shell's
    // >> would. False with errno.
    bool dopisuj(const char* sciezka);

    // A pipe or a device. A pipe waits for its reader, asking `postep` between pauses where
    // it can. False with errno.
    bool otworz(const char* sciezka, bool fifo, engine::Postep& postep);

    int numer() const { return deskryptor_.numer(); }

    // close(2)'s result: some file systems report a failed write only there.
    int zamknij() { return deskryptor_.zamknij(); }

private:
    Deskryptor deskryptor_;
    bool standardowy_ = false;
};

}  // namespace pliki
