// znakomat-cli recognising standards (-f auto, -r) and converting many files into a folder (-d).

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli/tests/proces_cli.h"
#include "engine/konwersja.h"
#include "engine/rozpoznawanie.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"

namespace {

using namespace std::string_literals;

using namespace engine;
using namespace cli::test;
using namespace engine::test;

using Rozpoznawanie = ZnakomatCli;

const std::string PROZA =
    "Wczoraj wieczorem w małym mieście nad rzeką odbyło się zebranie mieszkańców. Przyszło "
    "wielu ludzi, bo sprawa dotyczyła nowego mostu, który ma połączyć oba brzegi. Burmistrz "
    "powiedział, że budowa zacznie się wiosną, a skończy jesienią przyszłego roku. Część "
    "obecnych pytała o koszty i o to, czy ruch ciężarówek nie zniszczy starych uliczek. "
    "Żaden z urzędników nie umiał odpowiedzieć na wszystkie pytania, więc ustalono, że za "
    "miesiąc odbędzie się kolejne spotkanie. Źródła w ratuszu mówią, że pieniądze są już "
    "zapewnione, ale szczegóły umowy wciąż nie są znane. Kowal Łukasz Ćwik zgłosił się "
    "do pomocy przy projekcie, a jego żona Ńina (tak pisze się jej imię w dokumentach) "
    "obiecała przygotować poczęstunek. O ósmej rano zaczną się prace.\n";

std::string konwertuj(const std::string& tekst, int zrodlo, int cel)
{
    return engine::test::KonwertujBajty(tekst, zrodlo, cel);
}

std::string nazwa(int standard)
{
    return std::string(Standardy(standard).Nazwa);
}

std::vector<std::string> wiersze(const std::string& tekst)
{
    std::vector<std::string> wynik;
    std::istringstream strumien(tekst);
    for (std::string wiersz; std::getline(strumien, wiersz);) {
        wynik.push_back(wiersz);
    }
    return wynik;
}

std::vector<std::string> pola(const std::string& wiersz)
{
    std::vector<std::string> wynik(1);
    for (const char znak : wiersz) {
        if (znak == '\t') {
            wynik.emplace_back();
        } else {
            wynik.back() += znak;
        }
    }
    return wynik;
}

TEST_F(Rozpoznawanie, AutoKonwertujeZKazdegoStandardu)
{
    // IEA-Swierk and Microvex differ only in Ó and Ś, which the text has as small letters
    // alone: either is right for it.
    for (int prawdziwy = 1; prawdziwy < LICZBA_STANDARDOW; ++prawdziwy) {
        const std::string tekst = konwertuj(PROZA, UTF8_INDEX, prawdziwy);
        for (const int cel : {UTF8_INDEX, WINDOWS_EE}) {
            const Wynik zPotoku = uruchom({"-f", "auto", "-t", nazwa(cel)}, tekst);
            EXPECT_EQ(zPotoku.kod, 0) << zPotoku.bledy;
            EXPECT_EQ(zPotoku.bledy, "") << nazwa(prawdziwy);
            EXPECT_EQ(zPotoku.wyjscie, konwertuj(tekst, prawdziwy, cel))
                << nazwa(prawdziwy) << " -> " << nazwa(cel);
        }
        zapiszPlik(folder_ / "we.txt", tekst);
        const Wynik zPliku = uruchom({"-f", "AUTO", "-t", "UTF-8", "-o", "wy.txt", "we.txt"});
        EXPECT_EQ(zPliku.kod, 0) << zPliku.bledy;
        EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), PROZA) << nazwa(prawdziwy);
    }

    // Several inputs onto one output: each is recognised on its own.
    zapiszPlik(folder_ / "mazovia.txt", konwertuj(PROZA, UTF8_INDEX, MAZOVIA));
    zapiszPlik(folder_ / "windows.txt", konwertuj(PROZA, UTF8_INDEX, WINDOWS_EE));
    const Wynik razem = uruchom({"-f", "auto", "-t", "UTF-8", "mazovia.txt", "-", "windows.txt"},
                                konwertuj(PROZA, UTF8_INDEX, IBM_LATIN_2));
    EXPECT_EQ(razem.kod, 0) << razem.bledy;
    EXPECT_EQ(razem.wyjscie, PROZA + PROZA + PROZA);
}

