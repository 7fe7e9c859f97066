#include "engine/standardy.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace engine {

namespace {

using namespace std::string_view_literals;

// Columns: Ą Ć Ę Ł Ń Ó Ś Ź Ż, then ą ć ę ł ń ó ś ź ż.
// clang-format off
constexpr std::array<Standard, LICZBA_STANDARDOW> tabela = {{
    /*  0 */ {"\x41\x43\x45\x4C\x4E\x4F\x53\x5A\x5A" "\x61\x63\x65\x6C\x6E\x6F\x73\x7A\x7A"sv, "brak"sv},
    /*  1 */ {"\x8F\x95\x90\x9C\xA5\xA3\x98\xA0\xA1" "\x86\x8D\x91\x92\xA4\xA2\x9E\xA6\xA7"sv, "Mazovia"sv},
    /*  2 */ {"\xA1\xC6\xCA\xA3\xD1\xD3\xA6\xAC\xAF" "\xB1\xE6\xEA\xB3\xF1\xF3\xB6\xBC\xBF"sv, "ISO-Latin-2"sv},
    /*  3 */ {"\x80\x81\x82\x83\x84\x85\x86\x88\x87" "\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA8\xA7"sv, "CSK"sv},
    /*  4 */ {"\x80\x81\x82\x83\x84\x85\x86\x88\x87" "\x89\x8A\x8B\x8C\x8D\x8E\x8F\x91\x90"sv, "Cyfromat"sv},
    /*  5 */ {"\x80\x81\x82\x83\x84\x85\x86\x88\x87" "\x89\x8A\x8B\x8C\x8D\x8E\x8F\x91\x90"sv, "DHN"sv},
    /*  6 */ {"\x80\x81\x82\x83\x84\x85\x86\x87\x88" "\x90\x91\x92\x93\x94\x95\x96\x97\x98"sv, "IINTE-ISIS"sv},
    /*  7 */ {"\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD" "\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE"sv, "IBM-Latin-2"sv},
    /*  8 */ {"\x8F\x80\x90\x9C\xA5\x99\xEB\x9D\x92" "\xA0\x9B\x82\x9F\xA4\xA2\x87\xA8\x91"sv, "IEA-Swierk"sv},
    /*  9 */ {"\x80\x81\x82\x83\x84\x85\x86\x87\x88" "\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91"sv, "Logic"sv},
    /* 10 */ {"\x8F\x80\x90\x9C\xA5\x93\x98\x9D\x92" "\xA0\x9B\x82\x9F\xA4\xA2\x87\xA8\x91"sv, "Microvex"sv},
    /* 11 */ {"\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF" "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"sv, "Windows-EE"sv},
    /* 12 */ {"\x97\x99\xA5\xA6\x92\x8F\x8E\x90\x80" "\x96\x94\xA4\xA7\x91\xA2\x84\x82\x87"sv, "Ventura"sv},
    /* 13 */ {"\xC1\xC3\xC5\xCC\xCE\xCF\xD3\xDA\xD9" "\xE1\xE3\xE5\xEC\xEE\xEF\xF3\xFA\xF9"sv, "ELWRO-Junior"sv},
    /* 14 */ {"\xC2\xCA\xCB\xCE\xCF\xD3\xD4\xDA\xDB" "\xE2\xEA\xEB\xEE\xEF\xF3\xF4\xFA\xFB"sv, "AmigaPL"sv},
    /* 15 */ {"\xC5\xF2\xC9\xA3\xD1\xD3\xFF\xE1\xED" "\xE5\xEC\xE6\xC6\xF1\xF3\xA5\xAA\xBA"sv, "WFN"sv},
    /* 16 */ {"\xC4\xC7\xCB\xD0\xD1\xD3\xD6\xDA\xDC" "\xE4\xE7\xEB\xF0\xF1\xF3\xF6\xFA\xFC"sv, "ATM"sv},
    /* 17 */ {"\xC4\x84\xC4\x86\xC4\x98\xC5\x81\xC5\x83\xC3\x93\xC5\x9A\xC5\xB9\xC5\xBB"
              "\xC4\x85\xC4\x87\xC4\x99\xC5\x82\xC5\x84\xC3\xB3\xC5\x9B\xC5\xBA\xC5\xBC"sv, "UTF-8"sv},
}};
// clang-format on

constexpr bool tabelaMaWlasciweDlugosci()
{
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        const std::size_t oczekiwana = i == UTF8_INDEX ? 2 * LICZBA_LITER : LICZBA_LITER;
        if (tabela[i].Znaki.size() != oczekiwana) {
            return false;
        }
    }
    return true;
}
static_assert(tabelaMaWlasciweDlugosci());

