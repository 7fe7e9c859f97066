// znakomat-cli run as a separate process.

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/tests/proces_cli.h"
#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "engine/tests/losowy_tekst.h"

namespace {

namespace fs = std::filesystem;
using namespace engine;

std::string calosc(const std::string& tekst, int zrodlo, int cel)
{
    return engine::test::KonwertujBajty(tekst, zrodlo, cel);
}

using test::losowyTekst;

using namespace cli::test;
using namespace engine::test;

TEST_F(ZnakomatCli, KazdyStandardZrodlowyJakSilnik)
{
    std::vector<std::pair<int, int>> pary;
    for (int zrodlo = 0; zrodlo < LICZBA_STANDARDOW; ++zrodlo) {
        pary.emplace_back(zrodlo, (zrodlo + 5) % LICZBA_STANDARDOW);
        pary.emplace_back(UTF8_INDEX, zrodlo);
    }
    for (const auto& [zrodlo, cel] : pary) {
        const std::string tekst = losowyTekst(zrodlo, 3000, static_cast<unsigned>(cel));
        const Wynik wynik = uruchom(
            {"-f", std::string(Standardy(zrodlo).Nazwa), "-t", std::string(Standardy(cel).Nazwa), "-"},
            tekst);
        EXPECT_EQ(wynik.kod, 0) << wynik.bledy;
        EXPECT_EQ(wynik.wyjscie, calosc(tekst, zrodlo, cel)) << zrodlo << " -> " << cel;
    }
}

TEST_F(ZnakomatCli, DuzyTekstWieluBlokamiZPlikuIPotoku)
{
    // Letters start at an odd offset, so each even offset among them cuts one in two: the
    // 256 KiB blocks of a file and the reads of a pipe alike.
    constexpr std::size_t MIB = std::size_t{1} << 20;
    std::string tekst(4 * MIB - 65535, 'a');
    while (tekst.size() < 4 * MIB + 65536) {
        tekst += "żółćąęśźńŻÓŁĆĄĘŚŹŃ";
    }
    tekst += '\n';
    tekst += losowyTekst(UTF8_INDEX, 100000, 1);
    const std::string oczekiwany = calosc(tekst, UTF8_INDEX, MAZOVIA);
    zapiszPlik(folder_ / "duzy.txt", tekst);

    const Wynik zPliku = uruchom({"-f", "UTF-8", "-t", "Mazovia", "-o", "wynik.txt", "duzy.txt"});
    EXPECT_EQ(zPliku.kod, 0) << zPliku.bledy;
    const std::string wynik = czytajPlik(folder_ / "wynik.txt");
    EXPECT_TRUE(wynik == oczekiwany) << "długości " << wynik.size() << " i " << oczekiwany.size();
    const Wynik zPotoku = uruchom({"-f", "UTF-8", "-t", "Mazovia"}, tekst);
    EXPECT_EQ(zPotoku.kod, 0) << zPotoku.bledy;
    EXPECT_TRUE(zPotoku.wyjscie == oczekiwany)
        << "długości " << zPotoku.wyjscie.size() << " i " << oczekiwany.size();
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"duzy.txt", "wynik.txt"}));
}

TEST_F(ZnakomatCli, NazwyStandardowBezWzgleduNaWielkoscLiter)
{
    const std::string tekst = "Zażółć gęślą jaźń\nŹDŹBŁO\n";
    const Wynik wynik = uruchom({"-f", "utf-8", "-t", "WINDOWS-ee"}, tekst);
    EXPECT_EQ(wynik.kod, 0) << wynik.bledy;
    EXPECT_EQ(wynik.wyjscie, calosc(tekst, UTF8_INDEX, WINDOWS_EE));
    EXPECT_EQ(uruchom({"-fiso-LATIN-2", "-tUtF-8"}, "\xB1\xE6").wyjscie,
              calosc("\xB1\xE6", ISO_LATIN_2, UTF8_INDEX));
}