TEST_F(Rozpoznawanie, NiepewnyStandardWybranyINazwany)
{
    // Logic and Cyfromat differ only in ź and ż, swapped: a name that could be either
    // ("Woźniak", "Wożniak") does not tell which.
    const std::string tekst = konwertuj("Pan Woźniak\n", UTF8_INDEX, LOGIC);
    const Rozpoznanie r = RozpoznajStandard(tekst);
    ASSERT_EQ(r.werdykt, Werdykt::Niejednoznaczny);
    zapiszPlik(folder_ / "slowo.txt", tekst);
    const Wynik wynik = uruchom({"-f", "auto", "-t", "UTF-8", "slowo.txt"});
    EXPECT_EQ(wynik.kod, 0);
    EXPECT_EQ(wynik.wyjscie, konwertuj(tekst, r.standard(), UTF8_INDEX));
    ASSERT_EQ(wiersze(wynik.bledy).size(), 1u) << wynik.bledy;
    for (const std::string& fragment : {"„slowo.txt”"s, "niepewnie"s, "wybrany " + nazwa(r.standard())}) {
        EXPECT_NE(wynik.bledy.find(fragment), std::string::npos) << wynik.bledy << " bez: " << fragment;
    }
    const std::string bliskie = wynik.bledy.substr(wynik.bledy.find("bliskie: ") + 9);
    for (const int standard : r.bliskie) {
        EXPECT_NE(bliskie.find(nazwa(standard)), std::string::npos) << bliskie;
    }
    EXPECT_EQ(bliskie.find(nazwa(r.standard())), std::string::npos) << bliskie;

    const Wynik rozpoznanie = uruchom({"-r", "slowo.txt"});
    EXPECT_EQ(rozpoznanie.kod, 0);
    const std::vector<std::string> p = pola(wiersze(rozpoznanie.wyjscie).at(0));
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1], nazwa(r.standard()));
    std::string oczekiwane;
    for (const int standard : r.bliskie) {
        oczekiwane += oczekiwane.empty() ? "" : ",";
        oczekiwane += nazwa(standard);
    }
    EXPECT_EQ(p[2], oczekiwane);
}

TEST_F(Rozpoznawanie, TekstBezPolskichLiterBezZmian)
{
    // Plain ASCII, UTF-8 of other scripts, and typographic quotes of Windows-EE: nothing in
    // them is a Polish letter, so nothing changes, whatever the target. The quotes are
    // letters in some standards not far off, which the note names.
    const std::string ascii = "Just ASCII, line one.\r\nline two\n";
    const std::string inneUtf8 = "Привет — 你好 — Ελλάδα — café\n";
    const std::string cudzyslowy = "\x84tak\x94 \x96 nie\n";
    for (const int cel : {BRAK, MAZOVIA, UTF8_INDEX}) {
        const Wynik zAscii = uruchom({"-f", "auto", "-t", nazwa(cel)}, ascii);
        EXPECT_EQ(zAscii.kod, 0);
        EXPECT_EQ(zAscii.wyjscie, ascii);
        EXPECT_EQ(zAscii.bledy, "") << "ASCII nie wymaga uwagi";
        for (const auto& [tekst, uwaga] :
             {std::pair{inneUtf8, "bez zmian"}, std::pair{cudzyslowy, "niepewnie"}}) {
            const Wynik wynik = uruchom({"-f", "auto", "-t", nazwa(cel)}, tekst);
            EXPECT_EQ(wynik.kod, 0);
            EXPECT_EQ(wynik.wyjscie, tekst) << nazwa(cel);
            EXPECT_NE(wynik.bledy.find(uwaga), std::string::npos) << wynik.bledy;
        }
    }
    const Wynik r = uruchom({"-r"}, inneUtf8);
    EXPECT_EQ(r.wyjscie, "-\tbez-liter\t\n");
}

