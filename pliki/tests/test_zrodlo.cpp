// The sources of the conversion loop and what the loop does when a converter fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/standardy.h"
#include "engine/wszystkie_znaki.h"
#include "pliki/konwersja_pliku.h"
#include "pliki/konwerter.h"
#include "pliki/przepisz.h"
#include "pliki/rozpoznany_poczatek.h"
#include "pliki/tests/test_pomoc.h"

namespace pliki::test {
namespace {

const std::string ZDANIE_UTF8 = "Zażółć gęślą jaźń. ";
const std::string ZDANIE_WINDOWS = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1. ";
constexpr std::size_t MIB = std::size_t{1} << 20;

std::string powtorzDo(const std::string& tekst, std::size_t dlugosc)
{
    std::string wynik;
    while (wynik.size() < dlugosc) {
        wynik += tekst;
    }
    return wynik;
}

// A plain header, then Polish text: what goes over unchanged, what is held for the verdict,
// and that the pieces handed out give the input back, once and in order.
TEST(RozpoznanyPoczatek, KawalkiPrzedIPoWerdykcie)
{
    struct Przypadek {
        const char* opis;
        std::size_t naglowek;  // ASCII bytes before the text, which begins "Za" and a letter
        std::size_t tekst;     // bytes of Polish text after them, at least
        std::size_t bezZmian;  // expected: whole plain pieces before the first letter
    };
    const std::size_t R = ROZMIAR_KAWALKA;
    const std::vector<Przypadek> przypadki = {
        {"pusty", 0, 0, 0},
        {"krótki tekst", 0, 100, 0},
        {"litera zaczęta w ostatnim bajcie pierwszego kawałka", R - 3, 100, 0},
        {"nagłówek równo na kawałek", R, 100, R},
        {"nagłówek kilku kawałków", 3 * R + 5, 3 * MIB, 3 * R},
        {"sam ASCII", 2 * R + 7, 0, 2 * R + 7},
    };
    TymczasowyFolder folder;
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        const std::string tekst = przypadek.tekst == 0 ? "" : powtorzDo(ZDANIE_UTF8, przypadek.tekst);
        const std::string calosc = std::string(przypadek.naglowek, 'a') + tekst;
        zapiszPlik(folder / "wejscie", calosc);
        // Held from the piece with the first letter: a mebibyte of whole pieces, or to the end.
        const std::size_t wstrzymane = std::min(calosc.size() - przypadek.bezZmian, MIB);

        PlikWejsciowy wejscie(folder / "wejscie");
        RozpoznanyPoczatek poczatek(wejscie);
        std::string kawalek(ROZMIAR_KAWALKA, '\0');
        std::string bezZmian;
        std::string poWerdykcie;
        int werdyktow = 0;
        for (;;) {
            const Przeczytany przeczytany =
                poczatek.czytaj(kawalek.data(), kawalek.size(), engine::BezPostepu());
            const std::string_view bajty(kawalek.data(), przeczytany.dlugosc);
            if (przeczytany.rodzaj == RodzajKawalka::Werdykt) {
                EXPECT_EQ(przeczytany.dlugosc, 0u);
                EXPECT_TRUE(poczatek.rozstrzygniete());
                // Taken now, before the held bytes go on.
                EXPECT_EQ(poczatek.wstrzymane().size(), wstrzymane);
                ++werdyktow;
            } else if (przeczytany.rodzaj == RodzajKawalka::BezZmian) {
                EXPECT_EQ(werdyktow, 0);
                bezZmian += bajty;
            } else {
                EXPECT_EQ(werdyktow, 1);
                if (bajty.empty()) {
                    break;
                }
                poWerdykcie += bajty;
            }
        }
        EXPECT_EQ(werdyktow, 1);
        EXPECT_EQ(bezZmian.size(), przypadek.bezZmian);
        EXPECT_EQ(poczatek.przepisaneBezZmian(), przypadek.bezZmian);
        EXPECT_TRUE(bezZmian + poWerdykcie == calosc);
        EXPECT_EQ(poczatek.tylkoAscii(), tekst.empty());
        if (!tekst.empty()) {
            EXPECT_EQ(poczatek.rozpoznanie().standard(), engine::UTF8_INDEX);
        }

        // The verdict alone: the same, reading no further than the beginning.
        PlikWejsciowy drugie(folder / "wejscie");
        RozpoznanyPoczatek samWerdykt(drugie);
        EXPECT_EQ(samWerdykt.rozpoznaj().werdykt, poczatek.rozpoznanie().werdykt);
        EXPECT_TRUE(samWerdykt.wstrzymane() ==
                    std::string_view(calosc).substr(przypadek.bezZmian, wstrzymane));
        EXPECT_EQ(drugie.czytaj(kawalek.data(), 1, engine::BezPostepu()),
                  calosc.size() > przypadek.bezZmian + wstrzymane ? 1u : 0u);
    }
}

struct BladKonwertera : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Copies its pieces; fails at piece `ktory` (counted from 0) after writing `przed` bytes of
// it, or, with `ktory` beyond the text, when it is ended.
class KopiaZBledem final : public Konwerter {
public:
    KopiaZBledem(std::size_t ktory, std::size_t przed) : ktory_(ktory), przed_(przed) {}

