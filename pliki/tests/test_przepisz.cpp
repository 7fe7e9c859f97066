// The streaming loop against the whole-text conversion, its eighteen steps, and the
// Polish descriptions of system errors.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "pliki/konwersja_pliku.h"
#include "pliki/opis_bledu.h"
#include "pliki/pamiec_kawalkow.h"
#include "pliki/przepisz.h"
#include "pliki/tests/test_pomoc.h"
#include "pliki/tests/test_przepisz.h"
#include "pliki/wejscie.h"
#include "pliki/wyjscie.h"

namespace pliki::test {
namespace {

using engine::LICZBA_LITER;

int standard(std::string_view nazwa)
{
    for (int i = 0; i < engine::LICZBA_STANDARDOW; ++i) {
        if (engine::Standardy(i).Nazwa == nazwa) {
            return i;
        }
    }
    throw std::invalid_argument(std::string(nazwa));
}

// Text rich in what piece boundaries can cut: letters of the source, lone UTF-8 lead and
// continuation bytes, line breaks, any byte.
std::string losowyTekst(int zrodlo, std::size_t dlugosc, std::mt19937& los)
{
    std::string tekst;
    while (tekst.size() < dlugosc) {
        switch (los() % 5) {
            case 0:
            case 1:
                tekst += engine::Litera(zrodlo, static_cast<int>(los() % LICZBA_LITER) + 1);
                break;
            case 2:
                tekst.push_back(static_cast<char>(0xC3 + los() % 3));
                break;
            case 3:
                tekst += "\r\n";
                break;
            default:
                tekst.push_back(static_cast<char>(los()));
        }
    }
    tekst.resize(dlugosc);
    return tekst;
}

// Converts `wejscie` into `wynik` as both front ends do.
void przepiszPlik(const std::string& wejscie, const fs::path& wynik, int zrodlo, int cel,
                  engine::Postep& postep = engine::BezPostepu())
{
    PlikWejsciowy plikWejsciowy(wejscie);
    PlikWyjsciowy wyjscie(wynik);
    engine::KonwersjaBlokowa konwersja(zrodlo, cel);
    Przepisz(plikWejsciowy, wyjscie, konwersja, postep);
    wyjscie.zapisz(konwersja.zakoncz());
    wyjscie.zatwierdz();
}

struct Para {
    const char* zrodlo;
    const char* cel;
};

const Para PARY[] = {{"UTF-8", "Windows-EE"}, {"Windows-EE", "UTF-8"}, {"Mazovia", "ISO-Latin-2"},
                     {"UTF-8", "brak"},       {"CSK", "UTF-8"},        {"UTF-8", "UTF-8"}};

TEST(Przepisz, PlikDajeToCoCalyTekst)
{
    TymczasowyFolder folder;
    std::mt19937 los(11);
    // Empty, within one piece, at and around piece boundaries, and several pieces.
    const std::size_t dlugosci[] = {0,
                                    1,
                                    1000,
                                    ROZMIAR_KAWALKA - 1,
                                    ROZMIAR_KAWALKA,
                                    ROZMIAR_KAWALKA + 1,
                                    3 * ROZMIAR_KAWALKA + los() % ROZMIAR_KAWALKA};
    for (const Para& para : PARY) {
        const int zrodlo = standard(para.zrodlo);
        const int cel = standard(para.cel);
        for (const std::size_t dlugosc : dlugosci) {
            SCOPED_TRACE(std::string(para.zrodlo) + " → " + para.cel + ", " + std::to_string(dlugosc));
            const std::string tekst = losowyTekst(zrodlo, dlugosc, los);
            zapiszPlik(folder / "wejscie", tekst);

            przepiszPlik(folder / "wejscie", folder / "wynik", zrodlo, cel);

            EXPECT_TRUE(czytajPlik(folder / "wynik") == engine::test::KonwertujBajty(tekst, zrodlo, cel));
        }
    }
}

TEST(Przepisz, PotokWLosowychKawalkachDajeToCoCalyTekst)
{
    TymczasowyFolder folder;
    std::mt19937 los(12);
    for (const Para& para : PARY) {
        SCOPED_TRACE(std::string(para.zrodlo) + " → " + para.cel);
        const int zrodlo = standard(para.zrodlo);
        const int cel = standard(para.cel);
        const std::string tekst = losowyTekst(zrodlo, 600000 + los() % 100000, los);
        int potok[2];
        ASSERT_EQ(::pipe(potok), 0);
        // The reader takes whatever the writer has put in so far: pieces of random sizes,
        // cut anywhere, even inside a letter.
        std::thread pisarz([&, ziarno = los()] {
            std::mt19937 losPisarza(ziarno);
            for (std::size_t p = 0; p < tekst.size();) {
                const std::size_t ile = std::min<std::size_t>(1 + losPisarza() % 5000, tekst.size() - p);
                const ssize_t zapisane = ::write(potok[1], tekst.data() + p, ile);
                if (zapisane <= 0) {
                    break;
                }
                p += static_cast<std::size_t>(zapisane);
            }
            ::close(potok[1]);
        });
        try {
            przepiszPlik("/proc/self/fd/" + std::to_string(potok[0]), folder / "wynik", zrodlo, cel);
        } catch (const BladPliku& blad) {
            ADD_FAILURE() << "błąd " << blad.numer;
        }
        pisarz.join();
        ::close(potok[0]);

        EXPECT_TRUE(czytajPlik(folder / "wynik") == engine::test::KonwertujBajty(tekst, zrodlo, cel));
    }
}

// How far the library has read `sciezka`: the position of the descriptor it holds open.
std::uint64_t przeczytanoZ(const fs::path& sciezka)
{
    for (const fs::directory_entry& wpis : fs::directory_iterator("/proc/self/fd")) {
        std::error_code blad;
        if (fs::read_symlink(wpis.path(), blad) == sciezka) {
            const int deskryptor = std::stoi(wpis.path().filename().string());
            return static_cast<std::uint64_t>(::lseek(deskryptor, 0, SEEK_CUR));
        }
    }
    ADD_FAILURE() << sciezka << " nie jest otwarty";
    return 0;
}

// Records the steps, and checks between pieces that the step shown while the last piece
// was converted is the eighteenth its last byte belongs to, as far as the position of the
// reading thread tells.
class NadzorKrokow final : public engine::Postep {
public:
    NadzorKrokow(fs::path wejscie, std::uint64_t rozmiar) : wejscie_(std::move(wejscie)), rozmiar_(rozmiar) {}

