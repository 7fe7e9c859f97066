// What passes a conversion unchanged although the target cannot hold it, counted piece by
// piece exactly as over the whole text.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/konwersja.h"
#include "engine/nie_litery.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "engine/tests/model_mazovii.h"
#include "engine/tests/warianty.h"

namespace engine {
namespace {

using namespace std::string_literals;

struct Wynik {
    std::uint64_t ile = 0;
    std::uint64_t pierwszy = 0;

    bool operator==(const Wynik&) const = default;
};

void PrintTo(const Wynik& wynik, std::ostream* os)
{
    *os << wynik.ile << " od " << wynik.pierwszy;
}

bool jestLiteraUtf8(std::string_view tekst, std::size_t i)
{
    for (int p = 1; p <= LICZBA_LITER; ++p) {
        if (tekst.substr(i, 2) == Litera(UTF8_INDEX, p)) {
            return true;
        }
    }
    return false;
}

// A byte at a time over the whole text.
Wynik wzorzec(std::string_view tekst, int zrodlo)
{
    Wynik wynik;
    const auto znaleziony = [&](std::size_t i) {
        if (wynik.ile++ == 0) {
            wynik.pierwszy = i;
        }
    };
    if (zrodlo != UTF8_INDEX) {
        for (std::size_t i = 0; i < tekst.size(); ++i) {
            if (static_cast<unsigned char>(tekst[i]) >= 0x80 &&
                Standardy(zrodlo).Znaki.find(tekst[i]) == std::string_view::npos) {
                znaleziony(i);
            }
        }
        return wynik;
    }
    bool wZnaku = false;
    for (std::size_t i = 0; i < tekst.size(); ++i) {
        const auto bajt = static_cast<unsigned char>(tekst[i]);
        if (jestLiteraUtf8(tekst, i)) {
            wZnaku = false;
            ++i;
        } else if (bajt < 0x80) {
            wZnaku = false;
        } else {
            if (bajt >= 0xC0 || !wZnaku) {
                znaleziony(i);
            }
            wZnaku = true;
        }
    }
    return wynik;
}

template <class Rozmiar>
Wynik wKawalkach(std::string_view tekst, int zrodlo, int cel, Rozmiar rozmiar)
{
    NieLitery nieLitery(zrodlo, cel);
    for (std::size_t p = 0; p < tekst.size();) {
        const std::size_t n = std::min<std::size_t>(rozmiar(), tekst.size() - p);
        nieLitery.dodaj(tekst.substr(p, n));
        nieLitery.dodaj({});
        p += n;
    }
    Wynik wynik{nieLitery.ile(), 0};
    if (wynik.ile > 0) {
        wynik.pierwszy = nieLitery.pierwszy();
        EXPECT_EQ(nieLitery.pierwszyBajt(), static_cast<unsigned char>(tekst[wynik.pierwszy]));
    }
    return wynik;
}

Wynik calosc(std::string_view tekst, int zrodlo, int cel)
{
    return wKawalkach(tekst, zrodlo, cel, [&] { return tekst.size(); });
}

// Letters, ASCII, bytes of every kind from 80 up, and runs of them.
std::string losowyTekst(int zrodlo, std::size_t dlugosc, std::mt19937& los)
{
    std::string tekst;
    while (tekst.size() < dlugosc) {
        switch (los() % 8) {
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
                tekst.push_back(static_cast<char>(0x80 + los() % 0x80));
                break;
            default:
                tekst += std::string(los() % 12, 'a');
        }
    }
    return tekst;
}

void wKawalkachJakWzorzec()
{
    std::mt19937 los(11);
    for (int jednobajtowy = 0; jednobajtowy < LICZBA_STANDARDOW; ++jednobajtowy) {
        if (jednobajtowy == UTF8_INDEX) {
            continue;
        }
        for (const auto& [zrodlo, cel] :
             {std::pair(jednobajtowy, UTF8_INDEX), std::pair(UTF8_INDEX, jednobajtowy)}) {
            for (int powtorzenie = 0; powtorzenie < 20; ++powtorzenie) {
                const std::string tekst = losowyTekst(zrodlo, 1 + los() % 2000, los);
                const Wynik oczekiwany = wzorzec(tekst, zrodlo);
                // Single bytes, pieces shorter than a block of 64, and longer ones.
                const std::size_t najwiecej = std::array<std::size_t, 3>{1, 40, 300}[powtorzenie % 3];
                EXPECT_EQ(calosc(tekst, zrodlo, cel), oczekiwany) << zrodlo << " -> " << cel;
                EXPECT_EQ(wKawalkach(tekst, zrodlo, cel, [&] { return 1 + los() % najwiecej; }), oczekiwany)
                    << zrodlo << " -> " << cel << ", kawałki do " << najwiecej;
            }
        }
    }
}

TEST(NieLitery, WKawalkachJakWzorzec)
{
    test::dlaKazdegoWariantu(wKawalkachJakWzorzec);
}

TEST(NieLitery, ZnakiZUtf8)
{
    // Each case: the text, how many characters stay behind, the offset of the first.
    const std::vector<std::tuple<std::string, std::uint64_t, std::uint64_t>> przypadki = {
        {"Zażółć gęślą jaźń", 0, 0},
        {"caf\xC3\xA9", 1, 3},
        {"\xE2\x80\x9E"
         "cytat\xE2\x80\x9D",
         2, 0},
        {"\xF0\x9F\x98\x80\xC3\xA9\xE2\x82\xAC", 3, 0},
        {"a\xC4", 1, 1},
        {"\xC4\xC4\x84", 1, 0},
        {"\xC4\x84\x84\x85", 1, 2},
        {"a\x84 b\x85", 2, 1},
        {"\xC3\xA9\xC3\xB3\xC3\xA9", 2, 0},
        {"\xC5\x81\xC5", 1, 2},
    };
    for (const auto& [tekst, ile, pierwszy] : przypadki) {
        for (const int cel : {BRAK, WINDOWS_EE, MAZOVIA}) {
            EXPECT_EQ(calosc(tekst, UTF8_INDEX, cel), (Wynik{ile, ile > 0 ? pierwszy : 0})) << tekst;
            EXPECT_EQ(wKawalkach(tekst, UTF8_INDEX, cel, [] { return 1; }),
                      (Wynik{ile, ile > 0 ? pierwszy : 0}))
                << tekst;
        }
    }

    // A lead byte that ends a piece counts only if the next piece does not finish a letter.
    NieLitery nieLitery(UTF8_INDEX, WINDOWS_EE);
    nieLitery.dodaj("x\xC4");
    EXPECT_EQ(nieLitery.ile(), 1u);
    nieLitery.dodaj("\x84");
    EXPECT_EQ(nieLitery.ile(), 0u);
    nieLitery.dodaj("\xC5");
    nieLitery.dodaj("\xA9");
    EXPECT_EQ(nieLitery.ile(), 1u);
    EXPECT_EQ(nieLitery.pierwszy(), 3u);
    EXPECT_EQ(nieLitery.pierwszyBajt(), 0xC5);
}

// Every byte from C0 up followed by every byte from 80 to BF (or by ASCII, or by a lead byte
// of letters), across the edge of the two vector halves of a block and across the edge of two
// blocks, in plain text and amid letters, counted as the byte-at-a-time model counts it, by
// every variant.
TEST(NieLitery, ZnakiZUtf8NaGranicachBlokow)
{
    std::vector<std::pair<std::string, Wynik>> przypadki;
    for (const bool wsrodLiter : {false, true}) {
        std::string tlo;
        while (tlo.size() < 131) {
            tlo += wsrodLiter ? Litera(UTF8_INDEX, static_cast<int>(tlo.size() % LICZBA_LITER) + 1) : "a";
        }
        tlo.resize(131);
        for (const std::size_t miejsce : {std::size_t{31}, std::size_t{63}}) {
            for (int wiodacy = 0xC0; wiodacy < 0x100; ++wiodacy) {
                for (int drugi = 0x7F; drugi < 0xC6; ++drugi) {
                    std::string tekst = tlo;
                    tekst[miejsce] = static_cast<char>(wiodacy);
                    tekst[miejsce + 1] = static_cast<char>(drugi);
                    przypadki.emplace_back(tekst, wzorzec(tekst, UTF8_INDEX));
                }
            }
        }
    }
    test::dlaKazdegoWariantu([&] {
        for (const auto& [tekst, oczekiwany] : przypadki) {
            ASSERT_EQ(calosc(tekst, UTF8_INDEX, WINDOWS_EE), oczekiwany)
                << std::hex << static_cast<int>(static_cast<unsigned char>(tekst[31])) << " "
                << static_cast<int>(static_cast<unsigned char>(tekst[63]));
        }
    });
}

void bajtyWUtf8()
{
    // „Łódź” – in Windows-EE: three bytes that are no letters.
    const std::string windows =
        "\x84\xA3\xF3"
        "d\x9F\x94 \x96 \xB9";
    EXPECT_EQ(calosc(windows, WINDOWS_EE, UTF8_INDEX), (Wynik{3, 0}));
    // The same bytes are letters of another standard, and "brak" has none from 80 up.
    EXPECT_EQ(calosc(windows, ISO_LATIN_2, UTF8_INDEX), (Wynik{5, 0}));
    EXPECT_EQ(calosc(windows, BRAK, UTF8_INDEX), (Wynik{7, 0}));
    std::string wszystkie;
    for (int b = 0; b < 256; ++b) {
        wszystkie.push_back(static_cast<char>(b));
    }
    for (int zrodlo = 0; zrodlo < UTF8_INDEX; ++zrodlo) {
        // Every byte from 80 up but the standard's eighteen letters; "brak" writes them in ASCII.
        EXPECT_EQ(calosc(wszystkie, zrodlo, UTF8_INDEX).ile, zrodlo == BRAK ? 128u : 110u)
            << Standardy(zrodlo).Nazwa;
    }
}

TEST(NieLitery, BajtyWUtf8)
{
    test::dlaKazdegoWariantu(bajtyWUtf8);
}

TEST(NieLitery, InnePary)
{
    // Whatever the bytes, these targets hold them as they came, or nothing tells otherwise.
    const std::string tekst = "\x84\xC3\xA9\xC4\x84\xFF\xC5";
    for (const auto& [zrodlo, cel] :
         {std::pair(CSK, LOGIC), std::pair(UTF8_INDEX, UTF8_INDEX), std::pair(BRAK, MAZOVIA),
          std::pair(MAZOVIA, MAZOVIA), std::pair(WINDOWS_EE, WINDOWS_EE)}) {
        NieLitery nieLitery(zrodlo, cel);
        nieLitery.dodaj(tekst);
        EXPECT_EQ(nieLitery.rodzaj(), NieLitery::Rodzaj::Nic);
        EXPECT_EQ(nieLitery.ile(), 0u);
    }
    EXPECT_EQ(NieLitery(MAZOVIA, UTF8_INDEX).rodzaj(), NieLitery::Rodzaj::BajtyWUtf8);
    EXPECT_EQ(NieLitery(UTF8_INDEX, BRAK).rodzaj(), NieLitery::Rodzaj::ZnakiZUtf8);
    EXPECT_THROW(NieLitery(LICZBA_STANDARDOW, 0), std::out_of_range);
}

// The character a byte stands for in Mazovia and the code pages, by iconv and the model.
std::optional<std::string> znakBajtu(int standard, char bajt)
{
    if (standard == MAZOVIA) {
        return test::zMazovii(bajt);
    }
    const char* nazwa = standard == ISO_LATIN_2 ? "ISO-8859-2" : standard == IBM_LATIN_2 ? "CP852" : "CP1250";
    test::ZIconv znak = test::przezIconv(nazwa, "UTF-8", std::string(1, bajt));
    return znak.stop ? std::nullopt : std::optional(znak.wynik);
}

// Between two pages every byte that is no letter of the source and stands for something else
// in the target is counted, in every variant.
void inneZnakiMiedzyStronami()
{
    std::string wszystkie;
    for (int b = 0; b < 256; ++b) {
        wszystkie.push_back(static_cast<char>(b));
    }
    for (const int zrodlo : {ISO_LATIN_2, IBM_LATIN_2, WINDOWS_EE, MAZOVIA}) {
        for (const int cel : {ISO_LATIN_2, IBM_LATIN_2, WINDOWS_EE, MAZOVIA}) {
            Wynik oczekiwany;
            for (int b = 255; b >= 0; --b) {
                const char bajt = static_cast<char>(b);
                if (Standardy(zrodlo).Znaki.find(bajt) == std::string_view::npos &&
                    znakBajtu(zrodlo, bajt) != znakBajtu(cel, bajt)) {
                    oczekiwany = {oczekiwany.ile + 1, static_cast<std::uint64_t>(b)};
                }
            }
            // Any two differ in some byte but the letters.
            EXPECT_EQ(oczekiwany.ile > 0, zrodlo != cel);
            EXPECT_EQ(calosc(wszystkie + wszystkie, zrodlo, cel),
                      (Wynik{2 * oczekiwany.ile, oczekiwany.pierwszy}))
                << Standardy(zrodlo).Nazwa << " -> " << Standardy(cel).Nazwa;
        }
    }
}

TEST(NieLitery, InneZnakiMiedzyStronami)
{
    test::dlaKazdegoWariantu(inneZnakiMiedzyStronami);
}

TEST(NieLitery, InneZnakiWPrzykladach)
{
    struct Przypadek {
        int zrodlo;
        int cel;
        std::string_view podstawa;
        std::string tekst;
        Wynik wynik;
    };
    const Przypadek przypadki[] = {
        // „Łódź” – € in Windows-EE: the quotes, the dash and the euro are C1 controls in
        // ISO-Latin-2 or nothing.
        {WINDOWS_EE,
         ISO_LATIN_2,
         "",
         "\x84\xA3\xF3"
         "d\x9F\x94 \x96 \x80",
         {4, 0}},
        {WINDOWS_EE, ISO_LATIN_2, "", "Zaz\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\n", {0, 0}},
        // Windows-EE's ± is ą in ISO-Latin-2.
        {WINDOWS_EE, ISO_LATIN_2, "", "1\xB1 2", {1, 1}},
        // A frame and a degree from Mazovia.
        {MAZOVIA, WINDOWS_EE, "", "\x86 \xC9\xCD\xBB 5\xF8", {4, 2}},
        {MAZOVIA, IBM_LATIN_2, "", "\x86 \xC9\xCD\xBB 5\xF8", {0, 0}},
        // With a base both pages are known: CSK's 89 is 437's ë, Logic's ą.
        {CSK, LOGIC, "IBM437", "\x80\xA0 \x89\xB0", {1, 3}},
        {CSK, LOGIC, "", "\x80\xA0 \x89\xB0", {0, 0}},
        {CSK, UTF8_INDEX, "IBM437", "\x80\xA0 \x89\xB0", {2, 3}},
        // A base that differs from the target below 80 too.
        {CSK, ISO_LATIN_2, "IBM037", "\x80\x41\x42", {2, 1}},
    };
    for (const Przypadek& p : przypadki) {
        for (const std::size_t kawalek : {std::size_t{1}, p.tekst.size()}) {
            NieLitery nieLitery(p.zrodlo, p.cel, p.podstawa);
            for (std::size_t i = 0; i < p.tekst.size(); i += kawalek) {
                nieLitery.dodaj(std::string_view(p.tekst).substr(i, kawalek));
            }
            const Wynik wynik{nieLitery.ile(), nieLitery.ile() > 0 ? nieLitery.pierwszy() : 0};
            EXPECT_EQ(wynik, p.wynik) << Standardy(p.zrodlo).Nazwa << " -> " << Standardy(p.cel).Nazwa << " "
                                      << p.podstawa << ", kawałki po " << kawalek;
        }
    }
}

// The count agrees with what the conversion leaves: converted to UTF-8, a one-byte text
// becomes valid UTF-8 exactly when nothing was counted, for texts whose other bytes from 80
// up stand alone between ASCII.
TEST(NieLitery, ZgodneZWynikiemKonwersji)
{
    const auto poprawneUtf8 = [](std::string_view tekst) {
        for (std::size_t i = 0; i < tekst.size();) {
            const auto bajt = static_cast<unsigned char>(tekst[i]);
            const std::size_t dlugosc = bajt < 0x80 ? 1 : bajt >= 0xC2 && bajt < 0xE0 ? 2 : 0;
            if (dlugosc == 0 || i + dlugosc > tekst.size() ||
                (dlugosc == 2 && (static_cast<unsigned char>(tekst[i + 1]) & 0xC0) != 0x80)) {
                return false;
            }
            i += dlugosc;
        }
        return true;
    };
    std::mt19937 los(3);
    for (int zrodlo = 0; zrodlo < UTF8_INDEX; ++zrodlo) {
        for (int powtorzenie = 0; powtorzenie < 50; ++powtorzenie) {
            const bool zInnymiBajtami = powtorzenie % 2 == 1;
            std::string tekst;
            for (int i = 0; i < 40; ++i) {
                tekst += zInnymiBajtami && los() % 8 == 0
                             ? std::string(1, static_cast<char>(0x80 + los() % 0x80))
                             : std::string(Litera(zrodlo, static_cast<int>(los() % LICZBA_LITER) + 1));
                tekst += ' ';
            }
            const std::string wynik = engine::test::KonwertujBajty(tekst, zrodlo, UTF8_INDEX);
            EXPECT_EQ(calosc(tekst, zrodlo, UTF8_INDEX).ile == 0, poprawneUtf8(wynik))
                << Standardy(zrodlo).Nazwa;
        }
    }
}

}  // namespace
}  // namespace engine