    std::size_t najwiecejBajtow(std::size_t dlugosc) const override { return dlugosc; }
    void przeczytany(std::string_view kawalek) override
    {
        przeczytane += kawalek;
        innyWatek = innyWatek && std::this_thread::get_id() != watekTestu_;
    }
    CzesciKawalka konwertuj(std::string_view kawalek, char* wynik) override
    {
        std::memcpy(wynik, kawalek.data(), kawalek.size());
        if (numer_++ == ktory_) {
            throw BladKonwertera("kawałek");
        }
        return {kawalek.size(), 0, 0};
    }
    std::size_t przedBledem() const override { return przed_; }
    std::string zakoncz() override { throw BladKonwertera("koniec"); }

    std::string przeczytane;
    bool innyWatek = true;

private:
    std::size_t ktory_;
    std::size_t przed_;
    std::size_t numer_ = 0;
    std::thread::id watekTestu_ = std::this_thread::get_id();
};

// What a converter gave before it failed is written, and nothing after it.
TEST(Przepis, BladKonwerteraZostawiaToCoPrzedNim)
{
    struct Przypadek {
        std::size_t ktory;
        std::size_t przed;
        std::size_t zapisane;
    };
    const std::size_t R = ROZMIAR_KAWALKA;
    const Przypadek przypadki[] = {{0, 0, 0}, {0, 17, 17}, {2, 1000, 2 * R + 1000}, {99, 0, 5 * R + 3}};
    TymczasowyFolder folder;
    std::string tekst(5 * R + 3, '\0');
    for (std::size_t i = 0; i < tekst.size(); ++i) {
        tekst[i] = static_cast<char>(i * 7 + i / R);
    }
    zapiszPlik(folder / "wejscie", tekst);
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.ktory);
        PlikWejsciowy wejscie(folder / "wejscie");
        PlikWyjsciowy wyjscie(folder / "wynik");
        KopiaZBledem konwerter(przypadek.ktory, przypadek.przed);
        ZrodloWejscia zrodlo(wejscie);
        {
            Przepis przepis(zrodlo, wyjscie);
            EXPECT_THROW(przepis.konwertuj(konwerter), BladKonwertera);
        }
        wyjscie.zatwierdz();
        EXPECT_TRUE(czytajPlik(folder / "wynik") == tekst.substr(0, przypadek.zapisane));
        // Counted in the reading thread, in order, at least as far as converted.
        EXPECT_TRUE(konwerter.innyWatek);
        EXPECT_TRUE(std::string_view(tekst).starts_with(konwerter.przeczytane));
        EXPECT_GE(konwerter.przeczytane.size(), std::min(przypadek.zapisane, tekst.size()));
    }
}

