#pragma once

// The files a batch reads and where their results go: flat lists and trees of folders.

#include <string>
#include <vector>

namespace cli {

struct PlikiPartii {
    std::vector<std::string> wejscia;
    // Each input's result in the output folder; empty when its name ends in no file name.
    std::vector<std::string> wyjscia;
    // Messages about folders that could not be read.
    std::vector<std::string> bledy;
};

// The inputs named, each into the file of its last name in `katalog`. With `rekurencyjnie`,
// a folder among them gives every regular file under it, into the same path below
// `katalog`/its last name ("." and the like: right into `katalog`). Links found in a tree
// are not followed. Without `katalog` only the inputs are listed.
PlikiPartii ZnajdzPliki(const std::vector<std::string>& nazwy, const std::string& katalog,
                        bool rekurencyjnie);

// Throws ZleUzycie when `katalog` is or lies inside a folder among `nazwy`.
void SprawdzKatalogPozaWejsciami(const std::string& katalog, const std::vector<std::string>& nazwy);

// Where `nazwa` leads through its links, also those that lead nowhere yet, as an absolute
// path without links, "." or "..".
std::string DokadProwadzi(const std::string& nazwa);

// Whether the file system of `katalog` takes names differing only in case for one file.
// It is asked, with a file of its own that is removed at once; false when it cannot be.
bool BezWielkosciLiter(const std::string& katalog);

// `nazwa` with the letters a case-blind file system treats as one folded to lower case:
// ASCII, Latin-1 and the Latin letters of Central Europe, in UTF-8.
std::string BezWielkosci(std::string_view nazwa);

}  // namespace cli
