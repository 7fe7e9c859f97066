#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "engine/tests/model_konwersji.h"
#include "engine/tests/tekst_windows1250.h"
#include "engine/tests/warianty.h"

namespace engine {
namespace {

using namespace std::string_literals;
using test::dlaKazdegoWariantu;
using test::modelKonwersji;

std::string konwertuj(std::string tekst, int zrodlo, int cel)
{
    return engine::test::KonwertujBajty(std::move(tekst), zrodlo, cel);
}

std::u16string konwertuj(std::u16string tekst, int zrodlo, int cel)
{
    return KonwertujTekst(std::move(tekst), zrodlo, cel, BezPostepu());
}

// Compares long texts without letting gtest print them whole.
template <class Tekst>
::testing::AssertionResult takieSame(const Tekst& wynik, const Tekst& oczekiwany)
{
    const auto roznica = std::mismatch(wynik.begin(), wynik.end(), oczekiwany.begin(), oczekiwany.end());
    if (roznica.first == wynik.end() && roznica.second == oczekiwany.end()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "długości " << wynik.size() << " i " << oczekiwany.size() << ", pierwsza różnica na pozycji "
           << (roznica.first - wynik.begin());
}

// Records every call as the step number (przedKrokiem) or 0 (poKroku); can throw on request.
class ZapisPostepu final : public Postep {
public:
    struct Przerwano {
        int krok;
    };

    void przedKrokiem(int krok) override
    {
        wywolania.push_back(krok);
        biezacy_ = krok;
        if (krok == przerwijPrzed) {
            throw Przerwano{krok};
        }
    }

    void poKroku() override
    {
        wywolania.push_back(0);
        if (biezacy_ == przerwijPo) {
            throw Przerwano{biezacy_};
        }
    }

    std::vector<int> wywolania;
    int przerwijPrzed = 0;
    int przerwijPo = 0;

private:
    int biezacy_ = 0;
};

std::vector<int> wszystkieKroki()
{
    std::vector<int> kroki;
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        kroki.push_back(krok);
        kroki.push_back(0);
    }
    return kroki;
}

// Random bytes that keep hitting the table: single-byte entries of every standard, whole
// UTF-8 entries, their lone halves, plain text and an occasional arbitrary byte.
class GeneratorTekstu {
public:
    explicit GeneratorTekstu(unsigned ziarno) : los_(ziarno)
    {
        for (int s = 0; s < LICZBA_STANDARDOW; ++s) {
            if (s != UTF8_INDEX) {
                for (const char b : Standardy(s).Znaki) {
                    pojedyncze_.push_back(b);
                }
            }
        }
        for (int p = 1; p <= LICZBA_LITER; ++p) {
            drugie_.push_back(Litera(UTF8_INDEX, p)[1]);
        }
    }

    std::string operator()(std::size_t dlugosc)
    {
        std::string tekst;
        while (tekst.size() < dlugosc) {
            const unsigned rodzaj = los(100);
            if (rodzaj < 35) {
                tekst.push_back(pojedyncze_[los(pojedyncze_.size())]);
            } else if (rodzaj < 50) {
                tekst += Litera(UTF8_INDEX, static_cast<int>(los(LICZBA_LITER)) + 1);
            } else if (rodzaj < 60) {
                tekst.push_back(static_cast<char>(0xC3 + los(3)));
            } else if (rodzaj < 68) {
                tekst.push_back(drugie_[los(drugie_.size())]);
            } else if (rodzaj < 90) {
                tekst.push_back("Za  zolty\r\nkot"[los(14)]);
            } else {
                tekst.push_back(static_cast<char>(los(256)));
            }
        }
        tekst.resize(dlugosc);
        return tekst;
    }

    // The same text as characters, with some units the code page lacks, lone surrogates too.
    std::u16string znaki(std::size_t dlugosc)
    {
        static constexpr std::array<char16_t, 9> obce = {0x4E00, 0x0100, 0xD800, 0xDBFF, 0xDC00,
                                                         0xDFFF, 0xFFFD, 0xFFFF, 0x0401};
        std::u16string tekst = DekodujWindows1250((*this)(dlugosc));
        for (char16_t& z : tekst) {
            if (los(8) == 0) {
                z = obce[los(obce.size())];
            }
        }
        return tekst;
    }

private:
    unsigned los(std::size_t n)
    {
        return static_cast<unsigned>(std::uniform_int_distribution<std::size_t>(0, n - 1)(los_));
    }