TEST_F(ZnakomatCli, ListaIPomoc)
{
    // A line per standard: its name, then its other names, every word a name -f takes.
    const Wynik lista = uruchom({"-l"});
    EXPECT_EQ(lista.kod, 0);
    std::istringstream wiersze(lista.wyjscie);
    std::string wiersz;
    // The names in the table's order, and some of the other names everyone knows of the three
    // code pages; the others have no other names.
    const std::vector<std::pair<std::string, std::vector<std::string>>> oczekiwane = {
        {"brak", {}},
        {"Mazovia", {}},
        {"ISO-Latin-2", {"ISO-8859-2", "ISO_8859-2:1987", "latin2", "l2"}},
        {"CSK", {}},
        {"Cyfromat", {}},
        {"DHN", {}},
        {"IINTE-ISIS", {}},
        {"IBM-Latin-2", {"CP852", "IBM852", "852"}},
        {"IEA-Swierk", {}},
        {"Logic", {}},
        {"Microvex", {}},
        {"Windows-EE", {"CP1250", "windows-1250"}},
        {"Ventura", {}},
        {"ELWRO-Junior", {}},
        {"AmigaPL", {}},
        {"WFN", {}},
        {"ATM", {}},
        {"UTF-8", {}},
    };
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        const auto& [nazwaStandardu, znaneAliasy] = oczekiwane[static_cast<std::size_t>(i)];
        ASSERT_TRUE(std::getline(wiersze, wiersz)) << i;
        std::istringstream slowa(wiersz);
        std::string nazwa;
        slowa >> nazwa;
        EXPECT_EQ(nazwa, nazwaStandardu);
        std::vector<std::string> inne;
        for (std::string slowo; slowa >> slowo;) {
            EXPECT_EQ(ZnajdzStandard(slowo), i) << slowo;
            inne.push_back(slowo);
        }
        for (const std::string& alias : znaneAliasy) {
            EXPECT_NE(std::find(inne.begin(), inne.end(), alias), inne.end()) << alias << " in " << wiersz;
        }
        EXPECT_EQ(inne.empty(), znaneAliasy.empty()) << wiersz;
    }
    // After an empty line, which standards convert whole without a base.
    std::string reszta;
    std::getline(wiersze, reszta, '\0');
    EXPECT_EQ(reszta.substr(0, 80),
              "\nCały tekst (-a) bez -b: Mazovia, ISO-Latin-2, IBM-Latin-2, Windows-EE, UTF-8.\n")
        << reszta;
    EXPECT_NE(reszta.find("--list-bases"), std::string::npos) << reszta;

    // The bases: one-byte code pages only, each taken by -b.
    const Wynik podstawy = uruchom({"--list-bases"});
    EXPECT_EQ(podstawy.kod, 0);
    std::vector<std::string> nazwy;
    std::istringstream wierszePodstaw(podstawy.wyjscie);
    for (std::string nazwa; std::getline(wierszePodstaw, nazwa);) {
        nazwy.push_back(nazwa);
    }
    EXPECT_GT(nazwy.size(), 100u);
    for (const char* nazwa : {"CP437", "IBM437", "CP850", "ISO-8859-1", "CP1252", "KOI8-R"}) {
        EXPECT_NE(std::find(nazwy.begin(), nazwy.end(), nazwa), nazwy.end()) << nazwa;
    }
    for (const char* nazwa : {"UTF-8", "UTF-16", "SJIS", "EUC-JP"}) {
        EXPECT_EQ(std::find(nazwy.begin(), nazwy.end(), nazwa), nazwy.end()) << nazwa;
    }
    for (std::size_t i = 0; i < nazwy.size(); i += nazwy.size() / 10) {
        const Wynik zPodstawa = uruchom({"-a", "-b", nazwy[i], "-f", "CSK", "-t", "UTF-8"});
        EXPECT_EQ(zPodstawa.kod, 0) << nazwy[i] << zPodstawa.bledy;
    }
    EXPECT_EQ(uruchom({"--lista-podstaw"}).wyjscie, podstawy.wyjscie);

    const Wynik pomoc = uruchom({"-h"});
    EXPECT_EQ(pomoc.kod, 0);
    EXPECT_EQ(pomoc.bledy, "");
    for (const char* fragment :
         {"Użycie: znakomat-cli -f ŹRÓDŁO -t CEL", "-o, --output=WYJŚCIE", "-l, --list", "--from-code",
          "-b, --base=PODSTAWA", "--list-bases", "Mazovia to strona kodowa 437", "--to-code", "--version",
          "Przykłady:", "standardowe wejście", "wielkość liter", "CP1250"}) {
        EXPECT_NE(pomoc.wyjscie.find(fragment), std::string::npos) << fragment;
    }
    EXPECT_EQ(uruchom({"--help"}).wyjscie, pomoc.wyjscie);
    EXPECT_EQ(uruchom({"--list"}).wyjscie, lista.wyjscie);
}

