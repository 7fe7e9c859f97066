#include "pliki/katalog.h"

#include <locale.h>
#include <unistd.h>
#include <wctype.h>

#include <cerrno>
#include <cstdlib>

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
                       pierwszy.st_dev == drugi.st_dev && pierwszy.st_ino == drugi.st_ino;
    ::unlink(wzor.c_str());
    return jeden;
}

namespace {

// One character of UTF-8 at `i`, or none (a byte that starts no character, a sequence cut
// short, too long or a surrogate), with its length.
std::pair<char32_t, std::size_t> znakUtf8(std::string_view tekst, std::size_t i)
{
    const auto bajt = [&](std::size_t k) { return static_cast<unsigned char>(tekst[k]); };
    const unsigned pierwszy = bajt(i);
    const std::size_t dlugosc = pierwszy >= 0xF0 && pierwszy <= 0xF4   ? 4
                                : pierwszy >= 0xE0 && pierwszy <= 0xEF ? 3
                                : pierwszy >= 0xC2 && pierwszy <= 0xDF ? 2
                                                                       : 0;
    if (dlugosc == 0 || i + dlugosc > tekst.size()) {
        return {0, 0};
    }
    char32_t znak = pierwszy & (0x7Fu >> dlugosc);
    for (std::size_t k = 1; k < dlugosc; ++k) {
        if ((bajt(i + k) & 0xC0) != 0x80) {
            return {0, 0};
        }
        znak = (znak << 6) | (bajt(i + k) & 0x3Fu);
    }
    const char32_t najmniejszy = dlugosc == 2 ? 0x80 : dlugosc == 3 ? 0x800 : 0x10000;
    if (znak < najmniejszy || znak > 0x10FFFF || (znak >= 0xD800 && znak <= 0xDFFF)) {
        return {0, 0};
    }
    return {znak, dlugosc};
}

void dopiszUtf8(std::string& wynik, char32_t znak)
{
    if (znak < 0x80) {
        wynik += static_cast<char>(znak);
    } else if (znak < 0x800) {
        wynik += static_cast<char>(0xC0 | (znak >> 6));
        wynik += static_cast<char>(0x80 | (znak & 0x3F));
    } else if (znak < 0x10000) {
        wynik += static_cast<char>(0xE0 | (znak >> 12));
        wynik += static_cast<char>(0x80 | ((znak >> 6) & 0x3F));
        wynik += static_cast<char>(0x80 | (znak & 0x3F));
    } else {
        wynik += static_cast<char>(0xF0 | (znak >> 18));
        wynik += static_cast<char>(0x80 | ((znak >> 12) & 0x3F));
        wynik += static_cast<char>(0x80 | ((znak >> 6) & 0x3F));
        wynik += static_cast<char>(0x80 | (znak & 0x3F));
    }
}

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
        const auto [znak, dlugosc] = znakUtf8(nazwa, i);
        if (dlugosc == 0) {
            const auto bajt = static_cast<unsigned char>(nazwa[i]);
            wynik += static_cast<char>(bajt >= 'A' && bajt <= 'Z' ? bajt - 'A' + 'a' : bajt);
            ++i;
            continue;
        }
        wint_t zlozony = static_cast<wint_t>(znak);
        if (tabela != nullptr) {
            zlozony = ::towlower_l(::towupper_l(zlozony, tabela), tabela);
        }
        dopiszUtf8(wynik, static_cast<char32_t>(zlozony));
        i += dlugosc;
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