    std::mt19937 los_;
    std::string pojedyncze_;
    std::string drugie_;
};

struct ZestawTekstow {
    std::vector<std::string> bajty;
    std::vector<std::u16string> znaki;
};

const ZestawTekstow& losoweTeksty()
{
    static const ZestawTekstow zestaw = [] {
        // (length, how many): short texts many times, a couple of long ones.
        // Lengths around 16, 32 and 64 end the vector passes' blocks in every way.
        constexpr std::array<std::pair<std::size_t, int>, 17> dlugosci = {{{0, 1},
                                                                           {1, 24},
                                                                           {2, 40},
                                                                           {3, 40},
                                                                           {5, 24},
                                                                           {8, 16},
                                                                           {15, 2},
                                                                           {16, 2},
                                                                           {17, 2},
                                                                           {31, 3},
                                                                           {32, 3},
                                                                           {33, 8},
                                                                           {63, 3},
                                                                           {64, 3},
                                                                           {65, 3},
                                                                           {257, 4},
                                                                           {3000, 2}}};
        GeneratorTekstu generator(20240611);
        ZestawTekstow z;
        for (const auto& [dlugosc, ile] : dlugosci) {
            for (int i = 0; i < ile; ++i) {
                z.bajty.push_back(generator(dlugosc));
                z.znaki.push_back(generator.znaki(dlugosc));
            }
        }
        for (int b = 0; b < 256; ++b) {
            z.bajty.emplace_back(1, static_cast<char>(b));
        }
        return z;
    }();
    return zestaw;
}

// Runs f for all 324 pairs of standards, with every variant of the byte pass; stops at
// the first fatal failure.
template <class F>
void dlaKazdejPary(F f)
{
    dlaKazdegoWariantu([&] {
        for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
            for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
                SCOPED_TRACE(std::to_string(zrodlo) + " -> " + std::to_string(cel));
                f(zrodlo, cel);
                if (::testing::Test::HasFatalFailure()) {
                    return;
                }
            }
        }
    });
}

using ::testing::PrintToString;

// --- The table's own rows --------------------------------------------------------------------

TEST(Konwersja, WierszTabeliDajeWierszCelu)
{
    dlaKazdejPary([](int zrodlo, int cel) {
        // In "brak" Z and z stand first for Ź and ź, so its row gives those twice.
        std::string oczekiwany;
        for (int p = 1; p <= LICZBA_LITER; ++p) {
            oczekiwany += Litera(cel, zrodlo == 0 && (p == 9 || p == 18) ? p - 1 : p);
        }
        const std::string wiersz(Standardy(zrodlo).Znaki);
        EXPECT_EQ(konwertuj(wiersz, zrodlo, cel), oczekiwany);
        EXPECT_EQ(konwertuj(DekodujWindows1250(wiersz), zrodlo, cel), DekodujWindows1250(oczekiwany));
        if (zrodlo == 0) {
            EXPECT_EQ(konwertuj(wiersz, zrodlo, cel), modelKonwersji(wiersz, zrodlo, cel));
        } else {
            EXPECT_EQ(oczekiwany, Standardy(cel).Znaki);
        }
    });
}

// --- Random texts against the model ----------------------------------------------------------

