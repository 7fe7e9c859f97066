#include "cli/nazwy.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "cli/komunikaty.h"
#include "cli/uzycie.h"
#include "engine/standardy.h"
#include "engine/strona.h"

namespace cli {

// "auto", in any case, as standard names are.
bool toAuto(std::string_view nazwa)
{
    return std::equal(nazwa.begin(), nazwa.end(), AUTO.begin(), AUTO.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

int indeksStandardu(std::string_view nazwa)
{
    if (const std::optional<int> standard = engine::ZnajdzStandard(nazwa)) {
        return *standard;
    }
    if (toAuto(nazwa)) {
        throw ZleUzycie{cudzyslow(nazwa) + " można podać tylko jako standard źródłowy (-f)"};
    }
    std::string nazwy;
    for (int i = 0; i < engine::LICZBA_STANDARDOW; ++i) {
        nazwy += (i == 0 ? "" : ", ") + std::string(engine::Standardy(i).Nazwa);
    }
    throw ZleUzycie{"nieznany standard " + cudzyslow(nazwa) + "; dostępne: " + nazwy +
                    " (inne nazwy: znakomat-cli -l)"};
}

std::string nazwaPodstawy(std::string_view nazwa, std::optional<int> zrodlo, int cel)
{
    // A base no standard takes would silently change nothing.
    if (zrodlo && !engine::PrzyjmujePodstawe(*zrodlo) && !engine::PrzyjmujePodstawe(cel)) {
        throw ZleUzycie{"opcja -b (--base) nic tu nie zmienia: " +
                        (*zrodlo == cel ? "standard " + nazwaStandardu(cel) + " ma własną stronę kodową"
                                        : "standardy " + nazwaStandardu(*zrodlo) + " i " +
                                              nazwaStandardu(cel) + " mają własne strony kodowe")};
    }
    const engine::Podstawa podstawa = engine::ZnajdzPodstawe(nazwa);
    switch (podstawa.rodzaj) {
        case engine::RodzajPodstawy::Nieznana:
            throw ZleUzycie{"nieznana strona kodowa " + cudzyslow(nazwa) +
                            " (-b); dostępne: znakomat-cli --list-bases"};
        case engine::RodzajPodstawy::Wielobajtowa:
            throw ZleUzycie{
                cudzyslow(nazwa) +
                " nie jest jednobajtową stroną kodową, a tylko takie przyjmuje opcja -b (--base), "
                "np. CP437, CP850, ISO-8859-1, CP1252"};
        case engine::RodzajPodstawy::Jednobajtowa:
            break;
    }
    return podstawa.nazwa;
}

void sprawdzWszystkieZnaki(std::optional<int> zrodlo, int cel, bool zPodstawa)
{
    for (const std::optional<int> standard : {zrodlo, std::optional(cel)}) {
        if (standard && !engine::ZnaWszystkieZnaki(*standard, zPodstawa)) {
            throw ZleUzycie{"opcja -a (--all-characters) nie zna bajtów standardu " +
                            nazwaStandardu(*standard) +
                            " innych niż litery: podaj ich jednobajtową stronę kodową opcją -b (--base), "
                            "np. -a -b CP437"};
        }
    }
}

// Each standard on a line, its other names beside it, so that every word is a valid name.
std::string listaStandardow()
{
    std::size_t szerokosc = 0;
    for (int i = 0; i < engine::LICZBA_STANDARDOW; ++i) {
        szerokosc = std::max(szerokosc, engine::Standardy(i).Nazwa.size());
    }
    std::string lista;
    for (int i = 0; i < engine::LICZBA_STANDARDOW; ++i) {
        std::string wiersz(engine::Standardy(i).Nazwa);
        for (const engine::Alias& alias : engine::Aliasy()) {
            if (alias.standard == i) {
                wiersz.resize(std::max(wiersz.size(), szerokosc), ' ');
                wiersz += ' ';
                wiersz += alias.nazwa;
            }
        }
        lista += wiersz + "\n";
    }
    std::vector<int> cale;
    for (int i = 0; i < engine::LICZBA_STANDARDOW; ++i) {
        if (engine::ZnaWszystkieZnaki(i)) {
            cale.push_back(i);
        }
    }
    return lista + "\nCały tekst (-a) bez -b: " + listaNazw(cale, ", ") +
           ".\nPozostałe standardy z -a potrzebują -b (--base), strony kodowej bajtów innych niż "
           "litery;\nprzyjmowane strony wypisuje znakomat-cli --list-bases.\n";
}

std::string listaPodstaw()
{
    std::string lista;
    for (const std::string& nazwa : engine::NazwyPodstaw()) {
        lista += nazwa + "\n";
    }
    return lista;
}

}  // namespace cli