TEST_F(Rozpoznawanie, InnePismaISamotneBajtyPrzewodzace)
{
    // Polish letters among other scripts stay UTF-8; the other characters stay as they are
    // and are named on standard error, as with an explicit -f UTF-8.
    const std::string mieszany = PROZA + "Москва, Αθήνα, 東京.\n";
    const Wynik zUtf8 = uruchom({"-f", "auto", "-t", "ISO-Latin-2"}, mieszany);
    EXPECT_EQ(zUtf8.kod, 0);
    EXPECT_EQ(zUtf8.wyjscie, konwertuj(mieszany, UTF8_INDEX, ISO_LATIN_2));
    EXPECT_EQ(zUtf8.bledy, uruchom({"-f", "UTF-8", "-t", "ISO-Latin-2"}, mieszany).bledy);

    // C3, C4 and C5 start the UTF-8 letters; alone, before a space or at the end, they
    // must not make a one-byte text look like UTF-8, nor a UTF-8 one like anything else.
    for (const int prawdziwy : {WINDOWS_EE, ISO_LATIN_2, MAZOVIA, UTF8_INDEX}) {
        const std::string tekst = konwertuj(PROZA, UTF8_INDEX, prawdziwy) + "x \xC3 y \xC4. \xC5";
        const Wynik wynik = uruchom({"-f", "auto", "-t", "UTF-8"}, tekst);
        EXPECT_EQ(wynik.kod, 0);
        EXPECT_EQ(wynik.wyjscie, konwertuj(tekst, prawdziwy, UTF8_INDEX)) << nazwa(prawdziwy);
    }
}

TEST_F(Rozpoznawanie, PolskieLiteryDalekoPoNaglowkuAscii)
{
    // Plain pieces pass before the verdict and use none of the bounded beginning; the
    // position in the warning still counts them. Past one 256 KiB piece and past the bounded beginning.
    for (const std::size_t naglowek : {std::size_t{300} << 10, std::size_t{5} << 20}) {
        const std::string tekst = std::string(naglowek - 1, 'a') + "\n" +
                                  konwertuj(PROZA, UTF8_INDEX, WINDOWS_EE) + "\x84koniec\x94\n";
        const Wynik wynik = uruchom({"-f", "auto", "-t", "UTF-8"}, tekst);
        EXPECT_EQ(wynik.kod, 0);
        EXPECT_TRUE(wynik.wyjscie == konwertuj(tekst, WINDOWS_EE, UTF8_INDEX)) << naglowek;
        const std::string pozycja = "na pozycji " + std::to_string(tekst.find('\x84')) + " wejścia";
        EXPECT_NE(wynik.bledy.find(pozycja), std::string::npos) << wynik.bledy << " bez: " << pozycja;
    }
}

TEST_F(Rozpoznawanie, DuzyPotokWOgraniczonejPamieci)
{
    // 200 MB through a pipe: the beginning is held to recognise the standard, the rest
    // streams; holding it all would take as much memory as the text.
    const std::string kawalek = konwertuj(PROZA, UTF8_INDEX, IBM_LATIN_2);
    constexpr std::size_t ROZMIAR = std::size_t{200} << 20;
    std::string wiele;
    while (wiele.size() < (std::size_t{1} << 20)) {
        wiele += kawalek;
    }
    const std::size_t powtorzen = ROZMIAR / wiele.size();
    Opcje opcje;
    opcje.folder = folder_.string();
    std::size_t podane = 0;
    // Handed over piece by piece: the child, forked from this process, starts with its memory.
    const Wynik wynik = Proces({"-f", "auto", "-t", "ISO-Latin-2", "-o", "wy.txt"}, opcje).zakoncz([&] {
        return podane++ < powtorzen ? std::string_view(wiele) : std::string_view();
    });
    EXPECT_EQ(wynik.kod, 0) << wynik.bledy;
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed memory in quarantine, so only a plain build tells.
    EXPECT_LT(wynik.szczytPamieci, std::size_t{32} << 20);
#endif
    // The verdict followed the text: the first and last pieces converted from IBM-Latin-2.
    const std::string oczekiwany = konwertuj(kawalek, IBM_LATIN_2, ISO_LATIN_2);
    std::ifstream wyjscie(folder_ / "wy.txt", std::ios::binary);
    std::string poczatek(oczekiwany.size(), '\0');
    wyjscie.read(poczatek.data(), static_cast<std::streamsize>(poczatek.size()));
    EXPECT_EQ(poczatek, oczekiwany);
    wyjscie.seekg(-static_cast<std::streamoff>(oczekiwany.size()), std::ios::end);
    std::string koniec(oczekiwany.size(), '\0');
    wyjscie.read(koniec.data(), static_cast<std::streamsize>(koniec.size()));
    EXPECT_EQ(koniec, oczekiwany);
    EXPECT_EQ(fs::file_size(folder_ / "wy.txt"), powtorzen * wiele.size());
}

