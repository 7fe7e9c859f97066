#pragma once

#include <string_view>

namespace znakomat {

inline constexpr int LICZBA_STANDARDOW = 18;
inline constexpr int LICZBA_LITER = 18;
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

}  // namespace znakomat
