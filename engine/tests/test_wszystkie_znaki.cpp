// Whole texts between the code pages, against the system's iconv(3) over every byte and
// over random texts cut into random pieces.

#include <iconv.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "engine/standardy.h"
#include "engine/tests/przez_iconv.h"
#include "engine/wszystkie_znaki.h"

namespace {

using namespace znakomat;
using namespace znakomat::test;
using namespace std::string_view_literals;

const char* nazwaIconv(int standard)
{
    switch (standard) {
        case ISO_LATIN_2:
            return "ISO-8859-2";
        case IBM_LATIN_2:
            return "CP852";
        case WINDOWS_EE:
            return "WINDOWS-1250";
        default:
            return "UTF-8";
    }
}

// What iconv(3) gives for the whole text, by the names of its own that the test gives.
ZIconv przezIconv(int zrodlo, int cel, std::string tekst)
{
    return znakomat::test::przezIconv(nazwaIconv(zrodlo), nazwaIconv(cel), std::move(tekst));
}

// The same through KonwersjaWszystkichZnakow, the text handed over in pieces of the sizes given.
ZIconv wKawalkach(int zrodlo, int cel, std::string_view tekst, std::mt19937& los, std::size_t najwiekszy)
{
    KonwersjaWszystkichZnakow konwersja(zrodlo, cel);
    ZIconv wynik;
    try {
        while (!tekst.empty()) {
            const std::size_t dlugosc = std::min(tekst.size(), 1 + los() % najwiekszy);
            konwersja.dopisz(tekst.substr(0, dlugosc), wynik.wynik);
            tekst.remove_prefix(dlugosc);
        }
        konwersja.zakoncz();
    } catch (const NieprzekonwertowanyZnak& stop) {
        wynik.stop = stop.pozycja;
    }
    return wynik;
}

std::string opis(int zrodlo, int cel)
{
    return std::string(Standardy(zrodlo).Nazwa) + " -> " + std::string(Standardy(cel).Nazwa);
}

TEST(WszystkieZnaki, KazdyBajtJakIconv)
{
    std::mt19937 los(1);
    int zatrzyman = 0;
    for (const int zrodlo : StronyKodowe()) {
        for (const int cel : StronyKodowe()) {
            for (int b = 0; b < 256; ++b) {
                const std::string bajt(1, static_cast<char>(b));
                const ZIconv oczekiwany = przezIconv(zrodlo, cel, bajt);
                const ZIconv wynik = wKawalkach(zrodlo, cel, bajt, los, 1);
                EXPECT_EQ(wynik.wynik, oczekiwany.wynik) << opis(zrodlo, cel) << " bajt " << b;
                EXPECT_EQ(wynik.stop, oczekiwany.stop) << opis(zrodlo, cel) << " bajt " << b;
                zatrzyman += oczekiwany.stop ? 1 : 0;
            }
        }
    }
    // Some bytes stop iconv, so both ways of ending were compared.
    EXPECT_GT(zatrzyman, 0);
}

// Characters of Polish texts as they are, with typography and a few the targets lack.
constexpr std::string_view ZNAKI[] = {"a"sv, "Z"sv, " "sv, "\n"sv, "ą"sv, "ż"sv,        "Ł"sv, "Ś"sv, "ó"sv,
                                      "„"sv, "”"sv, "–"sv, "…"sv,  "°"sv, "§"sv,        "é"sv, "ü"sv, "€"sv,
                                      "╬"sv, "™"sv, "ß"sv, "€"sv,  "😀"sv, "\xC2\xA0"sv, "ĺ"sv, "ő"sv};

TEST(WszystkieZnaki, LosoweTekstyWKawalkachJakIconv)
{
    std::mt19937 los(7);
    int zatrzyman = 0;
    for (const int zrodlo : StronyKodowe()) {
        for (const int cel : StronyKodowe()) {
            int calych = 0;
            for (int proba = 0; proba < 200; ++proba) {
                // Written in the source as far as it holds them; now and then a random byte.
                std::string tekst;
                const int dlugosc = 1 + static_cast<int>(los() % 300);
                for (int i = 0; i < dlugosc; ++i) {
                    if (los() % 400 == 0) {
                        tekst += static_cast<char>(los() % 256);
                        continue;
                    }
                    const std::string_view znak = ZNAKI[los() % std::size(ZNAKI)];
                    const ZIconv wZrodle = przezIconv(UTF8_INDEX, zrodlo, std::string(znak));
                    if (!wZrodle.stop) {
                        tekst += wZrodle.wynik;
                    }
                }
                const ZIconv oczekiwany = przezIconv(zrodlo, cel, tekst);
                const ZIconv wynik = wKawalkach(zrodlo, cel, tekst, los, 1 + los() % 64);
                ASSERT_EQ(wynik.stop, oczekiwany.stop) << opis(zrodlo, cel) << " próba " << proba;
                ASSERT_EQ(wynik.wynik, oczekiwany.wynik) << opis(zrodlo, cel) << " próba " << proba;
                (oczekiwany.stop ? zatrzyman : calych) += 1;
            }
            EXPECT_GT(calych, 0) << opis(zrodlo, cel);
        }
    }
    EXPECT_GT(zatrzyman, 0);
}

TEST(WszystkieZnaki, CzegoIconvNiePrzyjmujeZUtf8)
{
    struct Przypadek {
        std::string_view tekst;
        int cel;
        NieprzekonwertowanyZnak::Rodzaj rodzaj;
        std::uint64_t pozycja;
    };
    using enum NieprzekonwertowanyZnak::Rodzaj;
    const Przypadek przypadki[] = {
        {"ab\xC3"sv, WINDOWS_EE, NiepelnyUtf8, 2},
        {"ab\xE2\x80"sv, UTF8_INDEX, NiepelnyUtf8, 2},
        {"a\xC0\x80z"sv, ISO_LATIN_2, NiepoprawnyUtf8, 1},
        {"a\xED\xA0\x80"sv, UTF8_INDEX, NiepoprawnyUtf8, 1},
        {"a\xE0\x80\x80"sv, WINDOWS_EE, NiepoprawnyUtf8, 1},
        {"a\xED\xA0\x80z"sv, ISO_LATIN_2, NiepoprawnyUtf8, 1},
        {"a\xF4\x90\x80\x80"sv, IBM_LATIN_2, NiepoprawnyUtf8, 1},
        {"a\xFF"sv, UTF8_INDEX, NiepoprawnyUtf8, 1},
        {"x€"sv, ISO_LATIN_2, BrakWCelu, 1},
        {"ąę„"sv, IBM_LATIN_2, BrakWCelu, 4},
    };
    std::mt19937 los(3);
    for (const Przypadek& p : przypadki) {
        EXPECT_EQ(przezIconv(UTF8_INDEX, p.cel, std::string(p.tekst)).stop, p.pozycja) << p.tekst;
        KonwersjaWszystkichZnakow konwersja(UTF8_INDEX, p.cel);
        std::string wynik;
        try {
            konwersja.dopisz(p.tekst, wynik);
            konwersja.zakoncz();
            ADD_FAILURE() << p.tekst;
        } catch (const NieprzekonwertowanyZnak& stop) {
            EXPECT_EQ(stop.rodzaj, p.rodzaj) << p.tekst;
            EXPECT_EQ(stop.pozycja, p.pozycja) << p.tekst;
        }
    }
    EXPECT_THROW(KonwersjaWszystkichZnakow(MAZOVIA, UTF8_INDEX), std::invalid_argument);
    EXPECT_THROW(KonwersjaWszystkichZnakow(UTF8_INDEX, BRAK), std::invalid_argument);
}

// Every code point of Unicode, surrogates too, alone in UTF-8 into a code page: converted to
// the same byte as iconv converts it, dropped where iconv drops it, refused where it refuses.
// Above the first 65,536 no code page holds a character, and the one rule for them all is
// checked with one target: each refusal costs an exception.
TEST(WszystkieZnaki, CalaPrzestrzenKodowJakIconv)
{
    for (const int cel : StronyKodowe()) {
        if (cel == UTF8_INDEX) {
            continue;
        }
        SCOPED_TRACE(opis(UTF8_INDEX, cel));
        const iconv_t iconv = ::iconv_open(nazwaIconv(cel), "UTF-8");
        ASSERT_NE(iconv, reinterpret_cast<iconv_t>(-1));
        KonwersjaWszystkichZnakow konwersja(UTF8_INDEX, cel);
        std::size_t roznic = 0;
        std::size_t porzuconych = 0;
        const char32_t ostatni = cel == WINDOWS_EE ? 0x10FFFF : 0xFFFF;
        for (char32_t kod = 0; kod <= ostatni && roznic < 10; ++kod) {
            std::string tekst;
            if (kod < 0x80) {
                tekst = {static_cast<char>(kod)};
            } else if (kod < 0x800) {
                tekst = {static_cast<char>(0xC0 | (kod >> 6)), static_cast<char>(0x80 | (kod & 0x3F))};
            } else if (kod < 0x10000) {
                tekst = {static_cast<char>(0xE0 | (kod >> 12)), static_cast<char>(0x80 | ((kod >> 6) & 0x3F)),
                         static_cast<char>(0x80 | (kod & 0x3F))};
            } else {
                tekst = {
                    static_cast<char>(0xF0 | (kod >> 18)), static_cast<char>(0x80 | ((kod >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((kod >> 6) & 0x3F)), static_cast<char>(0x80 | (kod & 0x3F))};
            }
            std::string wedlugIconv(8, '\0');
            char* we = tekst.data();
            std::size_t zostalo = tekst.size();
            char* wy = wedlugIconv.data();
            std::size_t miejsce = wedlugIconv.size();
            ::iconv(iconv, nullptr, nullptr, nullptr, nullptr);
            const bool odmowaIconv =
                ::iconv(iconv, &we, &zostalo, &wy, &miejsce) == static_cast<std::size_t>(-1);
            wedlugIconv.resize(static_cast<std::size_t>(wy - wedlugIconv.data()));
            porzuconych += !odmowaIconv && wedlugIconv.empty() ? 1 : 0;

            std::string wynik;
            bool odmowa = false;
            try {
                konwersja.dopisz(tekst, wynik);
            } catch (const NieprzekonwertowanyZnak&) {
                odmowa = true;
            }
            if (odmowa != odmowaIconv || (!odmowa && wynik != wedlugIconv)) {
                ++roznic;
                ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(kod)
                              << (odmowaIconv ? " iconv odmawia" : " iconv przyjmuje");
            }
        }
        ::iconv_close(iconv);
        if (cel == WINDOWS_EE) {
            // The tag characters at least.
            EXPECT_GE(porzuconych, 0x80u);
        }
    }
}

}  // namespace
