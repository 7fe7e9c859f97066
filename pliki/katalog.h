#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pliki {

// The output for `wejscie` in the folder `katalog`: the folder joined with the input's last
// name. Empty when the input's name ends in no file name ("/", "." or "..").
std::string WyjscieWKatalogu(const std::string& katalog, const std::string& wejscie);

// Creates the folder for the outputs when it does not exist yet; its parent must. Throws
// BladPliku (writing) when it cannot, or when the name is taken by something else.
void PrzygotujKatalog(const std::string& katalog);

// Whether the file system of `katalog` takes names differing only in case for one file.
// It is asked, with a file of its own that is removed at once; false when it cannot be.
bool BezWielkosciLiter(const std::string& katalog);

// `nazwa` with every letter that has a case folded as a case-blind file system may fold it:
// each character of the UTF-8 name to its upper case and that to its lower case, by the
// system's Unicode tables ("ſ", "s" and "S" alike; "Ж" and "ж"). Bytes that are not UTF-8
// stay as they are. Two names with one key may be one file there.
std::string BezWielkosci(std::string_view nazwa);

// Files as they are when the work begins, to find which of them a name leads to, by the rule
// of TenSamPlik: so that no output lands on any input, whatever links lead there.
class ZbiorPlikow {
public:
    // Names that lead nowhere are left out: they will fail when they are opened.
    explicit ZbiorPlikow(const std::vector<std::string>& nazwy);

    // The index of the first file that `nazwa` leads to.
    std::optional<std::size_t> ktory(const std::string& nazwa) const;

private:
    std::vector<std::optional<struct stat>> stany_;
};

}  // namespace pliki
