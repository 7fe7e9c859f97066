#include "pliki/katalog.h"

#include <cerrno>

#include "pliki/blad_pliku.h"
#include "pliki/wejscie.h"

namespace pliki {

std::string WyjscieWKatalogu(const std::string& katalog, const std::string& wejscie)
{
    const std::size_t ukosnik = wejscie.rfind('/');
    const std::string nazwa = ukosnik == std::string::npos ? wejscie : wejscie.substr(ukosnik + 1);
    if (nazwa.empty() || nazwa == "." || nazwa == "..") {
        return {};
    }
    return katalog.ends_with('/') ? katalog + nazwa : katalog + "/" + nazwa;
}

void PrzygotujKatalog(const std::string& katalog)
{
    if (::mkdir(katalog.c_str(), 0777) == 0) {
        return;
    }
    const int blad = errno;
    struct stat stan {};
    if (blad == EEXIST && ::stat(katalog.c_str(), &stan) == 0) {
        if (S_ISDIR(stan.st_mode)) {
            return;
        }
        throw BladPliku{BladPliku::Zapis, katalog, ENOTDIR};
    }
    throw BladPliku{BladPliku::Zapis, katalog, blad};
}

ZbiorPlikow::ZbiorPlikow(const std::vector<std::string>& nazwy)
{
    for (const std::string& nazwa : nazwy) {
        struct stat stan {};
        stany_.push_back(::stat(nazwa.c_str(), &stan) == 0 ? std::optional(stan) : std::nullopt);
    }
}

std::optional<std::size_t> ZbiorPlikow::ktory(const std::string& nazwa) const
{
    struct stat stan {};
    if (::stat(nazwa.c_str(), &stan) != 0) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < stany_.size(); ++i) {
        if (stany_[i] && TenSamPlik(*stany_[i], stan)) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace pliki
