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

std::size_t ZapiszUtf8(char32_t znak, char* wynik)
{
    const auto bajt = [](char32_t bity) { return static_cast<char>(bity); };
    if (znak < 0x80) {
        wynik[0] = bajt(znak);
        return 1;
    }
    if (znak < 0x800) {
        wynik[0] = bajt(0xC0 | znak >> 6);
        wynik[1] = bajt(0x80 | (znak & 0x3F));
        return 2;
    }
    if (znak < 0x10000) {
        wynik[0] = bajt(0xE0 | znak >> 12);
        wynik[1] = bajt(0x80 | (znak >> 6 & 0x3F));
        wynik[2] = bajt(0x80 | (znak & 0x3F));
        return 3;
    }
    wynik[0] = bajt(0xF0 | znak >> 18);
    wynik[1] = bajt(0x80 | (znak >> 12 & 0x3F));
    wynik[2] = bajt(0x80 | (znak >> 6 & 0x3F));
    wynik[3] = bajt(0x80 | (znak & 0x3F));
    return 4;
}

void DopiszUtf8(std::string& wynik, char32_t znak)
{
    char bajty[4];
    wynik.append(bajty, ZapiszUtf8(znak, bajty));
}

}  // namespace engine