TEST(Konwersja, LosoweTekstyJakModel)
{
    const auto obce = [](std::u16string tekst) {
        std::erase_if(tekst, [](char16_t z) { return BajtWindows1250(z) >= 0; });
        return tekst;
    };
    // The model and the text box's conversion do not depend on the byte pass: they run once
    // per pair, and only the prepared byte conversion once per variant.
    for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
        for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
            SCOPED_TRACE(std::to_string(zrodlo) + " -> " + std::to_string(cel));
            std::vector<std::string> oczekiwane;
            for (const std::string& tekst : losoweTeksty().bajty) {
                oczekiwane.push_back(modelKonwersji(tekst, zrodlo, cel));
                // The text box's conversion does to characters what the model does to bytes.
                ASSERT_EQ(konwertuj(DekodujWindows1250(tekst), zrodlo, cel),
                          DekodujWindows1250(oczekiwane.back()))
                    << PrintToString(tekst);
            }
            dlaKazdegoWariantu([&] {
                const PrzygotowanaKonwersja konwersja(zrodlo, cel);
                for (std::size_t i = 0; i < oczekiwane.size(); ++i) {
                    const std::string& tekst = losoweTeksty().bajty[i];
                    const std::string& oczekiwany = oczekiwane[i];
                    // A prepared conversion into the caller's memory fills exactly the room
                    // promised, which a copy on the heap of that size makes the sanitizers
                    // watch; what lies after the result is not looked at.
                    std::vector<char> miejsce(konwersja.najwiecejBajtow(tekst.size()));
                    const std::size_t dlugosc = konwersja.konwertuj(tekst, miejsce.data());
                    ASSERT_EQ(std::string(miejsce.data(), dlugosc), oczekiwany) << PrintToString(tekst);

                    std::string dopisany = "przed";
                    konwersja.dopisz(tekst, dopisany);
                    ASSERT_EQ(dopisany, "przed" + oczekiwany) << PrintToString(tekst);

                    std::string wMiejscu = tekst;
                    konwersja.konwertujWMiejscu(wMiejscu);
                    ASSERT_EQ(wMiejscu, oczekiwany) << PrintToString(tekst);
                }
            });
            ASSERT_FALSE(HasFatalFailure());
            for (const std::u16string& tekst : losoweTeksty().znaki) {
                const std::u16string wynik = konwertuj(tekst, zrodlo, cel);
                ASSERT_EQ(wynik, modelKonwersji(tekst, zrodlo, cel)) << PrintToString(tekst);
                // Units outside the code page come out unchanged and in order.
                ASSERT_EQ(obce(wynik), obce(tekst)) << PrintToString(tekst);
            }
        }
    }
}

TEST(Konwersja, TozsameStandardyNicNieZmieniaja)
{
    dlaKazdejPary([](int zrodlo, int cel) {
        if (zrodlo != cel && !(zrodlo == CYFROMAT && cel == DHN) && !(zrodlo == DHN && cel == CYFROMAT)) {
            return;
        }
        for (const std::string& tekst : losoweTeksty().bajty) {
            ASSERT_EQ(konwertuj(tekst, zrodlo, cel), tekst);
        }
        for (const std::u16string& tekst : losoweTeksty().znaki) {
            ASSERT_EQ(konwertuj(tekst, zrodlo, cel), tekst);
        }
    });
}

// --- Cases that show the step order ----------------------------------------------------------

TEST(Konwersja, WindowsEENaIsoLatin2)
{
    dlaKazdegoWariantu([&] {
        EXPECT_EQ(konwertuj("\xA5\x8C\x8F\xB9\x9C\x9F"s, WINDOWS_EE, ISO_LATIN_2),
                  "\xA1\xA6\xAC\xB1\xB6\xBC"s);
        const std::string wspolne = "\xC6\xCA\xA3\xD1\xD3\xAF\xE6\xEA\xB3\xF1\xF3\xBF";
        EXPECT_EQ(konwertuj(wspolne, WINDOWS_EE, ISO_LATIN_2), wspolne);
        // ISO's own Ą and Ś are no Windows letters and stay.
        EXPECT_EQ(konwertuj("\xA1\xA6\xB1\xB6"s, WINDOWS_EE, ISO_LATIN_2), "\xA1\xA6\xB1\xB6"s);
    });
}

TEST(Konwersja, ZapisanyZnakNieJestJuzZamieniany)
{
    dlaKazdegoWariantu([&] {
        // Mazovia Ą (8F) becomes Windows A5, which is Mazovia Ń; step 5 must leave it alone.
        EXPECT_EQ(konwertuj("\x8F"s, MAZOVIA, WINDOWS_EE), "\xA5"s);
        EXPECT_EQ(konwertuj("\xA5"s, MAZOVIA, WINDOWS_EE), "\xD1"s);
        EXPECT_EQ(konwertuj("\x8F\xA5"s, MAZOVIA, WINDOWS_EE), "\xA5\xD1"s);
        EXPECT_EQ(konwertuj(u"\u0179\u0104"s, MAZOVIA, WINDOWS_EE), u"\u0104\u0143"s);

        // Ź gives C5 B9; that B9 is Windows ą but was written, the input's B9 was not.
        EXPECT_EQ(konwertuj("\x8F"s, WINDOWS_EE, UTF8_INDEX), "\xC5\xB9"s);
        EXPECT_EQ(konwertuj("\x8F\xB9"s, WINDOWS_EE, UTF8_INDEX), "\xC5\xB9\xC4\x85"s);
        EXPECT_EQ(konwertuj("\xB9\x8F"s, WINDOWS_EE, UTF8_INDEX), "\xC4\x85\xC5\xB9"s);
    });
}

