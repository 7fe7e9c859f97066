#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pliki {

// The output for `wejscie` in the folder `katalog`: the folder joined with the input's last
// name. Empty when the input's name ends in no file name ("/", "." or "..").
std::string WyjscieWKatalogu(const std::string& katalog, const std::string& wejscie);

// Creates the folder for the outputs when it does not exist yet; its parent must. Throws
// BladPliku (writing) when it cannot, or when the name is taken by something else.
void PrzygotujKatalog(const std::string& katalog);

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
