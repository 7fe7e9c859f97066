#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/standardy.h"
#include "engine/tests/tekst_windows1250.h"

namespace engine {
namespace {

using namespace std::string_view_literals;

constexpr std::u16string_view LITERY = u"ĄĆĘŁŃÓŚŹŻąćęłńóśźż";

// Decodes `bajty` with the system's iconv; nothing when iconv rejects the input.
std::optional<std::u16string> dekodujIconv(const char* kodowanie, std::string_view bajty)
{
    const iconv_t cd = iconv_open("UTF-16LE", kodowanie);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv nie zna " << kodowanie;
        return std::nullopt;
    }
    std::string wejscie(bajty);
    std::string wyjscie(4 * bajty.size() + 8, '\0');
    char* we = wejscie.data();
    char* wy = wyjscie.data();
    std::size_t zostaloWe = wejscie.size();
    std::size_t zostaloWy = wyjscie.size();
    const std::size_t rc = iconv(cd, &we, &zostaloWe, &wy, &zostaloWy);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    std::u16string wynik;
    for (const char* p = wyjscie.data(); p + 1 < wy; p += 2) {
        wynik.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                              (static_cast<unsigned char>(p[1]) << 8)));
    }
    return wynik;
}

std::u16string litery(int standard)
{
    return DekodujWindows1250(Standardy(standard).Znaki);
}

TEST(Standardy, NazwyWKolejnosci)
{
    constexpr std::array<std::pair<int, std::string_view>, LICZBA_STANDARDOW> nazwy = {{
        {BRAK, "brak"sv},
        {MAZOVIA, "Mazovia"sv},
        {ISO_LATIN_2, "ISO-Latin-2"sv},
        {CSK, "CSK"sv},
        {CYFROMAT, "Cyfromat"sv},
        {DHN, "DHN"sv},
        {IINTE_ISIS, "IINTE-ISIS"sv},
        {IBM_LATIN_2, "IBM-Latin-2"sv},
        {IEA_SWIERK, "IEA-Swierk"sv},
        {LOGIC, "Logic"sv},
        {MICROVEX, "Microvex"sv},
        {WINDOWS_EE, "Windows-EE"sv},
        {VENTURA, "Ventura"sv},
        {ELWRO_JUNIOR, "ELWRO-Junior"sv},
        {AMIGA_PL, "AmigaPL"sv},
        {WFN, "WFN"sv},
        {ATM, "ATM"sv},
        {UTF8_INDEX, "UTF-8"sv},
    }};
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        const auto& [stala, nazwa] = nazwy[static_cast<std::size_t>(i)];
        EXPECT_EQ(stala, i) << nazwa;
        EXPECT_EQ(Standardy(i).Nazwa, nazwa) << i;
    }
}

TEST(Standardy, IndeksySpozaZakresuRzucaja)
{
    EXPECT_THROW(Standardy(-1), std::out_of_range);
    EXPECT_THROW(Standardy(LICZBA_STANDARDOW), std::out_of_range);
    EXPECT_THROW(SzerokoscLitery(-1), std::out_of_range);
    EXPECT_THROW(SzerokoscLitery(LICZBA_STANDARDOW), std::out_of_range);
    EXPECT_THROW(Litera(0, 0), std::out_of_range);
    EXPECT_THROW(Litera(0, LICZBA_LITER + 1), std::out_of_range);
    EXPECT_THROW(Litera(UTF8_INDEX, 0), std::out_of_range);
    EXPECT_THROW(Litera(-1, 1), std::out_of_range);
    EXPECT_THROW(Litera(LICZBA_STANDARDOW, 1), std::out_of_range);

    EXPECT_NO_THROW(Standardy(0));
    EXPECT_NO_THROW(Standardy(LICZBA_STANDARDOW - 1));
    EXPECT_NO_THROW(Litera(0, 1));
    EXPECT_NO_THROW(Litera(UTF8_INDEX, LICZBA_LITER));
}

TEST(Standardy, WpisyISzerokosci)
{
    EXPECT_EQ(Litera(UTF8_INDEX, 1), "\xC4\x84"sv);
    EXPECT_EQ(Litera(UTF8_INDEX, LICZBA_LITER), "\xC5\xBC"sv);
    EXPECT_EQ(Litera(0, 8), "Z"sv);
    EXPECT_EQ(Litera(0, 9), "Z"sv);
    EXPECT_EQ(Litera(0, 17), "z"sv);
    EXPECT_EQ(Litera(0, 18), "z"sv);
    EXPECT_EQ(Standardy(CYFROMAT).Znaki, Standardy(DHN).Znaki);

    for (int s = 0; s < LICZBA_STANDARDOW; ++s) {
        const int szerokosc = SzerokoscLitery(s);
        EXPECT_EQ(szerokosc, s == UTF8_INDEX ? 2 : 1) << s;
        std::string zlozone;
        std::set<std::string_view> rozne;
        for (int p = 1; p <= LICZBA_LITER; ++p) {
            const std::string_view wpis = Litera(s, p);
            EXPECT_EQ(wpis.size(), static_cast<std::size_t>(szerokosc)) << s << ' ' << p;
            zlozone += wpis;
            rozne.insert(wpis);
        }
        EXPECT_EQ(zlozone, Standardy(s).Znaki) << s;
        // Only "brak" may give two letters one entry; anywhere else it would be a typo.
        EXPECT_EQ(rozne.size(), s == 0 ? 16u : 18u) << Standardy(s).Nazwa;
    }
}