TEST_F(Rozpoznawanie, TylkoRozpoznanieWierszePoPlikach)
{
    zapiszPlik(folder_ / "mazovia.txt", konwertuj(PROZA, UTF8_INDEX, MAZOVIA));
    zapiszPlik(folder_ / "ascii.txt", "nothing Polish\n");
    zapiszPlik(folder_ / "z\ttabem\\.txt", konwertuj(PROZA, UTF8_INDEX, CSK));
    fs::create_directory(folder_ / "folder");
    const Wynik wynik = uruchom(
        {"--rozpoznaj", "mazovia.txt", "nie-ma.txt", "ascii.txt", "-", "folder", "z\ttabem\\.txt"}, PROZA);
    // A file that cannot be read is named on standard error and fails the run, no other.
    EXPECT_EQ(wynik.kod, 1);
    EXPECT_EQ(wiersze(wynik.bledy).size(), 2u) << wynik.bledy;
    EXPECT_NE(wynik.bledy.find("„nie-ma.txt”"), std::string::npos);
    EXPECT_NE(wynik.bledy.find("„folder”"), std::string::npos);
    EXPECT_EQ(wiersze(wynik.wyjscie),
              (std::vector<std::string>{"mazovia.txt\tMazovia\t", "ascii.txt\tbez-liter\t", "-\tUTF-8\t",
                                        "z\\ttabem\\\\.txt\tCSK\t"}));

    const Wynik dobrze = uruchom({"-r", "mazovia.txt", "ascii.txt"});
    EXPECT_EQ(dobrze.kod, 0);
    EXPECT_EQ(dobrze.bledy, "");
}

using Partia = ZnakomatCli;

// The summary, the last line of standard output.
std::string podsumowanie(const Wynik& wynik)
{
    const std::vector<std::string> w = wiersze(wynik.wyjscie);
    return w.empty() ? "" : w.back();
}

TEST_F(Partia, KazdyPlikDoKataloguMimoBleduJednego)
{
    // Enough files that every core works at once, in standards chosen in turn.
    std::vector<std::string> argumenty{"-f", "auto", "-t", "UTF-8", "-d", "wynik/"};
    std::vector<std::string> dobre;
    for (int i = 0; i < 34; ++i) {
        const int standard = 1 + i % (LICZBA_STANDARDOW - 1);
        const std::string plik = std::string("P").append(std::to_string(i)).append(".TXT");
        zapiszPlik(folder_ / plik, konwertuj(PROZA, UTF8_INDEX, standard));
        dobre.push_back(plik);
        argumenty.push_back(plik);
        if (i == 10) {
            argumenty.push_back("nie-ma.TXT");
        }
    }
    zapiszPlik(folder_ / "wynik-stary.txt", "");
    const Wynik wynik = uruchom(argumenty);
    EXPECT_EQ(wynik.kod, 1);
    EXPECT_EQ(podsumowanie(wynik), "Plików: 35, skonwertowane: 34, z błędem: 1");
    EXPECT_EQ(wiersze(wynik.bledy).size(), 1u) << wynik.bledy;
    EXPECT_NE(wynik.bledy.find("odczytać pliku „nie-ma.TXT”"), std::string::npos) << wynik.bledy;

    // A whole line for each file converted, whichever core finished it.
    std::vector<std::string> linie = wiersze(wynik.wyjscie);
    linie.pop_back();
    std::vector<std::string> oczekiwane;
    for (int i = 0; i < 34; ++i) {
        const std::string plik = dobre[static_cast<std::size_t>(i)];
        // Of standards that read the text alike (Cyfromat and DHN always) the line names one.
        const int rozpoznany =
            RozpoznajStandard(konwertuj(PROZA, UTF8_INDEX, 1 + i % (LICZBA_STANDARDOW - 1))).standard();
        oczekiwane.push_back(plik + " → wynik/" + plik + " (" + nazwa(rozpoznany) + " → UTF-8)");
        EXPECT_EQ(czytajPlik(folder_ / "wynik" / plik), PROZA) << plik;
    }
    std::sort(linie.begin(), linie.end());
    std::sort(oczekiwane.begin(), oczekiwane.end());
    EXPECT_EQ(linie, oczekiwane);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "wynik"), {}), 34);

    // A fixed source, into a folder that exists.
    const Wynik jeszcze = uruchom({"-f", "Mazovia", "-t", "brak", "--katalog", "wynik", "P0.TXT"});
    EXPECT_EQ(jeszcze.kod, 0) << jeszcze.bledy;
    EXPECT_EQ(czytajPlik(folder_ / "wynik" / "P0.TXT"), konwertuj(PROZA, UTF8_INDEX, BRAK));
    EXPECT_EQ(podsumowanie(jeszcze), "Plików: 1, skonwertowane: 1, z błędem: 0");
}