TEST_F(ZnakomatCli, DlugieIPolaczoneOpcje)
{
    const std::string tekst = "Zażółć gęślą jaźń\n";
    const std::string oczekiwany = calosc(tekst, UTF8_INDEX, MAZOVIA);
    for (const std::vector<std::string>& argumenty : std::vector<std::vector<std::string>>{
             {"--from-code=UTF-8", "--to-code=Mazovia"},
             {"--from-code", "UTF-8", "--to-code", "Mazovia", "-"},
             {"--to-code", "mazovia", "-fUTF-8", "--output=-"},
             {"--from=UTF-8", "--to=Mazovia"},
             {"-fUTF-8", "-t", "Mazovia", "--", "-"},
             {"-", "-f", "UTF-8", "-tMazovia"},
         }) {
        const Wynik wynik = uruchom(argumenty, tekst);
        EXPECT_EQ(wynik.kod, 0) << argumenty[0] << wynik.bledy;
        EXPECT_EQ(wynik.wyjscie, oczekiwany) << argumenty[0];
    }
    // Options without a value grouped, and one with its value closing the group.
    const std::string tekstZnakow = "„Łódź” – 5°\n";
    EXPECT_EQ(uruchom({"-afUTF-8", "-tWindows-EE"}, tekstZnakow).wyjscie,
              uruchom({"-a", "-f", "UTF-8", "-t", "Windows-EE"}, tekstZnakow).wyjscie);
    // -h, -l and -V stand alone: whatever else was asked would be left undone unseen.
    for (const std::vector<std::string>& argumenty :
         std::vector<std::vector<std::string>>{{"-lh"},
                                               {"-hl"},
                                               {"-lfUTF-8"},
                                               {"-lVo", "wy.txt"},
                                               {"-h", "-f", "xyz"},
                                               {"-V", "we.txt"},
                                               {"--list", "--to-code=UTF-8"},
                                               {"-h", "-h"}}) {
        oczekujBledu(uruchom(argumenty), 2, {"podaje się sama"});
    }
    EXPECT_EQ(zawartoscFolderu(), std::vector<std::string>{});
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "-", "-"}, "Łódź"), 2, {"„-”", "więcej niż raz"});

    for (const char* wersja : {"-V", "--version"}) {
        const Wynik wynik = uruchom({wersja});
        EXPECT_EQ(wynik.kod, 0);
        EXPECT_EQ(wynik.wyjscie, "znakomat-cli " ZNAKOMAT_WERSJA "\n");
        EXPECT_EQ(wynik.bledy, "");
    }
}

TEST_F(ZnakomatCli, InneNazwyStandardow)
{
    const std::string tekst = "Źdźbło, żółw i gąszcz\n";
    const std::string windows = calosc(tekst, UTF8_INDEX, WINDOWS_EE);
    for (const char* nazwa : {"CP1250", "windows-1250", "WINDOWS1250", "ms-ee"}) {
        const Wynik wynik = uruchom({"-f", "UTF8", "-t", nazwa}, tekst);
        EXPECT_EQ(wynik.kod, 0) << nazwa << wynik.bledy;
        EXPECT_EQ(wynik.wyjscie, windows) << nazwa;
    }
    for (const auto& [nazwa, standard] : std::vector<std::pair<std::string, int>>{{"ISO-8859-2", ISO_LATIN_2},
                                                                                  {"latin2", ISO_LATIN_2},
                                                                                  {"L2", ISO_LATIN_2},
                                                                                  {"iso_8859-2", ISO_LATIN_2},
                                                                                  {"CP852", IBM_LATIN_2},
                                                                                  {"IBM852", IBM_LATIN_2},
                                                                                  {"852", IBM_LATIN_2}}) {
        const Wynik wynik =
            uruchom({"--from-code=" + nazwa, "--to-code=utf8"}, calosc(tekst, UTF8_INDEX, standard));
        EXPECT_EQ(wynik.kod, 0) << nazwa << wynik.bledy;
        EXPECT_EQ(wynik.wyjscie, tekst) << nazwa;
    }
}

