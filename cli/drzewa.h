#pragma once

// The files a batch reads and where their results go: flat lists and trees of folders.

#include <optional>
#include <string>
#include <vector>

#include "pliki/wejscie.h"

namespace cli {

struct PlikiPartii {
    std::vector<std::string> wejscia;
    // Each input's result in the output folder; empty when its name ends in no file name.
    std::vector<std::string> wyjscia;
    // What a walk found under each name; none for an input named by the user.
    std::vector<std::optional<pliki::ZnanyPlik>> znane;
    // Messages about folders that could not be read.
    std::vector<std::string> bledy;
};

// The inputs named, each into the file of its last name in `katalog`. With `rekurencyjnie`,
// a folder among them gives every regular file under it, into the same path below
// `katalog`/its last name ("." and the like: right into `katalog`), as PrzejdzDrzewo walks
// it. Without `katalog` only the inputs are listed.
PlikiPartii ZnajdzPliki(const std::vector<std::string>& nazwy, const std::string& katalog,
                        bool rekurencyjnie);

// Throws ZleUzycie when `katalog` is or lies inside a folder among `nazwy`, under whatever
// name leads there.
void SprawdzKatalogPozaWejsciami(const std::string& katalog, const std::vector<std::string>& nazwy);

// Where `nazwa` leads through its links, also those that lead nowhere yet, as an absolute
// path without links, "." or "..".
std::string DokadProwadzi(const std::string& nazwa);

}  // namespace cli