    void przedKrokiem(int krok) override
    {
        zdarzenia.push_back(krok);
        biezacy_ = krok;
    }
    void poKroku() override { zdarzenia.push_back(0); }
    void wTrakcie() override
    {
        ++miedzyKawalkami;
        const std::uint64_t przeczytano = przeczytanoZ(wejscie_);
        if (rozmiar_ == 0 || przeczytano == 0) {
            EXPECT_EQ(biezacy_, 1) << "po " << przeczytano << " bajtach";
            return;
        }
        // Step k covers bytes from (k-1)/18 of the size up to k/18 of it. The last byte
        // converted lies behind the last one read by at most the pieces read ahead.
        const std::uint64_t ostatni = przeczytano - 1;
        const std::uint64_t naprzod = KAWALKOW_W_OBIEGU * ROZMIAR_KAWALKA;
        const std::uint64_t najwczesniej = ostatni > naprzod ? ostatni - naprzod : 0;
        const auto k = static_cast<std::uint64_t>(biezacy_);
        EXPECT_TRUE((k - 1) * rozmiar_ <= ostatni * LICZBA_LITER &&
                    najwczesniej * LICZBA_LITER < k * rozmiar_)
            << "krok " << k << " po " << przeczytano << " z " << rozmiar_ << " bajtów";
    }

