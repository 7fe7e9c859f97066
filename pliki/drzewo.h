#pragma once

// Trees of folders for a batch: walking one, making its shape below an output folder, and
// telling whether a folder lies inside another, whatever names lead there.

#include <sys/stat.h>

#include <string>
#include <vector>

#include "pliki/blad_pliku.h"
#include "pliki/wejscie.h"

namespace pliki {

struct PlikDrzewa {
    std::string sciezka;
    // What the walk found there; the file read later must still be it.
    ZnanyPlik znany;
};

struct Drzewo {
    // Every regular file, ordered by path.
    std::vector<PlikDrzewa> pliki;
    // Folders that could not be read (Odczyt, the folder, errno); the walk went on without them.
    std::vector<BladPliku> bledy;
};

// Every regular file under `folder`. Links are not followed (the named folder itself may be
// one), and a folder replaced while the walk goes on is not entered. One folder is open at a
// time and each is read whole before the next, so neither descriptors nor memory grow with
// the depth of the tree.
Drzewo PrzejdzDrzewo(const std::string& folder);

// Makes the folders of `sciezka` that are missing, one level at a time below the deepest one
// there, entering none through a link. Throws BladPliku (Zapis, the folder that failed).
void UtworzFoldery(const std::string& sciezka);

// Whether `sciezka` (which need not exist yet) is the folder `folder` or lies below it, by
// what the file system says each folder on the way up is: a case-blind name, a bind mount or
// a link leads to the same answer.
bool LezyWFolderze(const std::string& sciezka, const struct stat& folder);

}  // namespace pliki
