#include "cli/drzewa.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "cli/komunikaty.h"
#include "cli/uzycie.h"
#include "pliki/drzewo.h"
#include "pliki/katalog.h"
#include "pliki/opis_bledu.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

bool jestFolderem(const std::string& nazwa)
{
    struct stat stan {};
    return ::stat(nazwa.c_str(), &stan) == 0 && S_ISDIR(stan.st_mode);
}

// The folder's own name, under which its tree goes; empty for ".", ".." and "/".
std::string ostatniaNazwa(std::string nazwa)
{
    while (nazwa.size() > 1 && nazwa.ends_with('/')) {
        nazwa.pop_back();
    }
    const std::string ostatnia = fs::path(nazwa).filename().string();
    return ostatnia == "." || ostatnia == ".." ? std::string() : ostatnia;
}

std::string polacz(const std::string& folder, const std::string& nazwa)
{
    return folder.empty() || folder.ends_with('/') ? folder + nazwa : folder + "/" + nazwa;
}

void dodajDrzewo(const std::string& folder, const std::string& katalog, PlikiPartii& wynik)
{
    const std::string doKatalogu = polacz(katalog, ostatniaNazwa(folder));
    const std::size_t przedrostek = polacz(folder, "").size();
    pliki::Drzewo drzewo = pliki::PrzejdzDrzewo(folder);
    for (const pliki::BladPliku& blad : drzewo.bledy) {
        wynik.bledy.push_back("nie mogę odczytać folderu " + cudzyslow(blad.nazwa) + ": " +
                              pliki::OpisBledu(blad.numer));
    }
    for (pliki::PlikDrzewa& plik : drzewo.pliki) {
        wynik.wyjscia.push_back(katalog.empty() ? std::string()
                                                : polacz(doKatalogu, plik.sciezka.substr(przedrostek)));
        wynik.wejscia.push_back(std::move(plik.sciezka));
        wynik.znane.emplace_back(plik.znany);
    }
}

}  // namespace

PlikiPartii ZnajdzPliki(const std::vector<std::string>& nazwy, const std::string& katalog, bool rekurencyjnie)
{
    PlikiPartii wynik;
    for (const std::string& nazwa : nazwy) {
        if (rekurencyjnie && nazwa != "-" && jestFolderem(nazwa)) {
            dodajDrzewo(nazwa, katalog, wynik);
            continue;
        }
        wynik.wejscia.push_back(nazwa);
        wynik.wyjscia.push_back(katalog.empty() ? std::string() : pliki::WyjscieWKatalogu(katalog, nazwa));
        wynik.znane.emplace_back();
    }
    return wynik;
}

void SprawdzKatalogPozaWejsciami(const std::string& katalog, const std::vector<std::string>& nazwy)
{
    for (const std::string& nazwa : nazwy) {
        struct stat folder {};
        if (::stat(nazwa.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
            continue;
        }
        if (pliki::LezyWFolderze(katalog, folder)) {
            throw ZleUzycie{"folder wyjściowy " + cudzyslow(katalog) + " leży w folderze wejściowym " +
                            cudzyslow(nazwa) + "; wyniki trafiłyby między pliki do konwersji"};
        }
    }
}

std::string DokadProwadzi(const std::string& nazwa)
{
    fs::path sciezka = fs::absolute(nazwa).lexically_normal();
    // A link that leads nowhere yet still names the file that will be there.
    for (int krok = 0; krok < 40; ++krok) {
        std::error_code blad;
        if (!fs::is_symlink(fs::symlink_status(sciezka, blad))) {
            break;
        }
        const fs::path cel = fs::read_symlink(sciezka, blad);
        if (blad) {
            break;
        }
        sciezka = (sciezka.parent_path() / cel).lexically_normal();
    }
    std::error_code blad;
    const fs::path wynik = fs::weakly_canonical(sciezka, blad);
    return (blad ? sciezka : wynik).string();
}

}  // namespace cli
