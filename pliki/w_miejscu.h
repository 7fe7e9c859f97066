#pragma once

#include <sys/types.h>

#include <string>

#include "pliki/deskryptory.h"

namespace pliki {

// The output itself, open for writing, for when the complete text is copied into it
// rather than renamed over it: what the output is (its links, owner, mount) stays.
class ZapisWMiejscu {
public:
    // Opens `nazwa` in `folder` with the user's own rights, as the shell's > would: a file
    // they may not write is refused, however the folder lets them replace it. False with
    // errno when it cannot.
    bool otworz(int folder, const std::string& nazwa);
    bool otwarty() const { return cel_.otwarty(); }
    int numer() const { return cel_.numer(); }
    // For when the output is replaced after all.
    void zamknij() { cel_.zamknij(); }

    // Copies the `dlugosc` bytes of the text in `tekst` over the output's, with ending
    // signals held back, syncs and closes the output; 0 or errno. The disk space is
    // claimed first, so that a full disk stops the copy before the old text is touched.
    int przepisz(int tekst, off_t dlugosc);

private:
    // Copies bytes `od` to `doKonca` of the text into the output at the same place; 0 or errno.
    int kopiuj(int tekst, off_t od, off_t doKonca);

    Deskryptor cel_;
    bool kopiowanieJadra_ = true;
};

}  // namespace pliki
