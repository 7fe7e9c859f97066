#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/konwersja.h"
#include "engine/przebieg.h"
#include "engine/rozpoznawanie.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "engine/tests/wymuszany_wariant.h"

namespace engine {
namespace {

using namespace std::string_literals;

int standard(std::string_view nazwa)
{
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        if (Standardy(i).Nazwa == nazwa) {
            return i;
        }
    }
    throw std::invalid_argument("nieznany standard " + std::string(nazwa));
}

std::string konwertuj(std::string tekst, int zrodlo, int cel)
{
    return engine::test::KonwertujBajty(std::move(tekst), zrodlo, cel);
}

// Right when the text reads the same from both: converted to UTF-8, where every letter is
// a pair no single byte can be, and to Windows-EE, where a UTF-8 source differs too.
bool konwertujaTakSamo(const std::string& tekst, int jeden, int drugi)
{
    const int windows = standard("Windows-EE");
    return jeden == drugi || (konwertuj(tekst, jeden, UTF8_INDEX) == konwertuj(tekst, drugi, UTF8_INDEX) &&
                              konwertuj(tekst, jeden, windows) == konwertuj(tekst, drugi, windows));
}

std::string nazwa(int indeks)
{
    return std::string(Standardy(indeks).Nazwa);
}

// What every verdict promises, whatever the text.
void sprawdzUklad(const std::string& tekst, const Rozpoznanie& r)
{
    ASSERT_EQ(r.ranking.size(), static_cast<std::size_t>(LICZBA_STANDARDOW - 1));
    std::set<int> standardy;
    for (std::size_t i = 0; i < r.ranking.size(); ++i) {
        standardy.insert(r.ranking[i].standard);
        EXPECT_NE(r.ranking[i].standard, standard("brak"));
        if (i > 0) {
            EXPECT_GE(r.ranking[i - 1].wynik, r.ranking[i].wynik);
        }
    }
    EXPECT_EQ(standardy.size(), r.ranking.size());
    for (const int bliski : r.bliskie) {
        const auto miejsce = std::find_if(r.ranking.begin(), r.ranking.end(),
                                          [&](const Kandydat& k) { return k.standard == bliski; });
        ASSERT_NE(miejsce, r.ranking.end());
        EXPECT_LE(r.ranking.front().wynik - miejsce->wynik, std::max(PROG_BLISKOSCI, PROG_LITER))
            << nazwa(bliski);
        EXPECT_FALSE(konwertujaTakSamo(tekst, r.standard(), bliski)) << nazwa(bliski);
    }
    EXPECT_EQ(r.werdykt == Werdykt::Niejednoznaczny, !r.bliskie.empty());
}

// A few sentences with all eighteen letters, capitals in words of capitals and at the
// start of words.
const std::string ZDANIA =
    "ŹRÓDŁO ŚWIĘTEJ WODY NA ŁĄCE, KOŃ I ĆMA. Źrebię pije, Łukasz śpi, a Ósemka i Żaneta "
    "wołają: zażółć gęślą jaźń! Ćwiczenia z Ąbrowa? Nie, Ęsko i Ńa to nie słowa, ale "
    "Śląsk, Ćmielów, Ełk i Żywiec są prawdziwe, a pięć źdźbeł trawy rośnie już przy drodze.\n";

TEST(Rozpoznawanie, ZdaniaWKazdymStandardzie)
{
    for (int prawdziwy = 1; prawdziwy < LICZBA_STANDARDOW; ++prawdziwy) {
        SCOPED_TRACE(nazwa(prawdziwy));
        const std::string tekst = konwertuj(ZDANIA, UTF8_INDEX, prawdziwy);
        const Rozpoznanie r = RozpoznajStandard(tekst);
        sprawdzUklad(tekst, r);
        EXPECT_EQ(r.werdykt, Werdykt::Rozpoznany);
        EXPECT_TRUE(konwertujaTakSamo(tekst, r.standard(), prawdziwy)) << nazwa(r.standard());
    }
}

void oczekujTegoSamego(const Rozpoznanie& a, const Rozpoznanie& b)
{
    ASSERT_EQ(a.ranking.size(), b.ranking.size());
    for (std::size_t i = 0; i < a.ranking.size(); ++i) {
        EXPECT_EQ(a.ranking[i].standard, b.ranking[i].standard);
        EXPECT_EQ(a.ranking[i].wynik, b.ranking[i].wynik);
    }
    EXPECT_EQ(a.werdykt, b.werdykt);
    EXPECT_EQ(a.bliskie, b.bliskie);
}

TEST(Rozpoznawanie, KawalkiDajaToSamoCoCalosc)
{
    // Cuts inside UTF-8 letters, inside longer UTF-8 characters and at their edges.
    const std::string tekst =
        ZDANIA + "Ж ж 中文 😀 \xC4 \xC5\x82\xC5"s + konwertuj(ZDANIA, UTF8_INDEX, 1) + "\xF0\x9F";
    const Rozpoznanie calosc = RozpoznajStandard(tekst);
    std::mt19937 los(7);
    for (std::size_t staly = 1; staly <= 8; ++staly) {
        for (int losowo = 0; losowo < 2; ++losowo) {
            SCOPED_TRACE(std::to_string(staly) + (losowo ? " losowo" : ""));
            Rozpoznawacz rozpoznawacz;
            for (std::size_t od = 0; od < tekst.size();) {
                const std::size_t ile =
                    losowo ? std::uniform_int_distribution<std::size_t>(0, 2 * staly)(los) : staly;
                rozpoznawacz.dodaj(std::string_view(tekst).substr(od, ile));
                od += ile;
            }
            oczekujTegoSamego(rozpoznawacz.wynik(), calosc);
        }
    }
}

// Every vector pass finds the bytes a byte-by-byte reading finds: text fed one byte at a
// time never reaches the vector pass. A UTF-8 letter is counted with its second byte, also
// where the two stand in two blocks of the pass, or in two pieces.
TEST(Rozpoznawanie, PrzebiegiWektoroweJakBajtPoBajcie)
{
    std::string dlugi;
    for (int i = 0; i < 40; ++i) {
        dlugi += ZDANIA + "caf\xC3\xA9 \xE2\x80\x94 \xC5";
    }
    std::vector<std::pair<std::string, std::string>> teksty = {
        {"UTF-8", dlugi},
        {"Mazovia", konwertuj(dlugi, UTF8_INDEX, standard("Mazovia"))},
        {"Windows-EE", konwertuj(dlugi, UTF8_INDEX, standard("Windows-EE"))},
    };
    // A letter on each side of each edge of a block.
    for (std::size_t przesuniecie = 60; przesuniecie <= 66; ++przesuniecie) {
        teksty.emplace_back("ASCII " + std::to_string(przesuniecie), std::string(przesuniecie, 'a') + dlugi);
    }
    for (const auto& [opis, tekst] : teksty) {
        Rozpoznawacz bajtPoBajcie;
        for (const char znak : tekst) {
            bajtPoBajcie.dodaj(std::string_view(&znak, 1));
        }
        const Rozpoznanie wzor = bajtPoBajcie.wynik();
        for (const Wariant wariant : DostepneWarianty()) {
            SCOPED_TRACE(opis + " " + std::string(NazwaWariantu(wariant)));
            WymusWariant(wariant);
            oczekujTegoSamego(RozpoznajStandard(tekst), wzor);
            // Pieces that end inside letters and inside blocks.
            Rozpoznawacz kawalkami;
            for (std::size_t od = 0; od < tekst.size(); od += 4097) {
                kawalkami.dodaj(std::string_view(tekst).substr(od, 4097));
            }
            oczekujTegoSamego(kawalkami.wynik(), wzor);
        }
        WymusWariant(std::nullopt);
    }
}

TEST(Rozpoznawanie, WynikNieKonczyTekstu)
{
    // "ł" in UTF-8 cut in two: the first half alone is no letter, both halves are.
    Rozpoznawacz rozpoznawacz;
    rozpoznawacz.dodaj("Ca\xC5");
    EXPECT_NE(rozpoznawacz.wynik().standard(), UTF8_INDEX);
    rozpoznawacz.dodaj("\x82y dzie\xC5\x84 by\xC5\x82o ciep\xC5\x82o");
    EXPECT_EQ(rozpoznawacz.wynik().standard(), UTF8_INDEX);
    EXPECT_EQ(rozpoznawacz.wynik().werdykt, Werdykt::Rozpoznany);
}

// The case of a word counts by the word before it, up to 32 bytes back, also where that
// stands in earlier pieces; and a verdict taken inside a word leaves the word open.
TEST(Rozpoznawanie, SlowoPrzedSlowemWKawalkach)
{
    const int csk = standard("CSK");
    const auto tekst = [&](const std::string& przed, std::size_t spacji) {
        return konwertuj(przed + std::string(spacji, ' ') + "środowisku ŚRODOWISKO", UTF8_INDEX, csk);
    };
    for (const std::string przed : {"Zamieszanie", "ZMIENNE.", "w\n", "", "ściągi"}) {
        for (std::size_t spacji = 1; spacji <= 40; spacji += 3) {
            SCOPED_TRACE(przed + " " + std::to_string(spacji));
            const std::string calyTekst = tekst(przed, spacji);
            const Rozpoznanie calosc = RozpoznajStandard(calyTekst);
            for (std::size_t dlugosc = 1; dlugosc <= 9; ++dlugosc) {
                Rozpoznawacz kawalkami;
                for (std::size_t od = 0; od < calyTekst.size(); od += dlugosc) {
                    kawalkami.dodaj(std::string_view(calyTekst).substr(od, dlugosc));
                }
                oczekujTegoSamego(kawalkami.wynik(), calosc);
            }
        }
    }
    // The word before is seen at one space, not beyond 32 bytes.
    EXPECT_NE(RozpoznajStandard(tekst("Zamieszanie", 1)).ranking.front().wynik,
              RozpoznajStandard(tekst("Zamieszanie", 40)).ranking.front().wynik);

    Rozpoznawacz rozpoznawacz;
    const std::string uciety = konwertuj("lecz moż", UTF8_INDEX, csk);
    rozpoznawacz.dodaj(uciety);
    EXPECT_TRUE(konwertujaTakSamo(uciety, rozpoznawacz.wynik().standard(), csk));
    rozpoznawacz.dodaj("liwe");
    oczekujTegoSamego(rozpoznawacz.wynik(), RozpoznajStandard(konwertuj("lecz możliwe", UTF8_INDEX, csk)));
}

// The same bytes read as "środowisku" (CSK) or "Środowisku" (ISO-Latin-2) after each kind of
// text: only the word before and what separates it differ, and the small reading is the
// likelier the more a small word is expected there.
TEST(Rozpoznawanie, WielkaLiteraZaleznieOdSlowaPrzed)
{
    const int csk = standard("CSK");
    const int iso = standard("ISO-Latin-2");
    const auto przewagaMalej = [&](const std::string& przed) {
        const Rozpoznanie r = RozpoznajStandard(konwertuj(przed + "środowisku", UTF8_INDEX, csk));
        const auto wynik = [&](int s) {
            return std::find_if(r.ranking.begin(), r.ranking.end(),
                                [&](const Kandydat& k) { return k.standard == s; })
                ->wynik;
        };
        return wynik(csk) - wynik(iso);
    };
    const double poMalym = przewagaMalej("zamieszanie w ");
    const double poWielkich = przewagaMalej("ZMIENNE ");
    const double poZdaniu = przewagaMalej("Koniec zdania. ");
    const double naPoczatku = przewagaMalej("");
    const double wNowymWierszu = przewagaMalej("zmienne\n");
    // A text may begin inside a sentence; a sentence and a line of a list begin with a capital.
    EXPECT_GT(poMalym, poWielkich);
    EXPECT_GT(poWielkich, naPoczatku);
    EXPECT_GT(naPoczatku, poZdaniu);
    EXPECT_GT(naPoczatku, wNowymWierszu);
    // Beyond 32 bytes nothing stands before the word.
    EXPECT_EQ(przewagaMalej("zamieszanie w" + std::string(40, ' ')), naPoczatku);
}

TEST(Rozpoznawanie, TekstyBezPolskichLiter)
{
    const int windows = standard("Windows-EE");
    const std::vector<std::pair<std::string, std::string>> teksty = {
        {"pusty", ""},
        {"ASCII", "Ala ma kota, a kot ma Ale.\r\nZolw i zaba: 1 + 2 = 3; {[()]} ~!@#$%^&*"},
        {"same bajty sterujace", "\x01\x02\t\n\x1B[0m\x7F"},
        {"UTF-8 bez liter",
         "\xE2\x80\x9E"
         "cytat\xE2\x80\x9D \xE2\x80\x94 caf\xC3\xA9, 20\xC2\xB0"
         "C"},
        {"cyrylica",
         "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80! "
         "\xD0\x9A\xD0\xB0\xD0\xBA \xD0\xB4\xD0\xB5\xD0\xBB\xD0\xB0?"},
        {"CJK i emoji",
         "\xE4\xB8\xAD\xE6\x96\x87 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80\xF0\x9F\x91\x8D"},
    };
    for (const auto& [opis, tekst] : teksty) {
        SCOPED_TRACE(opis);
        const Rozpoznanie r = RozpoznajStandard(tekst);
        sprawdzUklad(tekst, r);
        EXPECT_EQ(r.werdykt, Werdykt::BezPolskichLiter) << nazwa(r.standard());
        EXPECT_TRUE(r.bliskie.empty());
        // Nothing to convert: the text passes unchanged from the standard chosen.
        EXPECT_EQ(konwertuj(tekst, r.standard(), windows), tekst);
    }
    for (const Kandydat& k : RozpoznajStandard("Zolw i zaba").ranking) {
        EXPECT_EQ(k.wynik, 0.0) << nazwa(k.standard);
    }

    // Quotation marks, a dash and a degree in Windows-1250 are letters in some old code
    // pages: the likeliest reading has none, though one with letters may come close.
    const std::string symbole =
        "\x84"
        "cytat\x94 \x96 caf\xE9, 20\xB0"
        "C, \xA7 3";
    const Rozpoznanie r = RozpoznajStandard(symbole);
    sprawdzUklad(symbole, r);
    EXPECT_NE(r.werdykt, Werdykt::Rozpoznany);
    EXPECT_EQ(konwertuj(symbole, r.standard(), windows), symbole);
}

TEST(Rozpoznawanie, Utf8ZInnymiPismami)
{
    const std::string polski = "Zażółć gęślą jaźń, powiedział Łukasz. ";
    const std::vector<std::pair<std::string, std::string>> teksty = {
        {"cyrylica", polski + "По-русски: привет, как дела? Это длинное предложение, в три раза длиннее."},
        {"CJK", "中文和日本語の文章がここにあります。" + polski + "韓國語도 있습니다 한국어 문장입니다."},
        {"emoji", "😀😀 " + polski + "👍🏽 🇵🇱 ✅"},
        {"grecki i znaki", "Ελληνικά κείμενα — «cytat» … € © " + polski},
    };
    for (const auto& [opis, tekst] : teksty) {
        SCOPED_TRACE(opis);
        const Rozpoznanie r = RozpoznajStandard(tekst);
        sprawdzUklad(tekst, r);
        EXPECT_EQ(r.standard(), UTF8_INDEX) << nazwa(r.standard());
        EXPECT_EQ(r.werdykt, Werdykt::Rozpoznany);
    }
}

TEST(Rozpoznawanie, SamotneBajtyC3C4C5)
{
    // Each lone byte is a letter in some standard, and in UTF-8 only the start of one.
    const std::vector<std::pair<std::string, std::string>> teksty = {
        {"C3", "Nowy \xC3wiczenia i \xC3ma, bo \xC3wierka\n"},
        {"C4", "\xC4la kota \xC4 i \xC4"},
        {"C5", "\xC5wa na ko\xC5"},
        {"same", "\xC3\xC4\xC5"},
        {"na koncu", "Tekst konczy sie bajtem \xC5"},
        {"przed ASCII",
         "\xC5"
         "a \xC4"
         "b \xC3"
         "c"},
    };
    for (const auto& [opis, tekst] : teksty) {
        SCOPED_TRACE(opis);
        const Rozpoznanie r = RozpoznajStandard(tekst);
        sprawdzUklad(tekst, r);
        EXPECT_NE(r.standard(), UTF8_INDEX);
        for (std::size_t cut = 0; cut <= tekst.size(); ++cut) {
            Rozpoznawacz rozpoznawacz;
            rozpoznawacz.dodaj(std::string_view(tekst).substr(0, cut));
            rozpoznawacz.dodaj(std::string_view(tekst).substr(cut));
            EXPECT_EQ(rozpoznawacz.wynik().standard(), r.standard());
        }
    }
    // ELWRO-Junior writes Ć as C3 and Ę as C5: its text is no UTF-8.
    const int elwro = standard("ELWRO-Junior");
    const std::string tekst = konwertuj("ĆMA, ĘSKO i Ćwiczenia: pięć ćwiczeń z gęślą.", UTF8_INDEX, elwro);
    const Rozpoznanie r = RozpoznajStandard(tekst);
    EXPECT_TRUE(konwertujaTakSamo(tekst, r.standard(), elwro)) << nazwa(r.standard());
}

TEST(Rozpoznawanie, Niejednoznacznosc)
{
    // Only letters two standards share, at the same bytes: both are right.
    const std::string wspolne = konwertuj("Góra, łódka, żółć i koń.", UTF8_INDEX, standard("ISO-Latin-2"));
    const Rozpoznanie r = RozpoznajStandard(wspolne);
    sprawdzUklad(wspolne, r);
    EXPECT_TRUE(konwertujaTakSamo(wspolne, r.standard(), standard("ISO-Latin-2")));
    EXPECT_TRUE(konwertujaTakSamo(wspolne, r.standard(), standard("Windows-EE")));

    // Logic and Cyfromat differ only in ź and ż, swapped: "Woźniak" in one is "Wożniak" in
    // the other, and a name that could be either does not tell which is meant.
    const std::string slowo = konwertuj("Pan Woźniak", UTF8_INDEX, standard("Logic"));
    const Rozpoznanie rj = RozpoznajStandard(slowo);
    sprawdzUklad(slowo, rj);
    EXPECT_EQ(rj.werdykt, Werdykt::Niejednoznaczny);
    std::set<int> mozliwe(rj.bliskie.begin(), rj.bliskie.end());
    mozliwe.insert(rj.standard());
    EXPECT_TRUE(mozliwe.count(standard("Logic")));
    EXPECT_TRUE(mozliwe.count(standard("Cyfromat")) || mozliwe.count(standard("DHN")));
    // Cyfromat and DHN are one table: never both.
    EXPECT_FALSE(mozliwe.count(standard("Cyfromat")) && mozliwe.count(standard("DHN")));

    // Enough of the same text leaves no doubt.
    std::string dlugi;
    for (int i = 0; i < 20; ++i) {
        dlugi += konwertuj("Już po wszystkim, źle nie było, ale żal. ", UTF8_INDEX, standard("Logic"));
    }
    const Rozpoznanie rd = RozpoznajStandard(dlugi);
    EXPECT_EQ(rd.werdykt, Werdykt::Rozpoznany);
    EXPECT_EQ(rd.standard(), standard("Logic"));
}

// Texts whose bytes alone do not tell two standards apart, where the words they make do.
// Each is recognised right, or at least never wrong without naming the right one.
// What a verdict must be: right and certain; right but named uncertain, as one word is
// too little to be sure; right or the right one among the close standards.
enum Oczekiwanie { Pewny, Pierwszy, Bliski };

TEST(Rozpoznawanie, SlowaRozstrzygajaGdzieBajtyNie)
{
    struct Przypadek {
        std::string opis;
        std::string tekst;  // UTF-8
        std::vector<std::string> standardy;
        Oczekiwanie oczekiwanie;
    };
    const std::vector<std::string> zamienioneZ = {"Cyfromat", "DHN", "Logic"};
    const std::vector<std::string> wielkie = {"ISO-Latin-2", "Windows-EE"};
    const std::vector<std::string> swierk = {"IEA-Swierk", "Microvex"};
    const std::vector<Przypadek> przypadki = {
        {"różne", "To są różne rzeczy.", zamienioneZ, Pewny},
        {"bieżący", "Katalog bieżący", zamienioneZ, Pewny},
        {"mężczyzna", "Ten mężczyzna czyta.", zamienioneZ, Pewny},
        {"jeździć", "Lubi jeździć rowerem.", zamienioneZ, Bliski},
        {"Woźniak", "Pan Woźniak", zamienioneZ, Bliski},
        {"źle i już", "Nie jest źle, już po wszystkim.", zamienioneZ, Pewny},
        {"wielkie", "WPROWADZIĆ CZĘŚĆ DANYCH NA ZEWNĄTRZ", wielkie, Pewny},
        {"wielkie krótkie", "CZĘŚĆ PIERWSZA", wielkie, Pewny},
        {"wielkie ŚĄ", "ŚWIĘTA I ŚWIĄTECZNE ŻYCZENIA", wielkie, Pewny},
        {"Ó i Ś", "ÓSMY ŚLĄSKI ZJAZD, ŚRODA", swierk, Pewny},
        {"ó i ś", "Któż ośmieli się, Ósemko?", swierk, Bliski},
        {"nazwy", "Dżibuti\nŁódź\nGdańsk\nWoźniak\nŻyrardów", zamienioneZ, Pewny},
        {"nazwy w wierszach", "Dżibuti\r\nWłochy\r\nGruzja\r\nKolumbia", wielkie, Bliski},
        {"jedna nazwa", "Dżibuti", {"Mazovia", "ISO-Latin-2", "Logic", "Windows-EE", "WFN"}, Bliski},
        // Ś or ś, Ę or ę read from one byte: a capital is unlikely after a small word, a
        // small letter inside a word of capitals.
        {"ś po małym słowie", "zamieszanie w środowisku", {"CSK", "IBM-Latin-2"}, Pierwszy},
        {"ś w liście", "pilipino\nbikolski, środkowy\nBiszkek", {"CSK", "IBM-Latin-2"}, Pierwszy},
        {"Ę wśród wielkich", "ROZWIJA SIĘ W LISTĘ NA", {"CSK", "Cyfromat", "IINTE-ISIS", "Logic"}, Pewny},
        // A text that ends inside a word says nothing of how the word ends.
        {"słowo ucięte", "lecz moż", {"Mazovia", "CSK", "IEA-Swierk", "Logic", "Microvex"}, Pierwszy},
        // A capital is likely after a sentence's end: never silently read small.
        {"Ś po kropce", "Koniec zdania. Środowisko jest puste.", {"ISO-Latin-2", "Mazovia"}, Bliski},
        {"Ś w wierszu", "Lista zmiennych:\nŚrodowisko", {"ISO-Latin-2", "Mazovia"}, Bliski},
    };
    for (const Przypadek& p : przypadki) {
        for (const std::string& nazwaStandardu : p.standardy) {
            SCOPED_TRACE(p.opis + " w " + nazwaStandardu);
            const int prawdziwy = standard(nazwaStandardu);
            const std::string tekst = konwertuj(p.tekst, UTF8_INDEX, prawdziwy);
            const Rozpoznanie r = RozpoznajStandard(tekst);
            sprawdzUklad(tekst, r);
            EXPECT_NE(r.werdykt, Werdykt::BezPolskichLiter);
            const bool dobrze = konwertujaTakSamo(tekst, r.standard(), prawdziwy);
            if (p.oczekiwanie != Bliski) {
                EXPECT_TRUE(dobrze) << nazwa(r.standard());
                EXPECT_EQ(r.werdykt, p.oczekiwanie == Pewny ? Werdykt::Rozpoznany : Werdykt::Niejednoznaczny);
            } else {
                const bool wsrodBliskich = std::any_of(r.bliskie.begin(), r.bliskie.end(), [&](int b) {
                    return konwertujaTakSamo(tekst, b, prawdziwy);
                });
                EXPECT_TRUE(dobrze || wsrodBliskich) << nazwa(r.standard());
            }
        }
    }

    // CA and C6 are Ę and Ć in ISO-Latin-2 and in Windows-EE alike, A6 Ś only in the first:
    // a text with letters, though the bytes also make two characters of UTF-8 that are none.
    const std::string czesc = "CZ\xCA\xA6\xC6 PIERWSZA\r\n";
    const Rozpoznanie r = RozpoznajStandard(czesc);
    sprawdzUklad(czesc, r);
    EXPECT_NE(r.werdykt, Werdykt::BezPolskichLiter);
    const auto iso = standard("ISO-Latin-2");
    EXPECT_TRUE(r.standard() == iso || std::count(r.bliskie.begin(), r.bliskie.end(), iso) == 1);
    // A lone ż of Windows-1250 after a word without letters: no proof, but a letter maybe.
    const Rozpoznanie samotne = RozpoznajStandard("Dzibuti \xBF");
    sprawdzUklad("Dzibuti \xBF", samotne);
    EXPECT_EQ(samotne.werdykt, Werdykt::Niejednoznaczny);
}

// Short texts whose evidence is one word or one kind of letter, in every standard with
// letters: never certain and wrong, and where the table says so never certain at all;
// the right one the likeliest or named beside it.
TEST(Rozpoznawanie, MaloDowodowToNiepewnosc)
{
    struct Przypadek {
        const char* opis;
        const char* tekst;  // UTF-8
        bool zawszeNiepewny;
    };
    const Przypadek przypadki[] = {
        {"jedno ó w liście", "ugrupowanie,obóz,blok,partia", false},
        {"jedno ń w liście", "niecnota, ladaco, nicpoń", false},
        {"dwa ć w liście", "papuć,bambosz,kapeć", false},
        {"jedno ó w liście ze spacjami", "stół, krzesło, szafa", false},
        {"jedno ź na początku", "Źle, co ?", false},
        {"jedno ę na końcu", "zrobię", false},
        {"jedno Ą wśród wielkich", "KRYPTOGRAFICZNĄ POBIERANEGO", false},
        {"jedno ó samo", "sól", false},
        {"jedno ń między słowami", "koń, krowa, owca", false},
        {"jedno Ó wśród wielkich", "KTÓRY PLIK", false},
    };
    for (const Przypadek& p : przypadki) {
        for (int prawdziwy = 1; prawdziwy < LICZBA_STANDARDOW; ++prawdziwy) {
            SCOPED_TRACE(std::string(p.opis) + " w " + nazwa(prawdziwy));
            const std::string tekst = konwertuj(p.tekst, UTF8_INDEX, prawdziwy);
            const Rozpoznanie r = RozpoznajStandard(tekst);
            sprawdzUklad(tekst, r);
            const bool dobrze = konwertujaTakSamo(tekst, r.standard(), prawdziwy);
            const bool wsrodBliskich = std::any_of(r.bliskie.begin(), r.bliskie.end(), [&](int b) {
                return konwertujaTakSamo(tekst, b, prawdziwy);
            });
            EXPECT_TRUE(dobrze || wsrodBliskich) << nazwa(r.standard());
            if (r.werdykt == Werdykt::Rozpoznany) {
                EXPECT_TRUE(dobrze) << nazwa(r.standard());
            }
        }
    }
}

// A capital read small inside a word of capitals, or a small letter read as a capital
// inside a small word, weighs against that reading, enough to put the right one first.
TEST(Rozpoznawanie, MieszanaWielkoscWJednymCzytaniu)
{
    struct Przypadek {
        const char* tekst;  // UTF-8
        std::vector<std::string> standardy;
    };
    const std::vector<Przypadek> przypadki = {
        // In IBM-Latin-2 A5 is ą: KRYPTOGRAFICZNą.
        {"KRYPTOGRAFICZNĄ POBIERANEGO", {"Windows-EE"}},
        {"PLIK ZOSTAŁ ZAPISANY NA DYSKU", {"Windows-EE", "ISO-Latin-2", "IBM-Latin-2", "Mazovia"}},
        {"ZAŻÓŁĆ GĘŚLĄ JAŹŃ", {"Windows-EE", "ISO-Latin-2", "IBM-Latin-2", "Mazovia", "CSK"}},
        {"Pliki zostaną zapisane jutro", {"Windows-EE", "ISO-Latin-2", "IBM-Latin-2", "Mazovia"}},
    };
    for (const Przypadek& p : przypadki) {
        for (const std::string& nazwaStandardu : p.standardy) {
            SCOPED_TRACE(std::string(p.tekst) + " w " + nazwaStandardu);
            const std::string tekst = konwertuj(p.tekst, UTF8_INDEX, standard(nazwaStandardu));
            const Rozpoznanie r = RozpoznajStandard(tekst);
            sprawdzUklad(tekst, r);
            EXPECT_TRUE(konwertujaTakSamo(tekst, r.standard(), standard(nazwaStandardu)))
                << nazwa(r.standard());
        }
    }
}

// Whether a text reads as ordinary text in a standard: Polish words, and a foreign word or
// two with the code page's own letters; not Polish read through another code page's
// letters, not a word of mixed case, not a byte that is no letter.
TEST(Rozpoznawanie, ZwyczajnyTekstWStandardzie)
{
    struct Przypadek {
        const char* opis;
        std::string tekst;  // bytes
        const char* czytany;
        bool zwyczajny;
    };
    const auto w = [&](const char* utf8, const char* nazwaStandardu) {
        return konwertuj(utf8, UTF8_INDEX, standard(nazwaStandardu));
    };
    const std::string zdanie = "Zażółć gęślą jaźń, powiedział Łukasz i poszedł do źródła.";
    const std::vector<Przypadek> przypadki = {
        {"polskie zdanie", w(zdanie.c_str(), "Windows-EE"), "Windows-EE", true},
        {"nazwiska z ü i ö",
         "M\xFCller i Schr\xF6"
         "der przyjechali do \xA3odzi.",
         "Windows-EE", true},
        {"ë", "No\xEBl", "Windows-EE", true},
        {"czeskie słowo", "\x9Elu\x9Dou\xE8k\xFD", "Windows-EE", true},
        {"é w ISO-Latin-2",
         "caf\xE9 i \xB3\xF3\xBF"
         "ko",
         "ISO-Latin-2", true},
        {"Mazovia jako Windows-EE", w(zdanie.c_str(), "Mazovia"), "Windows-EE", false},
        {"ELWRO-Junior jako Windows-EE", w(zdanie.c_str(), "ELWRO-Junior"), "Windows-EE", false},
        {"AmigaPL jako Windows-EE", w(zdanie.c_str(), "AmigaPL"), "Windows-EE", false},
        {"wielkie z małym ą", w("KRYPTOGRAFICZNĄ POBIERANEGO", "Windows-EE"), "IBM-Latin-2", false},
        {"cudzysłów, który nie jest literą",
         "\x84"
         "cytat\x94 i \xB3\xF3\xBF"
         "ko",
         "Windows-EE", false},
        {"UTF-8", zdanie, "UTF-8", true},
        {"UTF-8 jako Windows-EE", zdanie, "Windows-EE", false},
    };
    for (const Przypadek& p : przypadki) {
        SCOPED_TRACE(p.opis);
        const Rozpoznanie r = RozpoznajStandard(p.tekst);
        sprawdzUklad(p.tekst, r);
        const auto czytanie = std::find_if(r.ranking.begin(), r.ranking.end(), [&](const Kandydat& k) {
            return k.standard == standard(p.czytany);
        });
        ASSERT_NE(czytanie, r.ranking.end());
        EXPECT_EQ(czytanie->zwyczajny, p.zwyczajny);
    }
}

// Letters of a one-byte standard beside a few valid UTF-8 characters: the letters decide,
// and the text is not one without letters.
TEST(Rozpoznawanie, LiteryObokZnakowUtf8)
{
    const std::string znakiUtf8 = "\n→ punkt © 2020 – ½ „cytat” • a • b\n";
    for (const char* nazwaStandardu : {"Mazovia", "IBM-Latin-2", "Windows-EE"}) {
        SCOPED_TRACE(nazwaStandardu);
        const int prawdziwy = standard(nazwaStandardu);
        const std::string tekst = konwertuj("Ważne: zobacz niżej.", UTF8_INDEX, prawdziwy) + znakiUtf8;
        const Rozpoznanie r = RozpoznajStandard(tekst);
        sprawdzUklad(tekst, r);
        EXPECT_NE(r.werdykt, Werdykt::BezPolskichLiter);
        EXPECT_NE(r.standard(), UTF8_INDEX);
        const bool wsrodBliskich = std::any_of(r.bliskie.begin(), r.bliskie.end(),
                                               [&](int b) { return konwertujaTakSamo(tekst, b, prawdziwy); });
        EXPECT_TRUE(konwertujaTakSamo(tekst, r.standard(), prawdziwy) || wsrodBliskich)
            << nazwa(r.standard());
    }
    // A UTF-8 text cut inside its last character is still UTF-8 without letters.
    const std::string uciety = "caf\xC3\xA9 \xE2\x80\x94 \xC3";
    EXPECT_EQ(RozpoznajStandard(uciety).werdykt, Werdykt::BezPolskichLiter);
}

// Held-out Polish prose, written by scripts/proza_polska.py from manual pages the model
// was not built from.
std::vector<std::string> proza(const std::string& plik)
{
    std::ifstream wejscie(std::string(ZNAKOMAT_PROZA) + "/" + plik, std::ios::binary);
    if (!wejscie) {
        throw std::runtime_error("brak " + std::string(ZNAKOMAT_PROZA) + "/" + plik);
    }
    std::stringstream tresc;
    tresc << wejscie.rdbuf();
    std::vector<std::string> teksty;
    std::string tekst;
    while (std::getline(tresc, tekst, '\0')) {
        teksty.push_back(tekst);
    }
    return teksty;
}

bool maPolskaLitere(std::string_view tekst)
{
    return std::any_of(tekst.begin(), tekst.end(), [](char c) { return (c & 0x80) != 0; });
}

struct Wyniki {
    int przypadkow = 0;
    int dobrze = 0;
    int zleBezUwagi = 0;     // wrong, and the verdict says certain
    int zUwaga = 0;          // the verdict names close standards
    int zUwagaSlusznie = 0;  // ... and the likeliest was wrong
};

Wyniki& operator+=(Wyniki& a, const Wyniki& b)
{
    a.przypadkow += b.przypadkow;
    a.dobrze += b.dobrze;
    a.zleBezUwagi += b.zleBezUwagi;
    a.zUwaga += b.zUwaga;
    a.zUwagaSlusznie += b.zUwagaSlusznie;
    return a;
}

double procent(int czesc, int calosc)
{
    return calosc == 0 ? 100.0 : 100.0 * czesc / calosc;
}

// Encodes every text in each of the seventeen standards with letters and prints the rates
// of each standard.
Wyniki skutecznosc(const std::vector<std::string>& teksty, const char* opis)
{
    std::array<Wyniki, LICZBA_STANDARDOW> wyniki{};
    for (const std::string& prosty : teksty) {
        for (int prawdziwy = 1; prawdziwy < LICZBA_STANDARDOW; ++prawdziwy) {
            const std::string tekst = konwertuj(prosty, UTF8_INDEX, prawdziwy);
            const Rozpoznanie r = RozpoznajStandard(tekst);
            Wyniki& w = wyniki[static_cast<std::size_t>(prawdziwy)];
            const bool dobrze = konwertujaTakSamo(tekst, r.standard(), prawdziwy);
            const bool uwaga = r.werdykt == Werdykt::Niejednoznaczny;
            ++w.przypadkow;
            w.dobrze += dobrze;
            w.zleBezUwagi += !dobrze && !uwaga;
            w.zUwaga += uwaga;
            w.zUwagaSlusznie += uwaga && !dobrze;
        }
    }
    std::printf("%s: %zu tekstów w każdym standardzie\n", opis, teksty.size());
    std::printf(
        "| Standard | Dobrze | Niejednoznaczne | Źle bez wątpliwości |\n| --- | ---: | ---: | ---: |\n");
    Wyniki razem;
    for (int s = 1; s < LICZBA_STANDARDOW; ++s) {
        const Wyniki& w = wyniki[static_cast<std::size_t>(s)];
        std::printf("| %s | %.2f %% | %.1f %% | %d |\n", nazwa(s).c_str(), procent(w.dobrze, w.przypadkow),
                    procent(w.zUwaga, w.przypadkow), w.zleBezUwagi);
        razem += w;
    }
    std::printf("Razem: %.2f %% dobrze, %d źle bez uwagi, %d z uwagą, z nich %d słusznie\n\n",
                procent(razem.dobrze, razem.przypadkow), razem.zleBezUwagi, razem.zUwaga,
                razem.zUwagaSlusznie);
    return razem;
}

// Each set of held-out texts with its least share recognised right, its most taken as
// certain and wrong, and its most named uncertain: a short text with one word or one kind
// of letter is named so whenever another reading comes near, prose almost never.
TEST(Skutecznosc, ProzaNieznanaModelowi)
{
    struct Zestaw {
        const char* plik;
        const char* opis;
        std::size_t najmniejTekstow;
        double najmniejDobrze;
        double najwyzejZleBezUwagi;
        double najwyzejZUwaga;
    };
    const std::vector<Zestaw> zestawy = {
        {"krotkie.txt", "Teksty od 100 do 1000 znaków", 500, 99.8, 0.1, 0.1},
        {"dlugie.txt", "Teksty od 2048 do 4096 znaków", 200, 99.95, 0.1, 0.1},
        {"male.txt", "Teksty od 20 do 100 znaków z jedną do trzech polskich liter", 500, 99.0, 0.1, 3.5},
        {"wielkie.txt", "Teksty wielkimi literami", 300, 99.5, 0.1, 2.0},
        {"nazwy.txt", "Listy nazw", 300, 98.0, 0.2, 7.0},
    };
    for (const Zestaw& zestaw : zestawy) {
        SCOPED_TRACE(zestaw.plik);
        const std::vector<std::string> teksty = proza(zestaw.plik);
        ASSERT_GE(teksty.size(), zestaw.najmniejTekstow);
        for (const std::string& tekst : teksty) {
            ASSERT_TRUE(maPolskaLitere(tekst));
        }
        const Wyniki w = skutecznosc(teksty, zestaw.opis);
        EXPECT_GE(procent(w.dobrze, w.przypadkow), zestaw.najmniejDobrze);
        EXPECT_LE(procent(w.zleBezUwagi, w.przypadkow), zestaw.najwyzejZleBezUwagi);
        EXPECT_LE(procent(w.zUwaga, w.przypadkow), zestaw.najwyzejZUwaga);
    }
}

}  // namespace
}  // namespace engine