    // Each step's number at its start, 0 at its end.
    std::vector<int> zdarzenia;
    int miedzyKawalkami = 0;

private:
    fs::path wejscie_;
    std::uint64_t rozmiar_;
    int biezacy_ = 0;
};

// The letters' loop, a conversion of every character and one whose source is recognised.
TEST(Przepisz, OsiemnascieKrokowIdzieZaWejsciem)
{
    std::vector<int> kolejno;
    for (int krok = 1; krok <= LICZBA_LITER; ++krok) {
        kolejno.push_back(krok);
        kolejno.push_back(0);
    }
    TymczasowyFolder folder;
    // Steps one piece each; steps not at piece boundaries; several steps in one piece;
    // all in one piece; an empty file, whose size says nothing.
    const std::size_t rozmiary[] = {LICZBA_LITER * ROZMIAR_KAWALKA, LICZBA_LITER * ROZMIAR_KAWALKA + 77777,
                                    5 * ROZMIAR_KAWALKA + 3, 100, 0};
    for (const std::size_t rozmiar : rozmiary) {
        SCOPED_TRACE("rozmiar " + std::to_string(rozmiar));
        const fs::path wejscie = fs::canonical(folder.sciezka()) / "wejscie";
        zapiszPlik(wejscie, std::string(rozmiar, 'x'));
        NadzorKrokow postep(wejscie, rozmiar);

        przepiszPlik(wejscie, folder / "wynik", 0, 0, postep);

        EXPECT_EQ(postep.zdarzenia, kolejno);
        EXPECT_GT(postep.miedzyKawalkami, static_cast<int>(rozmiar / ROZMIAR_KAWALKA));
        EXPECT_EQ(fs::file_size(folder / "wynik"), rozmiar);

        // Every character from a code page, and a source recognised before it is converted.
        UstawieniaKonwersji wszystkieZnaki{standard("Windows-EE"), standard("ISO-Latin-2"), true};
        UstawieniaKonwersji rozpoznawane{std::nullopt, standard("UTF-8")};
        for (const UstawieniaKonwersji& ustawienia : {wszystkieZnaki, rozpoznawane}) {
            NadzorKrokow inne(wejscie, rozmiar);
            PlikWejsciowy plik(wejscie);
            PlikWyjsciowy wynik(folder / "wynik");
            KonwertujOtwarte(plik, wynik, ustawienia, inne);
            wynik.zatwierdz();
            EXPECT_EQ(inne.zdarzenia, kolejno);
            EXPECT_GT(inne.miedzyKawalkami, static_cast<int>(rozmiar / ROZMIAR_KAWALKA));
            EXPECT_EQ(fs::file_size(folder / "wynik"), rozmiar);
        }
    }
}

// Pieces of one text converted in halves on two threads, against the whole text. Each case
// is a list of pieces, made so that letters of several bytes lie on both sides of the cut
// and letters are cut between pieces too.
struct PolowkiPrzypadek {
    const char* opis;
    const char* zrodlo;
    const char* cel;
    std::vector<std::string> kawalki;
    // Whether each piece is cut, and for UTF-8 whether after an ASCII byte near the middle.
    bool ciete;
};

// `dlugosc` bytes of UTF-8 letters only, with an ASCII byte that ends `przed` bytes before the
// middle, or none when `przed` is npos.
std::string literyZJednymAscii(std::size_t dlugosc, std::size_t przed)
{
    std::string tekst;
    for (int i = 0; tekst.size() < dlugosc; ++i) {
        tekst += engine::Litera(engine::UTF8_INDEX, i % LICZBA_LITER + 1);
    }
    tekst.resize(dlugosc);
    if (przed != std::string::npos) {
        tekst[dlugosc / 2 - 1 - przed] = ' ';
    }
    return tekst;
}

TEST(KonwersjaNaDwoch, PolowkiDajaToCoCalyKawalek)
{
    std::mt19937 los(13);
    const std::size_t dlugi = ROZMIAR_KAWALKA;
    const std::size_t npos = std::string::npos;
    const int utf8 = engine::UTF8_INDEX;
    // A lead byte at the end of a piece, its second byte in the next.
    std::string zLiteraNaKoncu = literyZJednymAscii(dlugi, 1);
    zLiteraNaKoncu.back() = engine::Litera(utf8, 1)[0];
    std::string zDrugimBajtem = literyZJednymAscii(dlugi, 2);
    zDrugimBajtem.front() = engine::Litera(utf8, 1)[1];
    const PolowkiPrzypadek przypadki[] = {
        {"cięcie tuż za środkiem litery",
         "UTF-8",
         "Windows-EE",
         {literyZJednymAscii(dlugi, 0), literyZJednymAscii(dlugi, 1), literyZJednymAscii(dlugi + 1, 0)},
         true},
        {"ASCII daleko przed środkiem", "UTF-8", "brak", {literyZJednymAscii(dlugi, 4000)}, true},
        {"litera między kawałkami", "UTF-8", "ISO-Latin-2", {zLiteraNaKoncu, zDrugimBajtem}, true},
        {"do UTF-8",
         "UTF-8",
         "UTF-8",
         {losowyTekst(utf8, dlugi, los), losowyTekst(utf8, dlugi - 1, los)},
         true},
        {"bez ASCII przy środku", "UTF-8", "Windows-EE", {literyZJednymAscii(dlugi, 5000)}, false},
        {"sam UTF-8 bez ASCII", "UTF-8", "Mazovia", {literyZJednymAscii(dlugi, npos)}, false},
        {"krótki kawałek", "UTF-8", "Windows-EE", {literyZJednymAscii(1000, 3)}, false},
        {"jednobajtowe zawsze",
         "Windows-EE",
         "UTF-8",
         {losowyTekst(engine::WINDOWS_EE, dlugi, los), losowyTekst(engine::WINDOWS_EE, dlugi / 3, los)},
         true},
        {"jednobajtowe w jednobajtowe",
         "Mazovia",
         "CSK",
         {losowyTekst(standard("Mazovia"), dlugi, los)},
         true},
    };
    for (const PolowkiPrzypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        const int zrodlo = standard(przypadek.zrodlo);
        const int cel = standard(przypadek.cel);
        engine::KonwersjaBlokowa konwersja(zrodlo, cel);
        KonwersjaNaDwoch naDwoch(konwersja, true);
        std::string calosc;
        std::string wynik;
        for (const std::string& kawalek : przypadek.kawalki) {
            calosc += kawalek;
            const std::size_t ciecie = naDwoch.ciecie(kawalek);
            EXPECT_EQ(ciecie > 0, przypadek.ciete);
            if (ciecie > 0 && zrodlo == utf8) {
                EXPECT_LT(static_cast<unsigned char>(kawalek[ciecie - 1]), 0x80);
                EXPECT_LE(kawalek.size() / 2 - ciecie, 4096u);
            }
            std::string bufor(naDwoch.najwiecejBajtow(kawalek.size()), '\0');
            const CzesciKawalka czesci = naDwoch.konwertuj(kawalek, bufor.data());
            EXPECT_EQ(czesci.drugiOd > 0, przypadek.ciete);
            ASSERT_LE(czesci.drugiOd + czesci.drugaDlugosc, bufor.size());
            ASSERT_LE(czesci.dlugosc, czesci.drugiOd > 0 ? czesci.drugiOd : bufor.size());
            wynik.append(bufor, 0, czesci.dlugosc);
            wynik.append(bufor, czesci.drugiOd, czesci.drugaDlugosc);
        }
        wynik += konwersja.zakoncz();
        EXPECT_TRUE(wynik == engine::test::KonwertujBajty(calosc, zrodlo, cel));
    }
}

// Each piece starts a page, all of it can be written without touching another, and memory
// handed back is taken again rather than asked of the system anew, with no more waiting
// than the bound.
TEST(PamiecKawalkow, OddanaCzekaNaTenSamRozmiar)
{
    const auto strona = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::pair<std::size_t, std::size_t> przypadki[] = {
        {1, 1}, {strona, 1}, {strona + 1, 2}, {ROZMIAR_KAWALKA, 3}, {2 * ROZMIAR_KAWALKA + 100, 3}};
    for (const auto& [rozmiar, ile] : przypadki) {
        SCOPED_TRACE(std::to_string(ile) + " × " + std::to_string(rozmiar));
        const char* pierwszy = nullptr;
        {
            const PamiecKawalkow pamiec(rozmiar, ile);
            for (std::size_t i = 0; i < ile; ++i) {
                EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pamiec.kawalek(i)) % strona, 0u);
                std::memset(pamiec.kawalek(i), static_cast<int>('a' + i), rozmiar);
            }
            for (std::size_t i = 0; i < ile; ++i) {
                EXPECT_EQ(pamiec.kawalek(i)[0], static_cast<char>('a' + i));
                EXPECT_EQ(pamiec.kawalek(i)[rozmiar - 1], static_cast<char>('a' + i));
            }
            pierwszy = pamiec.kawalek(0);
        }
        const std::size_t czekajace = PamiecKawalkow::czekajace();
        ASSERT_GT(czekajace, 0u);
        const PamiecKawalkow znowu(rozmiar, ile);
        EXPECT_EQ(PamiecKawalkow::czekajace(), czekajace - 1);
        EXPECT_EQ(znowu.kawalek(0), pierwszy);
    }
    std::vector<std::unique_ptr<PamiecKawalkow>> naRaz;
    for (std::size_t i = 0; i < PamiecKawalkow::najwiecejCzekajacych() + 2; ++i) {
        naRaz.push_back(std::make_unique<PamiecKawalkow>(ROZMIAR_KAWALKA, 1));
    }
    naRaz.clear();
    EXPECT_EQ(PamiecKawalkow::czekajace(), PamiecKawalkow::najwiecejCzekajacych());
}