TEST_F(ZnakomatCli, KilkaWejscJednoPoDrugim)
{
    // The first file ends in the lead byte of "Ą" and the second begins with the rest:
    // each file is a text of its own, so the halves stay as they are.
    const std::string a = "Łódź\n\xC4";
    const std::string b = "\x84 i dalej ćma\n";
    const std::string zWejscia = "żaba\n";
    zapiszPlik(folder_ / "a.txt", a);
    zapiszPlik(folder_ / "b.txt", b);
    const std::string oczekiwany = calosc(a, UTF8_INDEX, ISO_LATIN_2) +
                                   calosc(zWejscia, UTF8_INDEX, ISO_LATIN_2) +
                                   calosc(b, UTF8_INDEX, ISO_LATIN_2);

    const Wynik naWyjscie = uruchom({"-f", "UTF-8", "-t", "ISO-Latin-2", "a.txt", "-", "b.txt"}, zWejscia);
    EXPECT_EQ(naWyjscie.kod, 0) << naWyjscie.bledy;
    EXPECT_EQ(naWyjscie.wyjscie, oczekiwany);
    EXPECT_EQ(uruchom({"-f", "UTF-8", "-t", "ISO-Latin-2", "a.txt", "b.txt"}).wyjscie,
              calosc(a, UTF8_INDEX, ISO_LATIN_2) + calosc(b, UTF8_INDEX, ISO_LATIN_2));
    EXPECT_NE(calosc(a, UTF8_INDEX, ISO_LATIN_2) + calosc(b, UTF8_INDEX, ISO_LATIN_2),
              calosc(a + b, UTF8_INDEX, ISO_LATIN_2));

    const Wynik doPliku =
        uruchom({"-f", "UTF-8", "-t", "ISO-Latin-2", "-o", "wy.txt", "a.txt", "-", "b.txt"}, zWejscia);
    EXPECT_EQ(doPliku.kod, 0) << doPliku.bledy;
    EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), oczekiwany);

    // A later input that cannot be read, or is the output, leaves the old output whole.
    zapiszPlik(folder_ / "wy.txt", "stara treść\n");
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "-o", "wy.txt", "a.txt", "nie-ma.txt", "b.txt"}), 1,
                 {"„nie-ma.txt”"});
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "-o", "wy.txt", "a.txt", "b.txt", "wy.txt"}), 2,
                 {"ten sam plik", "„wy.txt”"});
    EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), "stara treść\n");
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"a.txt", "b.txt", "wy.txt"}));
}

