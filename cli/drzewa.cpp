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
    std::vector<std::pair<std::string, std::string>> znalezione;
    std::error_code blad;
    fs::recursive_directory_iterator wpis(folder, fs::directory_options::none, blad);
    for (; !blad && wpis != fs::recursive_directory_iterator(); wpis.increment(blad)) {
        // Links are not followed: a link to a folder above would never end.
        std::error_code bladStanu;
        if (wpis->is_symlink(bladStanu) || !wpis->is_regular_file(bladStanu)) {
            continue;
        }
        const std::string wzgledna = wpis->path().lexically_relative(folder).string();
        znalezione.emplace_back(wpis->path().string(), polacz(doKatalogu, wzgledna));
    }
    if (blad) {
        const std::string gdzie = wpis == fs::recursive_directory_iterator() ? folder : wpis->path().string();
        wynik.bledy.push_back("nie mogę odczytać folderu " + cudzyslow(gdzie) + ": " +
                              pliki::OpisBledu(blad.value()));
    }
    std::sort(znalezione.begin(), znalezione.end());
    for (auto& [wejscie, wyjscie] : znalezione) {
        wynik.wejscia.push_back(std::move(wejscie));
        wynik.wyjscia.push_back(katalog.empty() ? std::string() : std::move(wyjscie));
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
    }
    return wynik;
}

void SprawdzKatalogPozaWejsciami(const std::string& katalog, const std::vector<std::string>& nazwy)
{
    const fs::path wyjscie = DokadProwadzi(katalog);
    for (const std::string& nazwa : nazwy) {
        if (!jestFolderem(nazwa)) {
            continue;
        }
        const fs::path folder = DokadProwadzi(nazwa);
        const auto [koniecFolderu, koniecWyjscia] =
            std::mismatch(folder.begin(), folder.end(), wyjscie.begin(), wyjscie.end());
        if (koniecFolderu == folder.end()) {
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

bool BezWielkosciLiter(const std::string& katalog)
{
    std::string wzor = polacz(katalog, ".znakomat-Wielkosc-XXXXXX");
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

std::string BezWielkosci(std::string_view nazwa)
{
    std::string wynik;
    for (std::size_t i = 0; i < nazwa.size(); ++i) {
        const auto bajt = static_cast<unsigned char>(nazwa[i]);
        if (bajt >= 'A' && bajt <= 'Z') {
            wynik += static_cast<char>(bajt - 'A' + 'a');
            continue;
        }
        // Two-byte UTF-8 letters from U+00C0 to U+017F.
        if ((bajt == 0xC3 || bajt == 0xC4 || bajt == 0xC5) && i + 1 < nazwa.size()) {
            unsigned kod = ((bajt & 0x1Fu) << 6) | (static_cast<unsigned char>(nazwa[i + 1]) & 0x3Fu);
            if (kod >= 0xC0 && kod <= 0xDE && kod != 0xD7) {
                kod += 0x20;
            } else if (kod >= 0x100 && kod <= 0x17F && kod != 0x130 && kod != 0x131 && kod != 0x138 &&
                       kod != 0x149 && kod != 0x178 && kod != 0x17F) {
                // Pairs: even upper, odd lower, shifted by one between 0x139 and 0x148 and from 0x179.
                const bool przesuniete = (kod >= 0x139 && kod <= 0x148) || kod >= 0x179;
                if ((kod % 2 == 0) != przesuniete) {
                    kod += 1;
                }
            }
            wynik += static_cast<char>(0xC0 | (kod >> 6));
            wynik += static_cast<char>(0x80 | (kod & 0x3F));
            ++i;
            continue;
        }
        wynik += static_cast<char>(bajt);
    }
    return wynik;
}

}  // namespace cli