TEST(Konwersja, NiepelnyUtf8ZostajeBezZmian)
{
    dlaKazdegoWariantu([&] {
        for (const std::string& tekst :
             {"\xC4"s, "\xC5"s, "\xC3"s, "a\xC4"s, "\xC5\xC5"s, "\xC4 \x84"s, "\x84\xC4"s}) {
            EXPECT_EQ(konwertuj(tekst, UTF8_INDEX, WINDOWS_EE), tekst) << PrintToString(tekst);
        }
        EXPECT_EQ(konwertuj("\xC4\xC4\x84"s, UTF8_INDEX, WINDOWS_EE), "\xC4\xA5"s);
        EXPECT_EQ(konwertuj("\xC4\x84\x84"s, UTF8_INDEX, WINDOWS_EE), "\xA5\x84"s);
        EXPECT_EQ(konwertuj("\xC5\xBC\xC4"s, UTF8_INDEX, WINDOWS_EE), "\xBF\xC4"s);
    });
}

TEST(Konwersja, BrakZamieniaZNaZetZKreska)
{
    dlaKazdegoWariantu([&] {
        const std::string tekst = "Z1z ZZ zz.Z";
        for (int cel = 0; cel < LICZBA_STANDARDOW; ++cel) {
            std::string oczekiwany;
            for (const char c : tekst) {
                oczekiwany += c == 'Z'   ? std::string(Litera(cel, 8))
                              : c == 'z' ? std::string(Litera(cel, 17))
                                         : std::string(1, c);
            }
            EXPECT_EQ(konwertuj(tekst, 0, cel), oczekiwany) << cel;
        }
        EXPECT_EQ(konwertuj(u"Z-z"s, 0, WINDOWS_EE), u"\u0179-\u017A"s);
    });
}

// --- Progress and errors ---------------------------------------------------------------------

TEST(Konwersja, OsiemnascieKrokowWKolejnosci)
{
    for (const std::u16string& tekst : {u""s, u"\u0104 Za\u0179"s}) {
        ZapisPostepu zapis;
        const std::u16string wynik = KonwertujTekst(tekst, WINDOWS_EE, UTF8_INDEX, zapis);
        EXPECT_EQ(zapis.wywolania, wszystkieKroki());
        EXPECT_EQ(wynik.empty(), tekst.empty());
    }
}

TEST(Konwersja, ZlyIndeksRzucaPrzedPierwszymKrokiem)
{
    for (const auto& [zrodlo, cel] : {std::pair{-1, 0}, std::pair{LICZBA_STANDARDOW, 0}, std::pair{0, -1},
                                      std::pair{3, LICZBA_STANDARDOW}, std::pair{-7, 99}}) {
        ZapisPostepu zapis;
        EXPECT_THROW(KonwertujTekst(u"ABZ"s, zrodlo, cel, zapis), std::out_of_range) << zrodlo << ' ' << cel;
        EXPECT_TRUE(zapis.wywolania.empty()) << zrodlo << ' ' << cel;
    }
}

TEST(Konwersja, WyjatekPostepuPrzerywaKonwersje)
{
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        std::vector<int> oczekiwane = wszystkieKroki();
        oczekiwane.resize(static_cast<std::size_t>(2 * krok - 1));
        ZapisPostepu przed;
        przed.przerwijPrzed = krok;
        EXPECT_THROW(KonwertujTekst(u"\u0104\u0105 text"s, WINDOWS_EE, UTF8_INDEX, przed),
                     ZapisPostepu::Przerwano);
        EXPECT_EQ(przed.wywolania, oczekiwane) << krok;

        oczekiwane.push_back(0);
        ZapisPostepu po;
        po.przerwijPo = krok;
        EXPECT_THROW(KonwertujTekst(u"\u0104 text"s, UTF8_INDEX, WINDOWS_EE, po), ZapisPostepu::Przerwano);
        EXPECT_EQ(po.wywolania, oczekiwane) << krok;
    }
}