// A conversion of every character that stops, wherever the stop lies among the pieces: the
// text before it is written, and the stop is placed in the whole text.
TEST(Przepis, ZatrzymanaKonwersjaWKazdymMiejscu)
{
    const std::string ZNAK_SPOZA = "ж";  // no character of Windows-EE
    TymczasowyFolder folder;
    for (const bool rozpoznawany : {false, true}) {
        for (const std::size_t naglowek : {std::size_t{0}, 2 * ROZMIAR_KAWALKA + 9}) {
            for (const std::size_t zdan : {std::size_t{1}, std::size_t{9000}, std::size_t{70000}}) {
                SCOPED_TRACE(std::to_string(rozpoznawany) + " " + std::to_string(naglowek) + " " +
                             std::to_string(zdan));
                std::string wejscie(naglowek, 'h');
                std::string oczekiwane(naglowek, 'h');
                for (std::size_t i = 0; i < zdan; ++i) {
                    wejscie += ZDANIE_UTF8;
                    oczekiwane += ZDANIE_WINDOWS;
                }
                const std::size_t gdzie = wejscie.size();
                wejscie += ZNAK_SPOZA + powtorzDo(ZDANIE_UTF8, 3 * ROZMIAR_KAWALKA);
                zapiszPlik(folder / "wejscie", wejscie);

                PlikWejsciowy plik(folder / "wejscie");
                PlikWyjsciowy wynik(folder / "wynik");
                UstawieniaKonwersji ustawienia{engine::UTF8_INDEX, engine::WINDOWS_EE, true};
                if (rozpoznawany) {
                    ustawienia.zrodlo.reset();
                }
                try {
                    KonwertujOtwarte(plik, wynik, ustawienia);
                    ADD_FAILURE() << "nie zatrzymana";
                } catch (const ZatrzymanaKonwersja& stop) {
                    EXPECT_EQ(stop.zrodlo, engine::UTF8_INDEX);
                    EXPECT_EQ(stop.przesuniecie + stop.stop.pozycja, gdzie);
                    EXPECT_EQ(stop.przesuniecie,
                              rozpoznawany ? naglowek / ROZMIAR_KAWALKA * ROZMIAR_KAWALKA : 0);
                    EXPECT_EQ(stop.stop.znak, U'ж');
                }
                wynik.zatwierdz();
                EXPECT_TRUE(czytajPlik(folder / "wynik") == oczekiwane);
            }
        }
    }
}

// The converter of every character on its own, in the loop's pieces: letters cut wherever a
// piece or a part of one ends come out whole, and a stop anywhere leaves exactly the text
// before it.
TEST(KonwerterWszystkichZnakow, KawalkiICzesciBezSzwow)
{
    const std::string ZNAK_SPOZA = "ж";  // no character of Windows-EE
    const std::size_t K = std::size_t{8} << 10;
    struct Przypadek {
        std::size_t ascii;  // 'h's before the text
        bool stop;          // a character Windows-EE lacks after them
    };
    std::vector<Przypadek> przypadki;
    // Every place in a sentence meets the ends of the parts and pieces.
    for (std::size_t i = 0; i <= ZDANIE_UTF8.size(); ++i) {
        przypadki.push_back({i, false});
    }
    for (const std::size_t gdzie : {std::size_t{0}, std::size_t{1}, K - 1, K, K + 1, 3 * K + 7, 8 * K - 1,
                                    8 * K, 8 * K + 1, 13 * K + 2, 16 * K, 20 * K + 3}) {
        przypadki.push_back({gdzie, true});
    }
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(std::to_string(przypadek.ascii) + (przypadek.stop ? " stop" : ""));
        const std::size_t zdan = (3 * ROZMIAR_KAWALKA) / ZDANIE_UTF8.size();
        std::string wejscie(przypadek.ascii, 'h');
        std::string oczekiwane(przypadek.ascii, 'h');
        if (przypadek.stop) {
            wejscie += ZNAK_SPOZA;
        }
        for (std::size_t i = 0; i < zdan; ++i) {
            wejscie += ZDANIE_UTF8;
            if (!przypadek.stop) {
                oczekiwane += ZDANIE_WINDOWS;
            }
        }
        KonwerterWszystkichZnakow konwerter(engine::UTF8_INDEX, engine::WINDOWS_EE, "");
        const std::size_t dlugosc = konwerter.rozmiarKawalka();
        std::string wynik;
        std::string kawalek(konwerter.najwiecejBajtow(dlugosc), '\0');
        try {
            for (std::size_t od = 0; od < wejscie.size(); od += dlugosc) {
                const std::string_view czesc = std::string_view(wejscie).substr(od, dlugosc);
                wynik.append(kawalek.data(), konwerter.konwertuj(czesc, kawalek.data()).dlugosc);
            }
            wynik += konwerter.zakoncz();
            EXPECT_FALSE(przypadek.stop);
        } catch (const engine::NieprzekonwertowanyZnak& stop) {
            wynik.append(kawalek.data(), konwerter.przedBledem());
            EXPECT_TRUE(przypadek.stop);
            EXPECT_EQ(stop.pozycja, przypadek.ascii);
        }
        EXPECT_TRUE(wynik == oczekiwane) << wynik.size() << " zamiast " << oczekiwane.size();
    }
}

}  // namespace
}  // namespace pliki::test