// The names other programs and the IANA registry give these code pages.
// No two alike by the rule of ZnajdzStandard, so that each is listed once.
constexpr std::array<Alias, 13> aliasy = {{
    {"ISO-8859-2"sv, ISO_LATIN_2},
    {"ISO_8859-2:1987"sv, ISO_LATIN_2},
    {"ISO-IR-101"sv, ISO_LATIN_2},
    {"latin2"sv, ISO_LATIN_2},
    {"l2"sv, ISO_LATIN_2},
    {"csISOLatin2"sv, ISO_LATIN_2},
    {"CP852"sv, IBM_LATIN_2},
    {"IBM852"sv, IBM_LATIN_2},
    {"852"sv, IBM_LATIN_2},
    {"csPCp852"sv, IBM_LATIN_2},
    {"CP1250"sv, WINDOWS_EE},
    {"windows-1250"sv, WINDOWS_EE},
    {"MS-EE"sv, WINDOWS_EE},
}};

constexpr bool aliasyWKolejnosciTabeli()
{
    for (std::size_t i = 1; i < aliasy.size(); ++i) {
        if (aliasy[i - 1].standard > aliasy[i].standard) {
            return false;
        }
    }
    return true;
}
static_assert(aliasyWKolejnosciTabeli());

constexpr char malaLitera(char znak)
{
    return znak >= 'A' && znak <= 'Z' ? static_cast<char>(znak - 'A' + 'a') : znak;
}

void sprawdzIndeks(int indeks)
{
    if (indeks < 0 || indeks >= LICZBA_STANDARDOW) {
        throw std::out_of_range("Nieprawidłowy indeks standardu: " + std::to_string(indeks));
    }
}

}  // namespace

// Names are compared as iconv and ICU compare the names of charsets: "-", "_" and spaces
// left out, ASCII letters in either case.
std::string KluczNazwy(std::string_view nazwa)
{
    std::string wynik;
    for (const char znak : nazwa) {
        if (znak != '-' && znak != '_' && znak != ' ') {
            wynik += malaLitera(znak);
        }
    }
    return wynik;
}

const Standard& Standardy(int indeks)
{
    sprawdzIndeks(indeks);
    return tabela[static_cast<std::size_t>(indeks)];
}

int SzerokoscLitery(int standard)
{
    sprawdzIndeks(standard);
    return standard == UTF8_INDEX ? 2 : 1;
}

std::string_view Litera(int standard, int pozycja)
{
    if (pozycja < 1 || pozycja > LICZBA_LITER) {
        throw std::out_of_range("Nieprawidłowa pozycja litery: " + std::to_string(pozycja));
    }
    const int szerokosc = SzerokoscLitery(standard);
    return Standardy(standard).Znaki.substr(static_cast<std::size_t>((pozycja - 1) * szerokosc),
                                            static_cast<std::size_t>(szerokosc));
}

std::span<const Alias> Aliasy()
{
    return aliasy;
}

std::optional<int> ZnajdzStandard(std::string_view nazwa)
{
    const std::string szukana = KluczNazwy(nazwa);
    // A name of nothing but separators names nothing.
    if (szukana.empty()) {
        return std::nullopt;
    }
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        if (KluczNazwy(tabela[static_cast<std::size_t>(i)].Nazwa) == szukana) {
            return i;
        }
    }
    for (const Alias& alias : aliasy) {
        if (KluczNazwy(alias.nazwa) == szukana) {
            return alias.standard;
        }
    }
    return std::nullopt;
}

}  // namespace engine