TEST_F(ZnakomatCli, UwagaOBajtachKtoreNieSaLiterami)
{
    // „Łódź” – in Windows-EE: the quotes and the dash are no letters.
    const std::string windows =
        "Mi\xB9\x9F \x84\xA3\xF3"
        "d\x9F\x94 \x96 tak\n";
    const Wynik doUtf8 = uruchom({"-f", "Windows-EE", "-t", "UTF-8"}, windows);
    EXPECT_EQ(doUtf8.kod, 0);
    EXPECT_EQ(doUtf8.wyjscie, calosc(windows, WINDOWS_EE, UTF8_INDEX));
    EXPECT_EQ(std::count(doUtf8.bledy.begin(), doUtf8.bledy.end(), '\n'), 1) << doUtf8.bledy;
    for (const char* fragment : {"znakomat-cli: uwaga: ", "UTF-8", "liczba: 3",
                                 "pierwszy to 84 na pozycji 5 wejścia", "Windows-EE", "sprawdź"}) {
        EXPECT_NE(doUtf8.bledy.find(fragment), std::string::npos) << doUtf8.bledy << " bez: " << fragment;
    }

    // é, „ and a lone lead byte at the very end stay behind in a one-byte text.
    const std::string utf8 = "Łódź é i \xE2\x80\x9E\xC4\x84\xC5";
    zapiszPlik(folder_ / "we.txt", utf8);
    const Wynik zUtf8 = uruchom({"-f", "UTF-8", "-t", "Mazovia", "-o", "wy.txt", "we.txt"});
    EXPECT_EQ(zUtf8.kod, 0);
    EXPECT_EQ(zUtf8.wyjscie, "");
    EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), calosc(utf8, UTF8_INDEX, MAZOVIA));
    EXPECT_EQ(std::count(zUtf8.bledy.begin(), zUtf8.bledy.end(), '\n'), 1) << zUtf8.bledy;
    for (const char* fragment :
         {"znakomat-cli: uwaga: ", "Mazovia", "liczba: 3", "na pozycji 8 pliku „we.txt”"}) {
        EXPECT_NE(zUtf8.bledy.find(fragment), std::string::npos) << zUtf8.bledy << " bez: " << fragment;
    }

    // One line for each input that has them; none where the target holds everything.
    zapiszPlik(folder_ / "czysty.txt", "Łódź\n");
    zapiszPlik(folder_ / "windows.txt",
               "\xA3\xF3"
               "d\x9F\n");
    const Wynik kilka = uruchom({"-f", "UTF-8", "-t", "brak", "we.txt", "czysty.txt", "we.txt"});
    EXPECT_EQ(kilka.kod, 0);
    EXPECT_EQ(std::count(kilka.bledy.begin(), kilka.bledy.end(), '\n'), 2) << kilka.bledy;
    for (const std::vector<std::string>& bezUwag : std::vector<std::vector<std::string>>{
             {"-f", "UTF-8", "-t", "brak", "czysty.txt"},
             {"-f", "Windows-EE", "-t", "ISO-Latin-2", "windows.txt"},
             {"-f", "UTF-8", "-t", "UTF-8", "we.txt"},
             {"-f", "Windows-EE", "-t", "UTF-8", "windows.txt"},
         }) {
        const Wynik wynik = uruchom(bezUwag);
        EXPECT_EQ(wynik.kod, 0);
        EXPECT_EQ(wynik.bledy, "") << bezUwag[1] << " -> " << bezUwag[3];
    }
}

TEST_F(ZnakomatCli, ZamknieteStandardoweStrumienie)
{
    zapiszPlik(folder_ / "we.txt", "Łódź\n");
    Opcje bezWyjscia;
    bezWyjscia.bezWyjscia = true;
    const Wynik naStdout =
        uruchom({"-f", "UTF-8", "-t", "brak", "-o", "/dev/stdout", "we.txt"}, {}, bezWyjscia);
    oczekujBledu(naStdout, 1, {"„/dev/stdout”: plik lub folder nie istnieje"});
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "-o", "/dev/fd/1", "we.txt"}, {}, bezWyjscia), 1,
                 {"nie istnieje"});
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "we.txt"}, {}, bezWyjscia), 1,
                 {"nie mogę zapisać na standardowe wyjście"});
    // /dev/null itself still takes the output.
    EXPECT_EQ(uruchom({"-f", "UTF-8", "-t", "brak", "-o", "/dev/null", "we.txt"}, {}, bezWyjscia).kod, 0);

    Opcje bezWejscia;
    bezWejscia.bezWejscia = true;
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "/dev/stdin"}, {}, bezWejscia), 1,
                 {"odczytać pliku „/dev/stdin”: plik lub folder nie istnieje"});
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "-o", "wy.txt", "we.txt", "-"}, {}, bezWejscia), 1,
                 {"odczytać standardowego wejścia"});
    EXPECT_EQ(zawartoscFolderu(), std::vector<std::string>{"we.txt"});
    const Wynik zPliku = uruchom({"-f", "UTF-8", "-t", "brak", "we.txt"}, {}, bezWejscia);
    EXPECT_EQ(zPliku.kod, 0) << zPliku.bledy;
    EXPECT_EQ(zPliku.wyjscie, "Lodz\n");
}