// A conversion takes its rings of pieces from the memory the one before handed back, and
// hands them back in turn, so a batch of files touches their pages once.
TEST(Przepisz, PierscienieWracajaDlaNastepnegoPliku)
{
    class Podglad final : public engine::Postep {
    public:
        void przedKrokiem(int krok) override
        {
            if (krok == LICZBA_LITER / 2) {
                czekajaceWTrakcie = PamiecKawalkow::czekajace();
            }
        }
        std::size_t czekajaceWTrakcie = 0;
    };
    TymczasowyFolder folder;
    std::mt19937 los(5);
    const int zrodlo = engine::UTF8_INDEX;
    const int cel = engine::WINDOWS_EE;
    zapiszPlik(folder / "wejscie", losowyTekst(zrodlo, 4 * ROZMIAR_KAWALKA, los));
    przepiszPlik(folder / "wejscie", folder / "wynik", zrodlo, cel);
    const std::size_t poPierwszym = PamiecKawalkow::czekajace();
    ASSERT_GE(poPierwszym, 2u);

    Podglad podglad;
    przepiszPlik(folder / "wejscie", folder / "wynik", zrodlo, cel, podglad);
    EXPECT_EQ(podglad.czekajaceWTrakcie, poPierwszym - 2);
    EXPECT_EQ(PamiecKawalkow::czekajace(), poPierwszym);
}

