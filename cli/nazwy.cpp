#include "cli/nazwy.h"

#include <algorithm>
#include <cctype>

#include "cli/komunikaty.h"
#include "cli/uzycie.h"
#include "engine/standardy.h"
#include "engine/wszystkie_znaki.h"

namespace cli {

// "auto", in any case, as standard names are.
bool toAuto(std::string_view nazwa)
{
    return std::equal(nazwa.begin(), nazwa.end(), AUTO.begin(), AUTO.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

int indeksStandardu(std::string_view nazwa)
{
    if (const std::optional<int> standard = znakomat::ZnajdzStandard(nazwa)) {
        return *standard;
    }
    if (toAuto(nazwa)) {
        throw ZleUzycie{cudzyslow(nazwa) + " można podać tylko jako standard źródłowy (-f)"};
    }
    std::string nazwy;
    for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
        nazwy += (i == 0 ? "" : ", ") + std::string(znakomat::Standardy(i).Nazwa);
    }
    throw ZleUzycie{"nieznany standard " + cudzyslow(nazwa) + "; dostępne: " + nazwy +
                    " (inne nazwy: znakomat-cli -l)"};
}

void sprawdzStronyKodowe(std::optional<int> zrodlo, int cel)
{
    for (const std::optional<int> standard : {zrodlo, std::optional(cel)}) {
        if (standard && !znakomat::JestStronaKodowa(*standard)) {
            throw ZleUzycie{"opcja -a (--all-characters) konwertuje cały tekst tylko między standardami " +
                            listaNazw(znakomat::StronyKodowe(), ", ") + "; " + nazwaStandardu(*standard) +
                            " do nich nie należy"};
        }
    }
}

// Each standard on a line, its other names beside it, so that every word is a valid name.
std::string listaStandardow()
{
    std::size_t szerokosc = 0;
    for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
        szerokosc = std::max(szerokosc, znakomat::Standardy(i).Nazwa.size());
    }
    std::string lista;
    for (int i = 0; i < znakomat::LICZBA_STANDARDOW; ++i) {
        std::string wiersz(znakomat::Standardy(i).Nazwa);
        for (const znakomat::Alias& alias : znakomat::Aliasy()) {
            if (alias.standard == i) {
                wiersz.resize(std::max(wiersz.size(), szerokosc), ' ');
                wiersz += ' ';
                wiersz += alias.nazwa;
            }
        }
        lista += wiersz + "\n";
    }
    return lista;
}

}  // namespace cli