TEST_F(ZnakomatCli, BledneUzycie)
{
    std::vector<std::string> wszystkieNazwy{"nieznany standard „Latin-9”"};
    for (int i = 0; i < LICZBA_STANDARDOW; ++i) {
        wszystkieNazwy.emplace_back(Standardy(i).Nazwa);
    }
    oczekujBledu(uruchom({"-f", "Latin-9", "-t", "UTF-8"}), 2, wszystkieNazwy);
    oczekujBledu(uruchom({"-t", "UTF-8"}), 2, {"(-f)"});
    oczekujBledu(uruchom({"-f", "UTF-8"}), 2, {"(-t)"});
    oczekujBledu(uruchom({"-f", "brak", "-t", "UTF-8", "-o"}), 2, {"opcja -o wymaga wartości"});
    oczekujBledu(uruchom({"-f", "brak", "-x", "-t", "UTF-8"}), 2, {"nieznana opcja „-x”"});
    oczekujBledu(uruchom({"-f", "brak", "--to=UTF-8", "--wynik=a"}), 2, {"nieznana opcja „--wynik”"});
    oczekujBledu(uruchom({"-f", "brak", "-t", "UTF-8", "--list=tak"}), 2,
                 {"„--list” nie przyjmuje wartości"});
    oczekujBledu(uruchom({"-f", "brak", "--to-code"}), 2, {"opcja --to-code wymaga wartości"});
    oczekujBledu(uruchom({"-f", "brak", "-t", "UTF-8", "-lo"}), 2, {"opcja -o wymaga wartości"});
    oczekujBledu(uruchom({"-f", "brak", "-t", "UTF-8", "-o", ""}), 2, {"pusta nazwa pliku"});
    oczekujBledu(uruchom({"-f", "brak", "-t", "UTF-8", "a.txt", ""}), 2, {"pusta nazwa pliku"});
}

TEST_F(ZnakomatCli, PowtorzonaOpcjaOdrzucona)
{
    zapiszPlik(folder_ / "we.txt", "Łódź\n");
    for (const auto& [argumenty, opcja] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"-f", "Mazovia", "-f", "UTF-8", "-t", "brak", "we.txt"}, "-f (--from-code)"},
             {{"-f", "UTF-8", "--from-code=UTF-8", "-t", "brak", "we.txt"}, "-f (--from-code)"},
             {{"-f", "UTF-8", "-t", "brak", "-tbrak", "we.txt"}, "-t (--to-code)"},
             {{"-f", "UTF-8", "-t", "brak", "-o", "a.txt", "-o", "b.txt", "we.txt"}, "-o (--output)"},
             {{"-f", "UTF-8", "-t", "brak", "--output", "a.txt", "--output=a.txt", "we.txt"},
              "-o (--output)"},
         }) {
        oczekujBledu(uruchom(argumenty), 2, {"opcja " + opcja + " podana więcej niż raz"});
    }
    EXPECT_EQ(zawartoscFolderu(), std::vector<std::string>{"we.txt"});
}

TEST_F(ZnakomatCli, BledyOdczytuIZapisu)
{
    zapiszPlik(folder_ / "we.txt", "Łódź\n");
    fs::create_directory(folder_ / "folder");
    const std::vector<std::string> utf8NaBrak{"-f", "UTF-8", "-t", "brak"};
    auto z = [&](std::vector<std::string> dalsze) {
        dalsze.insert(dalsze.begin(), utf8NaBrak.begin(), utf8NaBrak.end());
        return uruchom(dalsze);
    };
    oczekujBledu(z({"nie-ma.txt"}), 1, {"odczytać pliku „nie-ma.txt”: plik lub folder nie istnieje"});
    oczekujBledu(z({"folder"}), 1, {"„folder”: to jest folder, a nie plik"});
    oczekujBledu(z({"-o", "nie-ma/wy.txt", "we.txt"}), 1, {"zapisać pliku „nie-ma/wy.txt”: plik lub folder"});
    oczekujBledu(z({"-o", "folder", "we.txt"}), 1, {"zapisać pliku „folder”: to jest folder, a nie plik"});
    oczekujBledu(z({"-o", "/dev/full", "we.txt"}), 1, {"„/dev/full”: brak miejsca na dysku"});
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"folder", "we.txt"}));

    const Wynik doUrzadzenia = z({"-o", "/dev/null", "we.txt"});
    EXPECT_EQ(doUrzadzenia.kod, 0) << doUrzadzenia.bledy;
}