TEST(Standardy, WierszeZgodneZeZnanymiKodowaniami)
{
    EXPECT_EQ(litery(WINDOWS_EE), LITERY);

    const std::u8string_view utf8 = u8"ĄĆĘŁŃÓŚŹŻąćęłńóśźż";
    EXPECT_EQ(Standardy(UTF8_INDEX).Znaki, std::string(utf8.begin(), utf8.end()));

    EXPECT_EQ(dekodujIconv("ISO-8859-2", Standardy(ISO_LATIN_2).Znaki), LITERY);
    EXPECT_EQ(dekodujIconv("IBM852", Standardy(IBM_LATIN_2).Znaki), LITERY);
    EXPECT_EQ(dekodujIconv("UTF-8", Standardy(UTF8_INDEX).Znaki), LITERY);
    EXPECT_EQ(litery(BRAK), u"ACELNOSZZacelnoszz");
}

TEST(Standardy, ZnajdzStandardPoNazwieWKazdejWielkosciLiter)
{
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        std::string nazwa(Standardy(i).Nazwa);
        EXPECT_EQ(ZnajdzStandard(nazwa), i) << nazwa;
        for (char& znak : nazwa) {
            znak = static_cast<char>(std::islower(static_cast<unsigned char>(znak)) ? std::toupper(znak)
                                                                                    : std::tolower(znak));
        }
        EXPECT_EQ(ZnajdzStandard(nazwa), i) << nazwa;
    }
    EXPECT_EQ(ZnajdzStandard("wINDOWS-1250"), WINDOWS_EE);
    EXPECT_EQ(ZnajdzStandard("L2"), ISO_LATIN_2);
    EXPECT_EQ(ZnajdzStandard("utf8"), UTF8_INDEX);
}

TEST(Standardy, NazwyPorownywaneJakWIconvIIcu)
{
    // Case, "-", "_" and spaces do not count; every other byte does, and a name is matched whole.
    const std::vector<std::pair<std::string_view, std::optional<int>>> nazwy = {
        {"latin-2"sv, ISO_LATIN_2},
        {"iso88592"sv, ISO_LATIN_2},
        {"ISO8859-2"sv, ISO_LATIN_2},
        {"ISO_8859-2"sv, ISO_LATIN_2},
        {"iso_8859-2:1987"sv, ISO_LATIN_2},
        {"ISO-IR-101"sv, ISO_LATIN_2},
        {"cp-1250"sv, WINDOWS_EE},
        {"Windows 1250"sv, WINDOWS_EE},
        {"windows1250"sv, WINDOWS_EE},
        {"windows_ee"sv, WINDOWS_EE},
        {"IBM-852"sv, IBM_LATIN_2},
        {"ibm_latin_2"sv, IBM_LATIN_2},
        {"utf_8"sv, UTF8_INDEX},
        {"UTF8"sv, UTF8_INDEX},
        {" UTF-8 "sv, UTF8_INDEX},
        {"852 "sv, IBM_LATIN_2},
        {"Amiga-PL"sv, AMIGA_PL},
        {"elwro junior"sv, ELWRO_JUNIOR},
        {""sv, std::nullopt},
        {"-_ "sv, std::nullopt},
        {"Latin-9"sv, std::nullopt},
        {"UTF-"sv, std::nullopt},
        {"UTF-88"sv, std::nullopt},
        {"UTF-7"sv, std::nullopt},
        {"cp1252"sv, std::nullopt},
        {"ISO-8859-1"sv, std::nullopt},
        {"ISO_8859-2:1988"sv, std::nullopt},
        {"ISO8859:2"sv, std::nullopt},
        {"Windows.1250"sv, std::nullopt},
        {"IEA-\xC5\x9Awierk"sv, std::nullopt},
        {"CP1250\0"sv, std::nullopt},
        {"\xC3\xA1tm"sv, std::nullopt},
        {"Windows\rEE"sv, std::nullopt},
        {"Windows\tEE"sv, std::nullopt},
    };
    for (const auto& [nazwa, standard] : nazwy) {
        EXPECT_EQ(ZnajdzStandard(nazwa), standard) << nazwa;
    }
}

