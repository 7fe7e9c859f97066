#include "engine/utf8.h"

namespace engine {

int ZnakUtf8(std::string_view tekst, char32_t& kod)
{
    const auto bajt = [&](std::size_t i) { return static_cast<unsigned char>(tekst[i]); };
    const unsigned char pierwszy = bajt(0);
    int dlugosc = 0;
    unsigned char od = 0x80;
    unsigned char doBajtu = 0xBF;
    if (pierwszy < 0x80) {
        kod = pierwszy;
        return 1;
    }
    if (pierwszy >= 0xC2 && pierwszy <= 0xDF) {
        dlugosc = 2;
        kod = pierwszy & 0x1Fu;
    } else if (pierwszy >= 0xE0 && pierwszy <= 0xEF) {
        dlugosc = 3;
        kod = pierwszy & 0x0Fu;
        od = pierwszy == 0xE0 ? 0xA0 : 0x80;
        doBajtu = pierwszy == 0xED ? 0x9F : 0xBF;
    } else if (pierwszy >= 0xF0 && pierwszy <= 0xF4) {
        dlugosc = 4;
        kod = pierwszy & 0x07u;
        od = pierwszy == 0xF0 ? 0x90 : 0x80;
        doBajtu = pierwszy == 0xF4 ? 0x8F : 0xBF;
    } else {
        return -1;
    }
    for (int i = 1; i < dlugosc; ++i) {
        if (static_cast<std::size_t>(i) >= tekst.size()) {
            return 0;
        }
        const unsigned char dalszy = bajt(static_cast<std::size_t>(i));
        if (dalszy < od || dalszy > doBajtu) {
            return -1;
        }
        od = 0x80;
        doBajtu = 0xBF;
        kod = (kod << 6) | (dalszy & 0x3Fu);
    }
    return dlugosc;
}

void DopiszUtf8(std::string& wynik, char32_t znak)
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

}  // namespace engine
