#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace engine {

inline constexpr int LICZBA_STANDARDOW = 18;
inline constexpr int LICZBA_LITER = 18;

// The standards by their index in the table, which is also their place in the lists.
inline constexpr int BRAK = 0;
inline constexpr int MAZOVIA = 1;
inline constexpr int ISO_LATIN_2 = 2;
inline constexpr int CSK = 3;
inline constexpr int CYFROMAT = 4;
inline constexpr int DHN = 5;
inline constexpr int IINTE_ISIS = 6;
inline constexpr int IBM_LATIN_2 = 7;
inline constexpr int IEA_SWIERK = 8;
inline constexpr int LOGIC = 9;
inline constexpr int MICROVEX = 10;
inline constexpr int WINDOWS_EE = 11;
inline constexpr int VENTURA = 12;
inline constexpr int ELWRO_JUNIOR = 13;
inline constexpr int AMIGA_PL = 14;
inline constexpr int WFN = 15;
inline constexpr int ATM = 16;
inline constexpr int UTF8_INDEX = 17;

// One encoding of the eighteen Polish letters. Znaki holds the letters in the order
// Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż as Windows-1250 bytes: one byte per letter,
// two for UTF-8.
struct Standard {
    std::string_view Znaki;
    std::string_view Nazwa;
};

// Throws std::out_of_range for an index outside 0..17.
const Standard& Standardy(int indeks);

// The entry of `pozycja` (1..18) in standard `standard`: one byte, two for UTF-8.
// Throws std::out_of_range for an index or position out of range.
std::string_view Litera(int standard, int pozycja);

// Width of every entry of a standard, in bytes (characters).
int SzerokoscLitery(int standard);

// Another common name of a standard that is a real code page, such as "CP1250".
struct Alias {
    std::string_view nazwa;
    int standard;
};

// Every alias, grouped by standard in table order.
std::span<const Alias> Aliasy();

// A name as names are compared: "-", "_" and spaces left out, ASCII letters in lower case.
std::string KluczNazwy(std::string_view nazwa);

// The standard called `nazwa` in the table or by an alias. Names are compared as iconv and
// ICU compare charset names: "-", "_" and spaces are left out, ASCII letters match in either
// case, every other byte only itself. Nothing for an unknown name.
std::optional<int> ZnajdzStandard(std::string_view nazwa);

}  // namespace engine