// --- Large texts -----------------------------------------------------------------------------

// One pass with a lookup table: the obvious way, for texts too long for the model.
std::string prostaKonwersja(std::string_view tekst, int zrodlo, int cel)
{
    std::string wynik;
    wynik.reserve(tekst.size() + tekst.size() / 4);
    if (SzerokoscLitery(zrodlo) == 1) {
        std::array<int, 256> litera{};
        for (int p = LICZBA_LITER; p >= 1; --p) {
            litera[static_cast<unsigned char>(Litera(zrodlo, p)[0])] = p;
        }
        for (const char c : tekst) {
            if (const int p = litera[static_cast<unsigned char>(c)]) {
                wynik += Litera(cel, p);
            } else {
                wynik += c;
            }
        }
        return wynik;
    }
    std::array<int, 0x10000> para{};
    for (int p = LICZBA_LITER; p >= 1; --p) {
        const std::string_view wpis = Litera(zrodlo, p);
        para[static_cast<unsigned char>(wpis[0]) * 256u + static_cast<unsigned char>(wpis[1])] = p;
    }
    for (std::size_t i = 0; i < tekst.size(); ++i) {
        const unsigned pierwszy = static_cast<unsigned char>(tekst[i]);
        const int p =
            i + 1 < tekst.size() ? para[pierwszy * 256u + static_cast<unsigned char>(tekst[i + 1])] : 0;
        if (p != 0) {
            wynik += Litera(cel, p);
            ++i;
        } else {
            wynik += tekst[i];
        }
    }
    return wynik;
}

// Windows-EE text with gaps between letters of many lengths: mostly short, some around
// powers of two and a few far longer than any block the passes look at, mixed with runs
// of letters.
std::string tekstZDlugimiPrzerwami(std::size_t rozmiar)
{
    constexpr std::array<std::size_t, 12> dlugie = {2046, 2047, 2048, 2049, 4093,  4094,
                                                    4095, 4096, 6141, 6142, 65535, 70001};
    constexpr std::string_view wypelnienie = "Ala ma kota, a kot ma Ale.\r\n";
    std::mt19937 los(4711);
    std::string tekst;
    tekst.reserve(rozmiar + 80000);
    std::size_t w = 0;
    const auto dopisz = [&](std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            tekst += wypelnienie[w++ % wypelnienie.size()];
        }
    };
    const auto litera = [&] { tekst += Litera(WINDOWS_EE, static_cast<int>(los() % LICZBA_LITER) + 1); };

    dopisz(2047);
    litera();
    while (tekst.size() < rozmiar) {
        const unsigned rodzaj = los() % 10;
        if (rodzaj < 7) {
            dopisz(los() % 16);
        } else if (rodzaj < 9) {
            dopisz(dlugie[los() % dlugie.size()]);
        } else {
            for (unsigned n = los() % 3000; n > 0; --n) {
                litera();
            }
        }
        litera();
    }
    dopisz(9000);
    return tekst;
}

// Windows-EE to UTF-8 and back with every variant, against the plain conversion, which is
// computed once: it does not depend on the variant.
void sprawdzTamIZPowrotem(const std::string& tekst)
{
    const std::string utf8 = prostaKonwersja(tekst, WINDOWS_EE, UTF8_INDEX);
    const std::string powrot = prostaKonwersja(utf8, UTF8_INDEX, WINDOWS_EE);
    ASSERT_TRUE(takieSame(powrot, tekst));
    dlaKazdegoWariantu([&] {
        ASSERT_TRUE(takieSame(konwertuj(tekst, WINDOWS_EE, UTF8_INDEX), utf8));
        ASSERT_TRUE(takieSame(konwertuj(utf8, UTF8_INDEX, WINDOWS_EE), powrot));
    });
}

// A text of many megabytes, with letters at every distance from the blocks the passes
// look at.
TEST(KonwersjaDuza, DlugiePrzerwyMiedzyLiterami)
{
    sprawdzTamIZPowrotem(tekstZDlugimiPrzerwami(std::size_t{20} << 20));
}