TEST_F(ZnakomatCli, ZaDuzyPlikZostawiaStaryWynik)
{
    zapiszPlik(folder_ / "we.txt", losowyTekst(ISO_LATIN_2, 1 << 20, 3));
    zapiszPlik(folder_ / "wy.txt", "stara treść\n");
    Opcje opcje;
    opcje.limitRozmiaru = 100000;
    const Wynik wynik = uruchom({"-f", "ISO-Latin-2", "-t", "UTF-8", "-o", "wy.txt", "we.txt"}, {}, opcje);
    oczekujBledu(wynik, 1, {"zapisać pliku „wy.txt”: plik jest za duży"});
    EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), "stara treść\n");
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"we.txt", "wy.txt"}));
}

TEST_F(ZnakomatCli, TenSamPlikPodInnaNazwa)
{
    const std::string tekst = "Żółw\n";
    zapiszPlik(folder_ / "a.txt", tekst);
    fs::create_symlink("a.txt", folder_ / "dowiazanie.txt");
    fs::create_hard_link(folder_ / "a.txt", folder_ / "twarde.txt");
    const std::string bezwzgledna = (folder_ / "a.txt").string();
    for (const auto& [wejscie, wyjscie] :
         std::vector<std::pair<std::string, std::string>>{{"a.txt", bezwzgledna},
                                                          {"./a.txt", "a.txt"},
                                                          {"a.txt", "dowiazanie.txt"},
                                                          {"twarde.txt", "a.txt"}}) {
        oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "-o", wyjscie, wejscie}), 2, {"ten sam plik"});
    }
    Opcje zPliku;
    zPliku.wejscieZPliku = bezwzgledna;
    oczekujBledu(uruchom({"-f", "UTF-8", "-t", "brak", "-o", "a.txt"}, {}, zPliku), 2,
                 {"ten sam plik co standardowe wejście"});
    EXPECT_EQ(czytajPlik(folder_ / "a.txt"), tekst);
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"a.txt", "dowiazanie.txt", "twarde.txt"}));
}

TEST_F(ZnakomatCli, DowiazanieIUprawnieniaZostaja)
{
    fs::create_directory(folder_ / "pod");
    zapiszPlik(folder_ / "pod" / "cel.txt", "stare\n");
    fs::permissions(folder_ / "pod" / "cel.txt",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("pod/cel.txt", folder_ / "wy.txt");
    const Wynik wynik = uruchom({"-f", "utf-8", "-t", "iso-latin-2", "-o", "wy.txt"}, "żółć\n");
    EXPECT_EQ(wynik.kod, 0) << wynik.bledy;
    EXPECT_TRUE(fs::is_symlink(folder_ / "wy.txt"));
    EXPECT_EQ(czytajPlik(folder_ / "pod" / "cel.txt"), calosc("żółć\n", UTF8_INDEX, ISO_LATIN_2));
    EXPECT_EQ(fs::status(folder_ / "pod" / "cel.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(fs::directory_iterator(folder_ / "pod")->path().filename(), "cel.txt");
}

// Whether the process holds a file of the test's folder open: the output's temporary file,
// which has no name until it is complete.
bool trzymaPlikW(pid_t pid, const fs::path& folder)
{
    std::error_code blad;
    for (const auto& wpis : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", blad)) {
        const fs::path cel = fs::read_symlink(wpis.path(), blad);
        if (!blad && cel.string().starts_with(folder.string() + "/")) {
            return true;
        }
    }
    return false;
}

TEST_F(ZnakomatCli, SygnalNieZostawiaPlikuTymczasowego)
{
    for (const int sygnal : {SIGINT, SIGTERM, SIGHUP, SIGKILL, SIGUSR1, SIGALRM, SIGPIPE}) {
        zapiszPlik(folder_ / "wy.txt", "stara treść\n");
        Opcje opcje;
        opcje.folder = folder_.string();
        Proces proces({"-f", "UTF-8", "-t", "brak", "-o", "wy.txt"}, opcje);
        // The temporary file is open before the first read; standard input stays open.
        const auto koniec = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!trzymaPlikW(proces.pid(), folder_) && std::chrono::steady_clock::now() < koniec) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(trzymaPlikW(proces.pid(), folder_)) << sygnal;
        ::kill(proces.pid(), sygnal);
        const Wynik wynik = proces.zakoncz();
        EXPECT_EQ(wynik.sygnal, sygnal);
        EXPECT_EQ(zawartoscFolderu(), std::vector<std::string>{"wy.txt"}) << sygnal;
        EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), "stara treść\n");
    }
}

}  // namespace
