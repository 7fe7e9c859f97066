#pragma once

#include <string>
#include <string_view>

#include "pliki/deskryptory.h"

namespace pliki {

// How the temporary file is made. The program makes it without a name where the file
// system can (O_TMPFILE), so that not even a killed run leaves it behind; a hidden name
// beside the output is the way where it cannot, and `ZawszeNazwany` takes that way on any.
enum class Tymczasowy { BezNazwyGdzieMozna, ZawszeNazwany };

// The file that holds an output's text until the text is complete. It is locked while it
// lives and carries the program's signature, so that no other run takes it for a leftover
// (PorzuconeTymczasowe); one with a name is removed when it goes, and by an ending signal.
class PlikTymczasowy {
public:
    explicit PlikTymczasowy(Tymczasowy sposob) : sposob_(sposob) {}
    ~PlikTymczasowy() { usun(); }
    PlikTymczasowy(const PlikTymczasowy&) = delete;
    PlikTymczasowy& operator=(const PlikTymczasowy&) = delete;

    // Makes the file in `folder`, which must outlive it; a name it needs is made from the
    // output's `nazwaWyjscia`. False with errno when it cannot.
    bool utworz(int folder, const std::string& nazwaWyjscia, unsigned tryb);

    int numer() const { return deskryptor_.numer(); }

    // An unnamed file gets a name beside the output only now that it is complete. Call
    // under BezSygnalow; 0 or errno.
    int nadajNazwe(const std::string& nazwaWyjscia);

    // The named file, no longer a temporary, takes the place of `nazwaWyjscia` in its
    // folder. Call under BezSygnalow; 0 or the rename's errno, when it stays as it was.
    int zastap(const std::string& nazwaWyjscia);

    // Removes a name it still has. Closing follows: close(2)'s result.
    int zamknij();

private:
    bool utworzNazwany(int folder, const std::string& nazwaWyjscia, unsigned tryb);
    void usun();

    Tymczasowy sposob_;
    Deskryptor deskryptor_;
    int folder_ = -1;
    // Empty for a file without a name.
    std::string nazwa_;
    int bilet_ = -1;
};

// Whether a folder entry has the form of a temporary's name; the name alone proves nothing.
bool MaNazweTymczasowego(std::string_view nazwa);

// Whether the open file carries the signature every temporary has while it is one.
bool MaPodpisTymczasowego(int plik);

// Whether `deskryptor` is still the file `nazwa` names in `folder`.
bool ToTenPlik(int folder, const char* nazwa, int deskryptor);

}  // namespace pliki