TEST(KonwersjaDuza, LiteraNaGranicyOdstepu)
{
    for (const std::size_t przed : {2046u, 2047u, 2048u, 4094u, 4095u, 4096u, 100000u}) {
        for (const std::size_t po : {0u, 2047u, 2048u}) {
            const std::string tekst = std::string(przed, 'x') + "\x8C" + std::string(po, 'y') + "\xB9";
            sprawdzTamIZPowrotem(tekst);
            dlaKazdegoWariantu([&] {
                EXPECT_EQ(konwertuj(tekst, WINDOWS_EE, ISO_LATIN_2),
                          std::string(przed, 'x') + "\xA6" + std::string(po, 'y') + "\xB1");
            });
        }
    }
}

TEST(KonwersjaDuza, SameLitery)
{
    std::string tekst;
    for (int i = 0; i < (1 << 22); ++i) {
        tekst += Litera(WINDOWS_EE, i % LICZBA_LITER + 1);
    }
    sprawdzTamIZPowrotem(tekst);
}

// A long text still lets the caller breathe, and only inside a step.
TEST(KonwersjaDuza, DlugiKrokWolaWTrakcie)
{
    class Licznik final : public Postep {
    public:
        void przedKrokiem(int krok) override { biezacy = krok; }
        void poKroku() override { biezacy = 0; }
        void wTrakcie() override
        {
            EXPECT_NE(biezacy, 0);
            ++oddechow;
        }
        int biezacy = 0;
        int oddechow = 0;
    };
    // Past the first breath, 16 Mi characters in, with letters at the start and about it.
    const std::u16string przerwa((std::size_t{16} << 20) - 2, u'x');
    const std::u16string tekst = u"\u0105" + przerwa + u"\u0105\u0105\u0105";
    for (const int cel : {ISO_LATIN_2, UTF8_INDEX}) {
        const std::u16string litera = konwertuj(u"\u0105"s, WINDOWS_EE, cel);
        const std::u16string oczekiwany = litera + przerwa + litera + litera + litera;
        Licznik licznik;
        const std::u16string wynik = KonwertujTekst(tekst, WINDOWS_EE, cel, licznik);
        EXPECT_TRUE(takieSame(wynik, oczekiwany));
        EXPECT_GE(licznik.oddechow, 1);
    }
}

// --- A prepared conversion into the caller's memory ------------------------------------------

// One output buffer serves many texts: what an earlier, longer result left behind never
// shows in a later one.
TEST(PrzygotowanaKonwersja, JedenBuforDlaWieluTekstow)
{
    dlaKazdegoWariantu([] {
        for (const auto& [zrodlo, cel] :
             {std::pair{WINDOWS_EE, UTF8_INDEX}, std::pair{UTF8_INDEX, WINDOWS_EE},
              std::pair{MAZOVIA, WINDOWS_EE}, std::pair{0, UTF8_INDEX}}) {
            const PrzygotowanaKonwersja konwersja(zrodlo, cel);
            // Filled with lead bytes, which would join a second byte into a letter.
            std::vector<char> bufor(konwersja.najwiecejBajtow(5000), '\xC4');
            // An empty view has no memory behind it at all.
            ASSERT_EQ(konwersja.konwertuj(std::string_view(), bufor.data()), 0u);
            for (std::size_t dlugosc : {5000u, 70u, 3000u, 1u, 0u, 64u}) {
                const std::string tekst = GeneratorTekstu(static_cast<unsigned>(dlugosc))(dlugosc);
                const std::size_t wynik = konwersja.konwertuj(tekst, bufor.data());
                ASSERT_EQ(std::string(bufor.data(), wynik), prostaKonwersja(tekst, zrodlo, cel))
                    << zrodlo << " -> " << cel << ", " << dlugosc;
            }
        }
    });
}

TEST(PrzygotowanaKonwersja, ZlyIndeksRzuca)
{
    EXPECT_THROW(PrzygotowanaKonwersja(-1, 0), std::out_of_range);
    EXPECT_THROW(PrzygotowanaKonwersja(0, LICZBA_STANDARDOW), std::out_of_range);
}

}  // namespace
}  // namespace engine