TEST_F(Partia, WynikNieMozeBycWejsciemAniCudzymWynikiem)
{
    const std::string mazovia = konwertuj(PROZA, UTF8_INDEX, MAZOVIA);
    fs::create_directories(folder_ / "a");
    fs::create_directories(folder_ / "b");
    fs::create_directories(folder_ / "wynik");
    zapiszPlik(folder_ / "a" / "list.txt", mazovia);
    zapiszPlik(folder_ / "b" / "list.txt", mazovia);
    zapiszPlik(folder_ / "wynik" / "sam.txt", mazovia);
    zapiszPlik(folder_ / "inny.txt", mazovia);
    // wynik/link.txt leads to another input, which must not be replaced.
    zapiszPlik(folder_ / "link.txt", mazovia);
    fs::create_symlink("../inny.txt", folder_ / "wynik" / "link.txt");

    const Wynik wynik = uruchom({"-f", "auto", "-t", "UTF-8", "-d", "wynik", "a/list.txt", "b/list.txt",
                                 "wynik/sam.txt", "link.txt", "inny.txt"});
    EXPECT_EQ(wynik.kod, 1);
    EXPECT_EQ(podsumowanie(wynik), "Plików: 5, skonwertowane: 2, z błędem: 3");
    const std::vector<std::string> bledy = wiersze(wynik.bledy);
    ASSERT_EQ(bledy.size(), 3u) << wynik.bledy;
    for (const std::string& fragment : {"„b/list.txt”"s, "„wynik/sam.txt”"s, "„wynik/link.txt”"s}) {
        EXPECT_EQ(std::count_if(bledy.begin(), bledy.end(),
                                [&](const std::string& b) { return b.find(fragment) != std::string::npos; }),
                  1)
            << wynik.bledy << " bez: " << fragment;
    }
    EXPECT_EQ(czytajPlik(folder_ / "wynik" / "list.txt"), PROZA);
    EXPECT_EQ(czytajPlik(folder_ / "wynik" / "inny.txt"), PROZA);
    EXPECT_EQ(czytajPlik(folder_ / "wynik" / "sam.txt"), mazovia);
    EXPECT_EQ(czytajPlik(folder_ / "inny.txt"), mazovia);
    EXPECT_TRUE(fs::is_symlink(folder_ / "wynik" / "link.txt"));
}

TEST_F(Partia, BledneUzycie)
{
    zapiszPlik(folder_ / "we.txt", "Łódź\n");
    oczekujBledu(uruchom({"-f", "auto", "-t", "UTF-8", "-d", "wynik", "-o", "x.txt", "we.txt"}), 2,
                 {"-o (--output)", "-d (--katalog)"});
    oczekujBledu(uruchom({"-f", "auto", "-t", "UTF-8", "-d", "wynik"}, "Łódź\n"), 2, {"standardowe wejście"});
    oczekujBledu(uruchom({"-f", "auto", "-t", "UTF-8", "-d", "wynik", "we.txt", "-"}), 2,
                 {"standardowe wejście"});
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "Auto", "we.txt"}), 2, {"„Auto”", "źródłowy"});
    oczekujBledu(uruchom({"-r", "-f", "auto", "we.txt"}), 2, {"-r (--rozpoznaj)"});
    oczekujBledu(uruchom({"-f", "auto", "-t", "UTF-8", "--katalog=", "we.txt"}), 2, {"pusta nazwa"});
    // A folder that cannot be made is one error, before any file.
    oczekujBledu(uruchom({"-f", "auto", "-t", "UTF-8", "-d", "we.txt", "we.txt"}), 1, {"„we.txt”"});
    oczekujBledu(uruchom({"-f", "auto", "-t", "UTF-8", "-d", "nie/ma", "we.txt"}), 1, {"„nie/ma”"});
    EXPECT_EQ(zawartoscFolderu(), std::vector<std::string>{"we.txt"});

    const Wynik pomoc = uruchom({"-h"});
    for (const char* fragment : {"-d, --output-dir=KATALOG", "--katalog=KATALOG", "-r, --detect",
                                 "--rozpoznaj", "„auto”", "„bez-liter”"}) {
        EXPECT_NE(pomoc.wyjscie.find(fragment), std::string::npos) << fragment;
    }
}

}  // namespace
