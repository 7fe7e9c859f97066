// Whole texts between the code pages, against the system's iconv(3) over every byte and
// over random texts cut into random pieces; Mazovia against a model of its own, and the
// other standards through a base code page.

#include <iconv.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/standardy.h"
#include "engine/strona.h"
#include "engine/tests/model_mazovii.h"
#include "engine/tests/przez_iconv.h"
#include "engine/wszystkie_znaki.h"

namespace {

using namespace engine;
using namespace engine::test;
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
    return engine::test::przezIconv(nazwaIconv(zrodlo), nazwaIconv(cel), std::move(tekst));
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
    EXPECT_THROW(KonwersjaWszystkichZnakow(CSK, UTF8_INDEX), std::invalid_argument);
    EXPECT_THROW(KonwersjaWszystkichZnakow(UTF8_INDEX, BRAK), std::invalid_argument);
    EXPECT_THROW(KonwersjaWszystkichZnakow(UTF8_INDEX, CSK, "SJIS"), std::runtime_error);
}

// UTF-8 into itself copies what Unicode allows and leaves the rest to iconv, which takes a few
// sequences beyond it: every lead byte with every second byte, and those sequences, in pieces.
TEST(WszystkieZnaki, Utf8DoUtf8JakIconv)
{
    std::mt19937 los(4);
    std::vector<std::string> teksty;
    for (int wiodacy = 0x80; wiodacy < 0x100; ++wiodacy) {
        for (int drugi = 0x70; drugi < 0xC8; ++drugi) {
            const std::string ciag{static_cast<char>(wiodacy), static_cast<char>(drugi), '\x80', '\x80',
                                   '\x80'};
            teksty.push_back("ą" + ciag.substr(0, 2 + los() % 4) + "z");
        }
    }
    for (const std::string ciag : {"\xF4\x90\x80\x80", "\xF7\xBF\xBF\xBF", "\xF8\x88\x80\x80\x80",
                                   "\xFC\x84\x80\x80\x80\x80", "\xED\xA0", "\xF4\x90", "\xE0\x80"}) {
        teksty.push_back("a" + ciag);
        teksty.push_back("ab" + ciag + "ż");
    }
    int zatrzyman = 0;
    for (const std::string& tekst : teksty) {
        const ZIconv oczekiwany = przezIconv(UTF8_INDEX, UTF8_INDEX, tekst);
        for (const std::size_t kawalek : {std::size_t{1}, std::size_t{5}, tekst.size()}) {
            const ZIconv wynik = wKawalkach(UTF8_INDEX, UTF8_INDEX, tekst, los, kawalek);
            ASSERT_EQ(wynik.stop, oczekiwany.stop) << tekst << ", kawałki do " << kawalek;
            ASSERT_EQ(wynik.wynik, oczekiwany.wynik) << tekst << ", kawałki do " << kawalek;
        }
        zatrzyman += oczekiwany.stop ? 1 : 0;
    }
    // Both ways of ending were compared.
    EXPECT_GT(zatrzyman, 0);
    EXPECT_LT(zatrzyman, static_cast<int>(teksty.size()));
}

// The model over a whole text, a character at a time through UTF-8, for Mazovia and the
// code pages.
ZIconv model(int zrodlo, int cel, std::string_view tekst)
{
    ZIconv wynik;
    for (std::size_t i = 0; i < tekst.size();) {
        std::size_t dlugosc = 1;
        if (zrodlo == UTF8_INDEX) {
            const auto bajt = static_cast<unsigned char>(tekst[i]);
            dlugosc = bajt < 0xC0 ? 1 : bajt < 0xE0 ? 2 : bajt < 0xF0 ? 3 : 4;
        }
        const std::string znakZrodla(tekst.substr(i, dlugosc));
        std::optional<std::string> znak;
        if (zrodlo == MAZOVIA) {
            znak = zMazovii(tekst[i]);
        } else if (ZIconv z = przezIconv(zrodlo, UTF8_INDEX, znakZrodla); !z.stop) {
            znak = z.wynik;
        }
        std::optional<std::string> wCelu;
        if (znak && cel == MAZOVIA) {
            wCelu = doMazovii(*znak);
        } else if (ZIconv z = znak ? przezIconv(UTF8_INDEX, cel, *znak) : ZIconv{{}, 0}; !z.stop) {
            wCelu = z.wynik;
        }
        if (!wCelu) {
            wynik.stop = i;
            return wynik;
        }
        wynik.wynik += *wCelu;
        i += dlugosc;
    }
    return wynik;
}

std::string wStandardzie(int standard, std::string_view znak)
{
    if (standard == MAZOVIA) {
        return doMazovii(znak).value_or("");
    }
    const ZIconv z = przezIconv(UTF8_INDEX, standard, std::string(znak));
    return z.stop ? "" : z.wynik;
}

