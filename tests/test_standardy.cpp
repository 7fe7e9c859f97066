#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <cerrno>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "standardy.h"
#include "windows1250.h"

namespace znakomat {
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
    constexpr std::array<std::string_view, LICZBA_STANDARDOW> nazwy = {
        "brak"sv,       "Mazovia"sv,      "ISO-Latin-2"sv, "CSK"sv,   "Cyfromat"sv, "DHN"sv,
        "IINTE-ISIS"sv, "IBM-Latin-2"sv,  "IEA-Swierk"sv,  "Logic"sv, "Microvex"sv, "Windows-EE"sv,
        "Ventura"sv,    "ELWRO-Junior"sv, "AmigaPL"sv,     "WFN"sv,   "ATM"sv,      "UTF-8"sv,
    };
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        EXPECT_EQ(Standardy(i).Nazwa, nazwy[static_cast<std::size_t>(i)]) << i;
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
    EXPECT_EQ(Standardy(4).Znaki, Standardy(5).Znaki);

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
    EXPECT_EQ(litery(11), LITERY);

    const std::u8string_view utf8 = u8"ĄĆĘŁŃÓŚŹŻąćęłńóśźż";
    EXPECT_EQ(Standardy(UTF8_INDEX).Znaki, std::string(utf8.begin(), utf8.end()));

    EXPECT_EQ(dekodujIconv("ISO-8859-2", Standardy(2).Znaki), LITERY);
    EXPECT_EQ(dekodujIconv("IBM852", Standardy(7).Znaki), LITERY);
    EXPECT_EQ(dekodujIconv("UTF-8", Standardy(UTF8_INDEX).Znaki), LITERY);
    EXPECT_EQ(litery(0), u"ACELNOSZZacelnoszz");
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
}  // namespace znakomat