TEST(Standardy, AliasyTakJakJeRozumieIconv)
{
    std::set<int> zAliasami;
    for (const Alias& alias : Aliasy()) {
        zAliasami.insert(alias.standard);
        EXPECT_EQ(ZnajdzStandard(alias.nazwa), alias.standard) << alias.nazwa;
        const std::string nazwa(alias.nazwa);
        EXPECT_EQ(dekodujIconv(nazwa.c_str(), Standardy(alias.standard).Znaki), LITERY) << nazwa;
    }
    EXPECT_EQ(zAliasami, (std::set<int>{ISO_LATIN_2, IBM_LATIN_2, WINDOWS_EE}));
}

TEST(Standardy, KazdaNazwaWskazujeJedenStandard)
{
    std::map<std::string, int> wszystkie;
    const auto dodaj = [&](std::string_view nazwa, int standard) {
        // Names alike by the rule would be one name listed twice.
        std::string klucz;
        for (const char znak : nazwa) {
            if (znak != '-' && znak != '_' && znak != ' ') {
                klucz += static_cast<char>(std::tolower(static_cast<unsigned char>(znak)));
            }
        }
        EXPECT_TRUE(wszystkie.emplace(klucz, standard).second) << nazwa;
    };
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        dodaj(Standardy(i).Nazwa, i);
    }
    for (const Alias& alias : Aliasy()) {
        dodaj(alias.nazwa, alias.standard);
    }
    // Every common name the command line promises.
    for (const auto& [nazwa, standard] : std::vector<std::pair<std::string_view, int>>{
             {"ISO-8859-2", ISO_LATIN_2},
             {"ISO8859-2", ISO_LATIN_2},
             {"ISO_8859-2", ISO_LATIN_2},
             {"latin2", ISO_LATIN_2},
             {"l2", ISO_LATIN_2},
             {"CP1250", WINDOWS_EE},
             {"windows-1250", WINDOWS_EE},
             {"WINDOWS1250", WINDOWS_EE},
             {"MS-EE", WINDOWS_EE},
             {"CP852", IBM_LATIN_2},
             {"IBM852", IBM_LATIN_2},
             {"852", IBM_LATIN_2},
             {"UTF8", UTF8_INDEX},
         }) {
        EXPECT_EQ(ZnajdzStandard(nazwa), standard) << nazwa;
    }
}

TEST(Windows1250, ZgodnaZIconv)
{
    const std::set<int> nieprzypisane = {0x81, 0x83, 0x88, 0x90, 0x98};
    int przypisanych = 0;
    for (int b = 0; b < 256; ++b) {
        const auto bajt = static_cast<unsigned char>(b);
        const auto znak = dekodujIconv("CP1250", std::string(1, static_cast<char>(bajt)));
        if (znak) {
            ++przypisanych;
            ASSERT_EQ(znak->size(), 1u) << b;
            EXPECT_EQ(ZnakWindows1250(bajt), (*znak)[0]) << std::hex << b;
            EXPECT_EQ(nieprzypisane.count(b), 0u) << std::hex << b;
        } else {
            EXPECT_EQ(nieprzypisane.count(b), 1u) << std::hex << b;
            EXPECT_EQ(ZnakWindows1250(bajt), char16_t(b)) << std::hex << b;
        }
    }
    EXPECT_EQ(przypisanych, 251);
}

TEST(Windows1250, BajtJestOdwrotnosciaZnaku)
{
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(BajtWindows1250(ZnakWindows1250(static_cast<unsigned char>(b))), b);
    }
    int zBajtem = 0;
    for (int z = 0; z < 0x10000; ++z) {
        const int b = BajtWindows1250(static_cast<char16_t>(z));
        if (b >= 0) {
            ++zBajtem;
            EXPECT_EQ(ZnakWindows1250(static_cast<unsigned char>(b)), z);
        } else {
            EXPECT_EQ(b, -1);
        }
    }
    EXPECT_EQ(zBajtem, 256);
    EXPECT_EQ(BajtWindows1250(u'\u4E00'), -1);
    EXPECT_EQ(BajtWindows1250(char16_t{0xD800}), -1);
    EXPECT_EQ(BajtWindows1250(u'\u0100'), -1);
}

TEST(Windows1250, KodowanieIDekodowanie)
{
    std::string wszystkie;
    for (int b = 0; b < 256; ++b) {
        wszystkie.push_back(static_cast<char>(b));
    }
    const std::u16string znaki = DekodujWindows1250(wszystkie);
    ASSERT_EQ(znaki.size(), 256u);
    EXPECT_EQ(KodujWindows1250(znaki), wszystkie);
    EXPECT_EQ(KodujWindows1250(u""), "");

    EXPECT_THROW(KodujWindows1250(u"ab\u4E00"), std::invalid_argument);
    std::u16string zSurogatem = u"ą";
    zSurogatem.push_back(char16_t{0xD800});
    EXPECT_THROW(KodujWindows1250(zSurogatem), std::invalid_argument);
}

}  // namespace
}  // namespace engine