TEST(WszystkieZnaki, MazoviaJakModelKazdyBajtILosoweTeksty)
{
    std::vector<int> inne(StronyKodowe().begin(), StronyKodowe().end());
    inne.push_back(MAZOVIA);
    // Every character of Mazovia in UTF-8, for the texts from UTF-8.
    std::vector<std::string> znakiMazovii;
    for (int b = 0; b < 256; ++b) {
        znakiMazovii.push_back(zMazovii(static_cast<char>(b)).value_or("€"));
    }
    const std::string ramka = "╔═╗║╚═╝ ° ± ·";
    std::mt19937 los(5);
    for (const int standard : inne) {
        for (const auto& [zrodlo, cel] : {std::pair(MAZOVIA, standard), std::pair(standard, MAZOVIA)}) {
            std::vector<std::string> teksty;
            if (zrodlo == UTF8_INDEX) {
                teksty = znakiMazovii;
                teksty.push_back(ramka);
            } else {
                for (int b = 0; b < 256; ++b) {
                    teksty.emplace_back(1, static_cast<char>(b));
                }
            }
            for (int proba = 0; proba < 100; ++proba) {
                std::string tekst;
                for (int i = 0; i < 200; ++i) {
                    tekst += wStandardzie(zrodlo, los() % 3 == 0
                                                      ? std::string_view(ZNAKI[los() % std::size(ZNAKI)])
                                                      : znakiMazovii[los() % 256]);
                }
                teksty.push_back(tekst);
            }
            int calych = 0;
            for (const std::string& tekst : teksty) {
                const ZIconv oczekiwany = model(zrodlo, cel, tekst);
                const ZIconv wynik = wKawalkach(zrodlo, cel, tekst, los, 1 + los() % 40);
                ASSERT_EQ(wynik.stop, oczekiwany.stop) << opis(zrodlo, cel) << " " << tekst;
                ASSERT_EQ(wynik.wynik, oczekiwany.wynik) << opis(zrodlo, cel) << " " << tekst;
                calych += oczekiwany.stop ? 0 : 1;
            }
            EXPECT_GT(calych, 100) << opis(zrodlo, cel);
        }
    }
}

// A base: the standard's letters at the bytes of its row, every other byte as the base has it.
TEST(WszystkieZnaki, ZPodstawa)
{
    struct Przypadek {
        int zrodlo;
        int cel;
        std::string_view podstawa;
        std::string_view tekst;
        std::string_view wynik;
        std::optional<std::size_t> stop;
    };
    const Przypadek przypadki[] = {
        {CSK, UTF8_INDEX, "CP437", "\x80\xA7\xB0\xC9\xF8\xF1 x", "Ąż░╔°± x", {}},
        {UTF8_INDEX, CSK, "cp437", "Ąż░╔°± x", "\x80\xA7\xB0\xC9\xF8\xF1 x", {}},
        // Characters of 437 whose bytes the letters took: Ç at Ą, ü at Ć, á at ą.
        {UTF8_INDEX, CSK, "IBM437", "aÇ", "a", 1},
        {UTF8_INDEX, CSK, "IBM437", "╗üx", "\xBB", 3},
        {UTF8_INDEX, CSK, "IBM437", "á", "", 0},
        // Ó twice in CSK on ISO-8859-1: at the letter's byte 85 and at D3. Both read as Ó; Ó is
        // written as the letter's byte. The C1 control 85 lost its byte to the letter.
        {CSK, UTF8_INDEX, "ISO-8859-1", "\xD3\x85\xE9", "ÓÓé", {}},
        {UTF8_INDEX, CSK, "ISO-8859-1", "Óé", "\x85\xE9", {}},
        {UTF8_INDEX, CSK, "ISO-8859-1", "a\u0085", "a", 1},
        {CSK, ISO_LATIN_2, "ISO-8859-1", "\xD3\x85\xE9", "\xD3\xD3\xE9", {}},
        // Mazovia through 437 as without a base, and through another base.
        {MAZOVIA, UTF8_INDEX, "IBM437", "\x8F\x86\xC9\xF8\xF1", "Ąą╔°±", {}},
        {MAZOVIA, UTF8_INDEX, "", "\x8F\x86\xC9\xF8\xF1", "Ąą╔°±", {}},
        {MAZOVIA, UTF8_INDEX, "CP850", "\x9C\xB0\xD0", "Ł░ð", {}},
        // Between two standards on one base; the base's characters stay at their bytes.
        {CSK, LOGIC, "CP437", "\x80\xA0\xB0", "\x80\x89\xB0", {}},
        {LOGIC, CSK, "CP437", "\x92\x89", "\x92\xA0", {}},
        {LOGIC, CSK, "CP437", "\x8C\x8F", "\xA3\xA6", {}},
        {LOGIC, CSK, "CP437", "\xA0", "", 0},
        {LOGIC, UTF8_INDEX, "CP1252", "\x80\x92\x93", "Ą’“", {}},
        // "brak": its ASCII letters stay themselves; the Polish letters lose their marks.
        {UTF8_INDEX, BRAK, "CP437", "Zażółć ░", "Zazolc \xB0", {}},
        {BRAK, UTF8_INDEX, "CP437", "Zazolc \xB0", "Zazolc ░", {}},
        {BRAK, WINDOWS_EE, "CP437", "Ala \xF8", "Ala \xB0", {}},
        // A base changes nothing in a code page.
        {WINDOWS_EE, UTF8_INDEX, "CP437", "\x80\x84", "€„", {}},
    };
    std::mt19937 los(9);
    for (const Przypadek& p : przypadki) {
        const Podstawa podstawa = ZnajdzPodstawe(p.podstawa);
        ASSERT_TRUE(p.podstawa.empty() || podstawa.rodzaj == RodzajPodstawy::Jednobajtowa) << p.podstawa;
        KonwersjaWszystkichZnakow konwersja(p.zrodlo, p.cel, podstawa.nazwa);
        std::string wynik;
        std::optional<std::size_t> stop;
        try {
            for (const char bajt : p.tekst) {
                konwersja.dopisz(std::string_view(&bajt, 1), wynik);
            }
            konwersja.zakoncz();
        } catch (const NieprzekonwertowanyZnak& zatrzymanie) {
            stop = zatrzymanie.pozycja;
        }
        EXPECT_EQ(wynik, p.wynik) << opis(p.zrodlo, p.cel) << " " << p.podstawa << " " << p.tekst;
        EXPECT_EQ(stop, p.stop) << opis(p.zrodlo, p.cel) << " " << p.podstawa << " " << p.tekst;
    }
}

