#pragma once

// Text for tests that cut it into pieces or pass it through the command line.

#include <random>
#include <string>

#include "engine/konwersja.h"
#include "engine/standardy.h"

namespace engine::test {

// Every byte and every letter of the source standard, then random text rich in what the
// block boundaries can cut: letters, lone lead and second bytes of UTF-8, line breaks.
inline std::string losowyTekst(int zrodlo, std::size_t dlugosc, unsigned ziarno)
{
    std::mt19937 los(ziarno);
    std::string tekst;
    for (int b = 0; b < 256; ++b) {
        tekst.push_back(static_cast<char>(b));
    }
    tekst += Standardy(zrodlo).Znaki;
    while (tekst.size() < dlugosc) {
        switch (los() % 6) {
            case 0:
            case 1:
                tekst += Litera(zrodlo, static_cast<int>(los() % LICZBA_LITER) + 1);
                break;
            case 2:
                tekst.push_back(static_cast<char>(0xC3 + los() % 3));
                break;
            case 3:
                tekst.push_back(static_cast<char>(0x80 + los() % 0x40));
                break;
            case 4:
                tekst += los() % 2 ? "\n" : "\r\n";
                break;
            default:
                tekst.push_back(static_cast<char>(los()));
        }
    }
    return tekst;
}
}  // namespace engine::test