TEST(OpisBledu, PoPolskuDlaKazdegoNumeru)
{
    // The texts the messages of both front ends are built from.
    EXPECT_EQ(OpisBledu(EACCES), "brak uprawnień");
    EXPECT_EQ(OpisBledu(ENOSPC), "brak miejsca na dysku");
    EXPECT_EQ(OpisBledu(EISDIR), "to jest folder, a nie plik");
    EXPECT_EQ(OpisBledu(ENOENT), "plik lub folder nie istnieje");
    EXPECT_EQ(OpisBledu(EFBIG), "plik jest za duży");
    // A number the system does not know: still Polish, with its number.
    EXPECT_EQ(OpisBledu(9999), "błąd systemu nr 9999");
    for (int numer = 1; numer <= EHWPOISON; ++numer) {
        const std::string opis = OpisBledu(numer);
        SCOPED_TRACE(std::to_string(numer) + ": " + opis);
        // Every number the C library has a text for has a Polish one of its own.
        if (std::string_view(std::strerror(numer)).starts_with("Unknown error")) {
            EXPECT_EQ(opis, "błąd systemu nr " + std::to_string(numer));
        } else {
            EXPECT_EQ(opis.find("błąd systemu nr"), std::string::npos);
        }
        EXPECT_FALSE(opis.empty());
        EXPECT_NE(opis, std::strerror(numer));
        EXPECT_NE(opis.front(), ' ');
        EXPECT_NE(opis.back(), '.');
    }
}

}  // namespace
}  // namespace pliki::test