TEST(WszystkieZnaki, NazwyPodstaw)
{
    struct Przypadek {
        std::string_view nazwa;
        RodzajPodstawy rodzaj;
        std::string_view wIconv;
    };
    using enum RodzajPodstawy;
    const Przypadek przypadki[] = {
        {"CP437", Jednobajtowa, "IBM437"},
        {"cp-437", Jednobajtowa, "IBM437"},
        {"Latin_1", Jednobajtowa, "ISO-8859-1"},
        {"iso88591", Jednobajtowa, "ISO-8859-1"},
        {"CP 1252", Jednobajtowa, "CP1252"},
        {"koi8-r", Jednobajtowa, "KOI8-R"},
        {"UTF-8", Wielobajtowa, "UTF-8"},
        {"utf_16", Wielobajtowa, "UTF-16"},
        {"SJIS", Wielobajtowa, "SJIS"},
        {"UTF-7", Wielobajtowa, "UTF-7"},
        {"ISO-2022-JP", Wielobajtowa, "ISO-2022-JP"},
        {"Mazovia", Nieznana, ""},
        {"", Nieznana, ""},
        {"--", Nieznana, ""},
        {"CP437x", Nieznana, ""},
        {"CP437//TRANSLIT", Nieznana, ""},
    };
    for (const Przypadek& p : przypadki) {
        const Podstawa podstawa = ZnajdzPodstawe(p.nazwa);
        EXPECT_EQ(podstawa.rodzaj, p.rodzaj) << p.nazwa;
        EXPECT_EQ(podstawa.nazwa, p.wIconv) << p.nazwa;
    }
    // The names offered are the one-byte ones, each found again by itself.
    const std::vector<std::string> nazwy = NazwyPodstaw();
    for (const std::string_view nazwa : {"IBM437", "CP437", "CP850", "ISO-8859-1", "LATIN1", "CP1252"}) {
        EXPECT_NE(std::find(nazwy.begin(), nazwy.end(), nazwa), nazwy.end()) << nazwa;
    }
    for (const std::string_view nazwa : {"UTF-8", "SJIS", "UTF-16", "EUC-JP", "BIG5"}) {
        EXPECT_EQ(std::find(nazwy.begin(), nazwy.end(), nazwa), nazwy.end()) << nazwa;
    }
    for (const std::string& nazwa : nazwy) {
        ASSERT_EQ(ZnajdzPodstawe(nazwa).rodzaj, Jednobajtowa) << nazwa;
    }
}

TEST(WszystkieZnaki, KtoreParyKonwertujaWszystkieZnaki)
{
    struct Przypadek {
        int zrodlo;
        int cel;
        bool bezPodstawy;
        bool zPodstawa;
    };
    const Przypadek przypadki[] = {
        {ISO_LATIN_2, UTF8_INDEX, true, true},
        {MAZOVIA, WINDOWS_EE, true, true},
        {UTF8_INDEX, MAZOVIA, true, true},
        {IBM_LATIN_2, MAZOVIA, true, true},
        {CSK, UTF8_INDEX, false, true},
        {UTF8_INDEX, BRAK, false, true},
        {LOGIC, ATM, false, true},
        {UTF8_INDEX, UTF8_INDEX, true, true},
    };
    for (const Przypadek& p : przypadki) {
        EXPECT_EQ(KonwertujeWszystkieZnaki(p.zrodlo, p.cel), p.bezPodstawy) << opis(p.zrodlo, p.cel);
        EXPECT_EQ(KonwertujeWszystkieZnaki(p.zrodlo, p.cel, true), p.zPodstawa) << opis(p.zrodlo, p.cel);
    }
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
