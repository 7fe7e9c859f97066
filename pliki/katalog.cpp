#include "pliki/katalog.h"

#include <locale.h>
#include <unistd.h>
#include <wctype.h>

#include <cerrno>
#include <cstdlib>

#include "engine/utf8.h"
#include "pliki/blad_pliku.h"
#include "pliki/deskryptory.h"
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

bool BezWielkosciLiter(const std::string& katalog)
{
    std::string wzor = katalog.ends_with('/') ? katalog : katalog + "/";
    wzor += ".znakomat-Wielkosc-XXXXXX";
    const int deskryptor = ::mkstemp(wzor.data());
    if (deskryptor < 0) {
        return false;
    }
    ::close(deskryptor);
    std::string inna = wzor;
    const std::size_t w = inna.rfind("Wielkosc");
    inna.replace(w, 8, "wIELKOSC");
    struct stat pierwszy {};
    struct stat drugi {};
    const bool jeden = ::stat(wzor.c_str(), &pierwszy) == 0 && ::stat(inna.c_str(), &drugi) == 0 &&
                       TenSamWezel(pierwszy, drugi);
    ::unlink(wzor.c_str());
    return jeden;
}

namespace {

// The C library's Unicode case tables, whatever locale the program runs in.
locale_t unicode()
{
    static const locale_t tabela = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    return tabela;
}

}  // namespace

std::string BezWielkosci(std::string_view nazwa)
{
    const locale_t tabela = unicode();
    std::string wynik;
    for (std::size_t i = 0; i < nazwa.size();) {
        char32_t znak = 0;
        const int dlugosc = engine::ZnakUtf8(nazwa.substr(i), znak);
        if (dlugosc <= 0) {
            // Not UTF-8: the byte itself.
            wynik += nazwa[i];
            ++i;
            continue;
        }
        auto zlozony = static_cast<wint_t>(znak);
        if (tabela != nullptr) {
            zlozony = ::towlower_l(::towupper_l(zlozony, tabela), tabela);
        } else if (znak >= 'A' && znak <= 'Z') {
            zlozony = znak - 'A' + 'a';
        }
        engine::DopiszUtf8(wynik, static_cast<char32_t>(zlozony));
        i += static_cast<std::size_t>(dlugosc);
    }
    return wynik;
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
