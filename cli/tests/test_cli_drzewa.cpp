// znakomat-cli on whole texts (-a), trees of folders (-R), and names that would harm a
// terminal or a batch.

#include <grp.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/tests/proces_cli.h"
#include "engine/standardy.h"
#include "engine/tests/model_mazovii.h"
#include "engine/tests/przez_iconv.h"

namespace {

namespace fs = std::filesystem;
using namespace cli::test;
using namespace engine::test;
using engine::MAZOVIA;
using engine::Standardy;

// A letter of Polish prose with the typography every real text has.
constexpr std::string_view LIST =
    "Szanowna Pani,\n„Źdźbło” – ząb, żółw… 5 °C, § 3, café, 25 €.\nŁĄCZĘ WYRAZY SZACUNKU\n";

// The four code pages by names iconv knows and by other spellings the program takes.
struct StronaKodowa {
    const char* iconv;
    const char* nazwa;
};
constexpr StronaKodowa STRONY[] = {
    {"ISO-8859-2", "latin-2"}, {"CP852", "IBM-852"}, {"CP1250", "cp-1250"}, {"UTF-8", "utf_8"}};

using WszystkieZnaki = ZnakomatCli;

TEST_F(WszystkieZnaki, SzesnascieParJakIconvZeStaremWyjsciemPrzyBledzie)
{
    int zatrzymanych = 0;
    for (const StronaKodowa& zrodlo : STRONY) {
        for (const StronaKodowa& cel : STRONY) {
            // The letter as the source holds it, or as far as it does.
            const ZIconv wZrodle = przezIconv("UTF-8", zrodlo.iconv, std::string(LIST));
            const std::string tekst = wZrodle.wynik + (wZrodle.stop ? "\n" : "");
            const ZIconv oczekiwany = przezIconv(zrodlo.iconv, cel.iconv, tekst);
            const std::string opis = std::string(zrodlo.nazwa) + " -> " + cel.nazwa;
            zapiszPlik(folder_ / "we.txt", tekst);
            zapiszPlik(folder_ / "wy.txt", "stare");
            const Wynik wynik =
                uruchom({"-a", "-f", zrodlo.nazwa, "-t", cel.nazwa, "-o", "wy.txt", "we.txt"});
            if (oczekiwany.stop) {
                ++zatrzymanych;
                oczekujBledu(wynik, 1, {"„we.txt”", "na pozycji " + std::to_string(*oczekiwany.stop) + ","});
                EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), "stare") << opis;
            } else {
                EXPECT_EQ(wynik.kod, 0) << opis << wynik.bledy;
                EXPECT_EQ(wynik.bledy, "") << opis;
                EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), oczekiwany.wynik) << opis;
            }
            // Through pipes, what iconv gave before it stopped.
            const Wynik zPotoku =
                uruchom({"--all-characters", "--from-code", zrodlo.nazwa, "--to-code", cel.nazwa}, tekst);
            EXPECT_EQ(zPotoku.wyjscie, oczekiwany.wynik) << opis;
            EXPECT_EQ(zPotoku.kod, oczekiwany.stop ? 1 : 0) << opis;
        }
    }
    EXPECT_GT(zatrzymanych, 0);
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"we.txt", "wy.txt"}));
}

TEST_F(WszystkieZnaki, AutoIOdmowy)
{
    const std::string windows = przezIconv("UTF-8", "CP1250", std::string(LIST)).wynik;
    const Wynik zAuto = uruchom({"--wszystkie-znaki", "-f", "auto", "-t", "UTF-8"}, windows);
    EXPECT_EQ(zAuto.kod, 0) << zAuto.bledy;
    EXPECT_EQ(zAuto.wyjscie, LIST);

    // Without -a the warning about the invalid result names the option.
    const Wynik litery = uruchom({"-f", "cp1250", "-t", "UTF-8"}, windows);
    EXPECT_EQ(litery.kod, 0);
    EXPECT_NE(litery.bledy.find("-a (--all-characters)"), std::string::npos) << litery.bledy;

    struct Odmowa {
        std::vector<std::string> argumenty;
        std::vector<std::string> fragmenty;
    };
    const Odmowa odmowy[] = {
        {{"-a", "-f", "CSK", "-t", "UTF-8"}, {"standardu CSK", "-b (--base)"}},
        {{"-a", "-f", "UTF-8", "-t", "brak"}, {"standardu brak", "-b (--base)"}},
        {{"-b", "CP437", "-f", "cp1250", "-t", "UTF-8"},
         {"-b (--base) nic tu nie zmienia", "Windows-EE i UTF-8"}},
        {{"-a", "-b", "cp437", "-f", "latin2", "-t", "latin2"}, {"standard ISO-Latin-2 ma własną"}},
        {{"-a", "--base=UTF-8", "-f", "CSK", "-t", "UTF-8"}, {"„UTF-8” nie jest jednobajtową stroną kodową"}},
        {{"-a", "--podstawa", "UTF-16", "-f", "CSK", "-t", "UTF-8"}, {"„UTF-16” nie jest jednobajtową"}},
        {{"-a", "-b", "nie-ma", "-f", "auto", "-t", "UTF-8"},
         {"nieznana strona kodowa „nie-ma”", "--list-bases"}},
        {{"-a", "-b", "", "-f", "CSK", "-t", "UTF-8"}, {"nieznana strona kodowa „”"}},
        {{"-b", "CP437", "-b", "CP850", "-f", "CSK", "-t", "UTF-8"}, {"-b (--base) podana więcej niż raz"}},
        {{"-r", "-b", "CP437"}, {"-r (--rozpoznaj)", "-b"}},
        {{"--list-bases", "-b", "CP437"}, {"--list-bases podaje się sama"}},
    };
    for (const Odmowa& odmowa : odmowy) {
        oczekujBledu(uruchom(odmowa.argumenty, windows), 2, odmowa.fragmenty);
    }
    // On standard output, what came before the stop, once, as iconv writes it.
    struct Stop {
        std::vector<std::string> argumenty;
        std::string tekst;
        std::vector<std::string> fragmenty;
    };
    const Stop stopy[] = {
        {{"-a", "-f", "UTF-8", "-t", "latin2"},
         "ab\xC3",
         {"standardowego wejścia", "w środku znaku UTF-8", "na pozycji 2"}},
        {{"-a", "-f", "cp1250", "-t", "latin2"}, "ab\x81", {"bajt 81", "na pozycji 2", "Windows-EE"}},
        {{"-a", "-f", "UTF-8", "-t", "UTF-8"}, "ab\xED\xA0\x80", {"na pozycji 2", "poprawnym znakiem UTF-8"}},
        {{"-a", "-f", "UTF-8", "-t", "IBM852"}, "ab€", {"U+20AC", "na pozycji 2", "IBM-Latin-2"}},
    };
    for (const Stop& stop : stopy) {
        Wynik wynik = uruchom(stop.argumenty, stop.tekst);
        EXPECT_EQ(wynik.wyjscie, "ab") << stop.tekst;
        wynik.wyjscie.clear();
        oczekujBledu(wynik, 1, stop.fragmenty);
    }
}

// A Mazovia file of a DOS program: the eighteen letters, a frame, ° and ±.
TEST_F(WszystkieZnaki, MazoviaCalaJakModelITamIZPowrotem)
{
    std::string mazovia = "\xC9\xCD\xCD\xBB\r\n\xBA ";
    mazovia += Standardy(MAZOVIA).Znaki;
    mazovia +=
        " 20\xF8"
        "C \xF1 1 \xBA\r\n\xC8\xCD\xCD\xBC\r\n";
    std::string model;
    for (const char bajt : mazovia) {
        model += zMazovii(bajt).value();
    }
    ASSERT_NE(model.find("╔══╗"), std::string::npos);
    ASSERT_NE(model.find("ĄĆĘŁŃÓŚŹŻąćęłńóśźż 20°C ± 1"), std::string::npos);
    for (const std::vector<std::string>& jak :
         std::vector<std::vector<std::string>>{{"-a", "-f", "Mazovia"},
                                               {"-a", "-b", "CP437", "-f", "Mazovia"},
                                               {"-a", "--base=ibm-437", "-f", "Mazovia"}}) {
        std::vector<std::string> argumenty = jak;
        argumenty.insert(argumenty.end(), {"-t", "UTF-8"});
        const Wynik doUtf8 = uruchom(argumenty, mazovia);
        EXPECT_EQ(doUtf8.kod, 0) << doUtf8.bledy;
        EXPECT_EQ(doUtf8.bledy, "");
        EXPECT_EQ(doUtf8.wyjscie, model) << jak.back();

        argumenty = jak;
        argumenty.back() = "UTF-8";
        argumenty.insert(argumenty.end(), {"-t", "Mazovia"});
        const Wynik zPowrotem = uruchom(argumenty, model);
        EXPECT_EQ(zPowrotem.kod, 0) << zPowrotem.bledy;
        EXPECT_EQ(zPowrotem.wyjscie, mazovia);
    }
    // Between Mazovia and IBM-Latin-2 the frame stays; Windows-EE has none: the old output stays.
    EXPECT_EQ(uruchom({"-a", "-f", "Mazovia", "-t", "IBM852"}, mazovia).wyjscie,
              przezIconv("UTF-8", "CP852", model).wynik);
    zapiszPlik(folder_ / "wy.txt", "stare");
    oczekujBledu(uruchom({"-a", "-f", "Mazovia", "-t", "cp1250", "-o", "wy.txt"}, mazovia), 1,
                 {"U+2554", "na pozycji 0", "Windows-EE"});
    EXPECT_EQ(czytajPlik(folder_ / "wy.txt"), "stare");
}

// A base: the standard's letters, the base's other characters.
TEST_F(WszystkieZnaki, ZPodstawa)
{
    struct Przypadek {
        std::vector<std::string> argumenty;
        std::string tekst;
        std::string wynik;
    };
    const Przypadek przypadki[] = {
        {{"-a", "-b", "CP437", "-f", "CSK", "-t", "UTF-8"}, "\x80\xA7 \xC9\xCD\xBB \xF8", "Ąż ╔═╗ °"},
        {{"-a", "-b", "cp_437", "-f", "UTF-8", "-t", "CSK"}, "Ąż ╔═╗ °", "\x80\xA7 \xC9\xCD\xBB \xF8"},
        {{"-a", "-b", "CP437", "-f", "UTF-8", "-t", "brak"}, "Łódź ░", "Lodz \xB0"},
        // Recognised as Windows-EE, which has its own code page: the base changes nothing.
        {{"-a", "-b", "CP437", "-f", "auto", "-t", "UTF-8"},
         przezIconv("UTF-8", "CP1250", std::string(LIST)).wynik,
         std::string(LIST)},
    };
    for (const Przypadek& p : przypadki) {
        const Wynik wynik = uruchom(p.argumenty, p.tekst);
        EXPECT_EQ(wynik.kod, 0) << wynik.bledy;
        EXPECT_EQ(wynik.wyjscie, p.wynik) << p.argumenty[2] << " " << p.argumenty[4] << " " << p.argumenty[6];
    }
}

// Without -a, a warning wherever a byte that is no letter passes into a target that reads it
// otherwise, naming what converts it, and silence on clean texts.
TEST_F(WszystkieZnaki, UwagiZRada)
{
    struct Przypadek {
        std::vector<std::string> argumenty;
        std::string tekst;
        std::vector<std::string> fragmenty;  // none: no warning
    };
    const std::string rada = "przekonwertuj cały tekst opcją -a (--all-characters)";
    const std::string radaZPodstawa = "opcją -a z -b (--base)";
    const Przypadek przypadki[] = {
        // „Łódź” – 5 €: quotes, dash and euro are C1 controls in ISO-Latin-2, or nothing.
        {{"-f", "Windows-EE", "-t", "ISO-Latin-2"},
         "\x84\xA3\xF3"
         "d\x9F\x94 \x96 5 \x80",
         {"ISO-Latin-2 co innego niż w Windows-EE", "liczba: 4", "pierwszy to 84 na pozycji 0", rada}},
        {{"-f", "Windows-EE", "-t", "ISO-Latin-2"},
         "\xA3\xF3"
         "d\x9F, \xB9\xE6\xEA\r\n",
         {}},
        {{"-f", "Mazovia", "-t", "UTF-8"},
         "\x86 \xC9\xCD\xBB",
         {"poprawnym tekstem UTF-8", "liczba: 3", rada}},
        {{"-f", "Mazovia", "-t", "Windows-EE"}, "\x86 20\xF8", {"Windows-EE co innego niż w Mazovia", rada}},
        {{"-f", "Mazovia", "-t", "IBM-Latin-2"}, "\x86 \xC9\xCD\xBB", {}},
        {{"-f", "CSK", "-t", "UTF-8"},
         "\x80 \xB0",
         {"poprawnym tekstem UTF-8", radaZPodstawa, "-a -b CP437"}},
        {{"-f", "UTF-8", "-t", "CSK"}, "Ą é", {"znaki UTF-8 inne niż polskie litery", radaZPodstawa}},
        {{"-f", "UTF-8", "-t", "ISO-Latin-2"}, "Ą „", {"znaki UTF-8 inne niż polskie litery", rada}},
        // CSK's 89 is 437's ë, Logic's ą; nothing is known of them without a base.
        {{"-b", "CP437", "-f", "CSK", "-t", "Logic"},
         "\x80 \x89",
         {"Logic co innego niż w CSK", "liczba: 1", rada}},
        {{"-f", "CSK", "-t", "Logic"}, "\x80 \x89", {}},
        {{"-b", "CP437", "-f", "CSK", "-t", "Logic"}, "\x80 \xB0", {}},
        {{"-f", "UTF-8", "-t", "Windows-EE"}, "Zażółć gęślą jaźń", {}},
    };
    for (const Przypadek& p : przypadki) {
        const Wynik wynik = uruchom(p.argumenty, p.tekst);
        const std::string opis = p.argumenty[p.argumenty.size() - 3] + " -> " + p.argumenty.back();
        EXPECT_EQ(wynik.kod, 0) << opis << wynik.bledy;
        if (p.fragmenty.empty()) {
            EXPECT_EQ(wynik.bledy, "") << opis;
            continue;
        }
        EXPECT_EQ(std::count(wynik.bledy.begin(), wynik.bledy.end(), '\n'), 1) << opis << wynik.bledy;
        EXPECT_EQ(wynik.bledy.find("iconv"), std::string::npos) << wynik.bledy;
        for (const std::string& fragment : p.fragmenty) {
            EXPECT_NE(wynik.bledy.find(fragment), std::string::npos)
                << opis << ": " << wynik.bledy << " bez: " << fragment;
        }
    }
}

using Drzewa = ZnakomatCli;

TEST_F(Drzewa, KsztaltDrzewaPetlaDowiazanIBladJednegoPliku)
{
    const std::vector<std::string> pliki = {"archiwum/a.txt", "archiwum/2001/b.txt", "archiwum/2001/x/c.txt",
                                            "archiwum/2002/b.txt", "archiwum/zły.txt"};
    for (const std::string& plik : pliki) {
        fs::create_directories((folder_ / plik).parent_path());
        zapiszPlik(folder_ / plik, plik == "archiwum/zły.txt" ? "Łódź \xFF" : "Łódź – " + plik + "\n");
    }
    // Links are not followed: one to the tree's top would never end.
    fs::create_directory_symlink("..", folder_ / "archiwum/2001/x/petla");
    fs::create_symlink("../a.txt", folder_ / "archiwum/2002/link.txt");
    ::mkfifo((folder_ / "archiwum/fifo").c_str(), 0600);

    const Wynik wynik =
        uruchom({"-a", "-f", "utf8", "-t", "cp1250", "-R", "--output-dir", "wynik", "archiwum"});
    EXPECT_EQ(wynik.kod, 1);
    EXPECT_NE(wynik.wyjscie.find("Plików: 5, skonwertowane: 4, z błędem: 1"), std::string::npos)
        << wynik.wyjscie;
    EXPECT_NE(wynik.bledy.find("„archiwum/zły.txt”"), std::string::npos) << wynik.bledy;
    for (const std::string& plik : pliki) {
        const fs::path wyjscie = folder_ / "wynik" / plik;
        if (plik == "archiwum/zły.txt") {
            EXPECT_FALSE(fs::exists(wyjscie));
        } else {
            EXPECT_EQ(czytajPlik(wyjscie), przezIconv("UTF-8", "CP1250", "Łódź – " + plik + "\n").wynik)
                << plik;
        }
    }
    EXPECT_FALSE(fs::exists(folder_ / "wynik/archiwum/2002/link.txt"));
    EXPECT_FALSE(fs::exists(folder_ / "wynik/archiwum/2001/x/petla"));

    // -r -R: a line for every file of the tree.
    const Wynik rozpoznane = uruchom({"--detect", "--recursive", "archiwum"});
    EXPECT_EQ(rozpoznane.kod, 0) << rozpoznane.bledy;
    EXPECT_EQ(std::count(rozpoznane.wyjscie.begin(), rozpoznane.wyjscie.end(), '\n'), 5)
        << rozpoznane.wyjscie;
    EXPECT_NE(rozpoznane.wyjscie.find("archiwum/2001/x/c.txt\tUTF-8\t"), std::string::npos)
        << rozpoznane.wyjscie;
}

TEST_F(Drzewa, OdmowyPrzedZapisem)
{
    fs::create_directories(folder_ / "we/pod");
    zapiszPlik(folder_ / "we/pod/a.txt", "Łódź\n");
    zapiszPlik(folder_ / "plik", "");
    struct Przypadek {
        std::vector<std::string> argumenty;
        int kod;
        std::vector<std::string> fragmenty;
    };
    const Przypadek przypadki[] = {
        {{"-f", "UTF-8", "-t", "brak", "-R", "-d", "we/pod/wynik", "we"},
         2,
         {"leży w folderze wejściowym", "„we”"}},
        {{"-f", "UTF-8", "-t", "brak", "-R", "-d", "we/wynik", "we/pod"}, 0, {}},
        {{"-f", "UTF-8", "-t", "brak", "-R", "-d", "./we/../we/", "we"}, 2, {"leży w folderze wejściowym"}},
        {{"-f", "UTF-8", "-t", "brak", "-R", "we"}, 2, {"-R (--recursive)", "-d"}},
        {{"-f", "UTF-8", "-t", "brak", "-d", "plik/pod", "we/pod/a.txt"},
         1,
         {"nie mogę utworzyć folderu „plik/pod”"}},
    };
    for (const Przypadek& p : przypadki) {
        const Wynik wynik = uruchom(p.argumenty);
        if (p.kod == 0) {
            // The output folder beside the tree, not in it, is allowed.
            EXPECT_EQ(wynik.kod, 0) << wynik.bledy;
            EXPECT_EQ(czytajPlik(folder_ / "we/pod/a.txt"), "Łódź\n");
            EXPECT_EQ(czytajPlik(folder_ / "we/wynik/pod/a.txt"), "Lodz\n");
            fs::remove_all(folder_ / "we/wynik");
            continue;
        }
        oczekujBledu(wynik, p.kod, p.fragmenty);
    }
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"plik", "we"}));
    EXPECT_FALSE(fs::exists(folder_ / "we/pod/wynik"));
}

// Other names of an input folder: the output folder below any of them lies inside it.
TEST_F(Drzewa, WyjscieWWejsciuPodInnaNazwa)
{
    fs::create_directories(folder_ / "we/pod");
    zapiszPlik(folder_ / "we/pod/a.txt", "Łódź\n");
    fs::create_directory_symlink("we", folder_ / "dowiazanie");
    // As a case-blind file system gives "WE" for "we": another name, the same folder.
    fs::create_directory(folder_ / "WE");
    if (::mount((folder_ / "we").c_str(), (folder_ / "WE").c_str(), nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "no bind mount: " << std::strerror(errno);
    }
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> odmontuj(
        &folder_, [](const fs::path* folder) { ::umount2((*folder / "WE").c_str(), MNT_DETACH); });
    const std::vector<std::vector<std::string>> nazwy = {
        {"WE/wynik", "we"}, {"we/pod/wynik", "WE"}, {"WE", "we"}, {"dowiazanie/wynik", "we"}};
    for (const std::vector<std::string>& n : nazwy) {
        const Wynik wynik = uruchom({"-f", "UTF-8", "-t", "brak", "-R", "-d", n[0], n[1]});
        oczekujBledu(wynik, 2, {"leży w folderze wejściowym „" + n[1] + "”"});
    }
    EXPECT_EQ(zawartoscFolderu(), (std::vector<std::string>{"WE", "dowiazanie", "we"}));
    EXPECT_EQ(fs::directory_iterator(folder_ / "we/pod")->path().filename(), "a.txt");
}

// Files and a folder of a tree replaced after the walk, while the batch waits for its
// standard output to be read: a link to root's private file, a pipe without a writer, a
// link to another folder. None is read or waited for; each is refused and the rest converted.
TEST_F(Drzewa, PodmienionePoPrzejsciuNieCzytane)
{
    zapiszPlik(folder_ / "tajne", "TAJNE\n");
    fs::create_directory(folder_ / "obcy");
    zapiszPlik(folder_ / "obcy/id_rsa", "TAJNE\n");
    for (const char* tajny : {"tajne", "obcy/id_rsa"}) {
        fs::permissions(folder_ / tajny, fs::perms::owner_read | fs::perms::owner_write);
    }
    // More files before the replaced ones than the batch takes before its reports, some 300
    // bytes a line, fill the smallest pipe the system gives (a page) and stop it.
    const auto strona = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t przed = strona / 250 + 4 * std::max(1u, std::thread::hardware_concurrency()) + 20;
    fs::create_directories(folder_ / "drzewo/zz/zz");
    const std::string prywatny = "drzewo/a000" + std::string(120, 'x') + ".txt";
    for (std::size_t i = 0; i < przed; ++i) {
        const std::string numer = std::to_string(1000 + i).substr(1);
        zapiszPlik(folder_ / ("drzewo/a" + numer + std::string(120, 'x') + ".txt"), "Łódź\n");
    }
    fs::permissions(folder_ / prywatny, fs::perms::owner_read | fs::perms::owner_write);
    for (const char* plik : {"drzewo/zz/id_rsa", "drzewo/zz/pipe.txt", "drzewo/zz/zz/id_rsa"}) {
        zapiszPlik(folder_ / plik, "klucz\n");
    }
    Opcje opcje;
    opcje.folder = folder_.string();
    opcje.potokWyjscia = static_cast<int>(strona);
    Proces proces({"-f", "UTF-8", "-t", "brak", "-R", "-d", "wynik", "drzewo"}, opcje);
    ASSERT_EQ(proces.rozmiarWyjscia(), opcje.potokWyjscia);
    // Once the pipe holds this much, the batch waits.
    const auto koniec = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (proces.naWyjsciu() < proces.rozmiarWyjscia() - 400) {
        ASSERT_LT(std::chrono::steady_clock::now(), koniec) << "the batch never filled its output";
        std::this_thread::yield();
    }
    fs::remove(folder_ / "drzewo/zz/id_rsa");
    fs::create_symlink(folder_ / "tajne", folder_ / "drzewo/zz/id_rsa");
    fs::remove(folder_ / "drzewo/zz/pipe.txt");
    ASSERT_EQ(::mkfifo((folder_ / "drzewo/zz/pipe.txt").c_str(), 0644), 0);
    fs::remove_all(folder_ / "drzewo/zz/zz");
    fs::create_directory_symlink(folder_ / "obcy", folder_ / "drzewo/zz/zz");
    // A batch that waits for the pipe forever is ended, and fails the test.
    std::atomic<bool> skonczony{false};
    std::thread straznik([&] {
        for (auto teraz = std::chrono::steady_clock::now(); !skonczony;) {
            if (std::chrono::steady_clock::now() - teraz > std::chrono::seconds(60)) {
                ::kill(proces.pid(), SIGKILL);
                return;
            }
            std::this_thread::yield();
        }
    });
    const Wynik wynik = proces.zakoncz();
    skonczony = true;
    straznik.join();

    ASSERT_EQ(wynik.sygnal, 0) << "the batch hung";
    EXPECT_EQ(wynik.kod, 1);
    EXPECT_NE(wynik.wyjscie.find("Plików: " + std::to_string(przed + 3) +
                                 ", skonwertowane: " + std::to_string(przed) + ", z błędem: 3\n"),
              std::string::npos)
        << wynik.wyjscie.substr(wynik.wyjscie.size() - std::min<std::size_t>(200, wynik.wyjscie.size()));
    for (const char* plik : {"drzewo/zz/id_rsa", "drzewo/zz/pipe.txt", "drzewo/zz/zz/id_rsa"}) {
        EXPECT_NE(wynik.bledy.find("„" + std::string(plik) + "”"), std::string::npos) << wynik.bledy;
        EXPECT_FALSE(fs::exists(folder_ / "wynik" / plik)) << plik;
    }
    for (const fs::directory_entry& wpis : fs::recursive_directory_iterator(folder_ / "wynik")) {
        if (wpis.is_regular_file()) {
            EXPECT_EQ(czytajPlik(wpis.path()), "Lodz\n") << wpis.path();
        }
    }
    // A private input gives a private output.
    struct stat stan {};
    ASSERT_EQ(::stat((folder_ / "wynik" / prywatny).c_str(), &stan), 0);
    EXPECT_EQ(stan.st_mode & 0777, 0600u);
}

// As an ordinary user: a folder that cannot be read is told and counted, and the walk goes
// on through the folders after it.
TEST_F(Drzewa, NieodczytanyFolderNieKonczyPrzejscia)
{
    uid_t obcy = 47000;
    while (::getpwuid(obcy) != nullptr || ::getgrgid(static_cast<gid_t>(obcy)) != nullptr) {
        ++obcy;
    }
    fs::permissions(folder_, fs::perms::all);
    for (int i = 1; i <= 30; ++i) {
        const std::string numer = std::to_string(100 + i).substr(1);
        fs::create_directories(folder_ / ("drzewo/d" + numer));
        zapiszPlik(folder_ / ("drzewo/d" + numer + "/plik.txt"), "Łódź\n");
    }
    fs::permissions(folder_ / "drzewo/d10", fs::perms::none);
    // Listed, but not entered: its file cannot be looked at.
    fs::permissions(folder_ / "drzewo/d20", fs::perms(0644));
    Opcje opcje;
    opcje.uzytkownik = obcy;
    const Wynik partia = uruchom({"-f", "UTF-8", "-t", "brak", "-R", "-d", "wynik", "drzewo"}, {}, opcje);
    const Wynik rozpoznane = uruchom({"-r", "-R", "drzewo"}, {}, opcje);
    fs::permissions(folder_ / "drzewo/d10", fs::perms::owner_all);
    fs::permissions(folder_ / "drzewo/d20", fs::perms::owner_all);

    EXPECT_EQ(partia.kod, 1);
    EXPECT_NE(partia.wyjscie.find("Plików: 28, skonwertowane: 28, z błędem: 0, folderów nieodczytanych: 2\n"),
              std::string::npos)
        << partia.wyjscie;
    EXPECT_EQ(rozpoznane.kod, 1);
    EXPECT_EQ(std::count(rozpoznane.wyjscie.begin(), rozpoznane.wyjscie.end(), '\n'), 28)
        << rozpoznane.wyjscie;
    for (const Wynik* w : {&partia, &rozpoznane}) {
        EXPECT_EQ(w->bledy,
                  "znakomat-cli: nie mogę odczytać folderu „drzewo/d10”: brak uprawnień\n"
                  "znakomat-cli: nie mogę odczytać folderu „drzewo/d20”: brak uprawnień\n");
    }
    EXPECT_EQ(czytajPlik(folder_ / "wynik/drzewo/d30/plik.txt"), "Lodz\n");
}

// A tree of 1,100 levels: made below the output level by level, walked with 64 descriptors
// and little memory.
TEST_F(Drzewa, GlebokieDrzewo)
{
    std::string sciezka = "drzewo";
    fs::create_directory(folder_ / sciezka);
    for (int poziom = 1; poziom <= 1100; ++poziom) {
        sciezka += "/d";
        ASSERT_EQ(::mkdir((folder_ / sciezka).c_str(), 0755), 0) << poziom;
        if (poziom == 550 || poziom == 1100) {
            zapiszPlik(folder_ / sciezka / "plik.txt", "Łódź\n");
        }
    }
    Opcje opcje;
    opcje.limitPlikow = 64;
    const Wynik partia = uruchom({"-f", "UTF-8", "-t", "brak", "-R", "-d", "wynik", "drzewo"}, {}, opcje);
    const Wynik rozpoznane = uruchom({"-r", "-R", "drzewo"}, {}, opcje);
    // The test's own library walks a tree with a descriptor for each level.
    ASSERT_EQ(std::system(("rm -rf '" + (folder_ / "drzewo").string() + "'").c_str()), 0);

    EXPECT_EQ(partia.kod, 0) << partia.bledy;
    EXPECT_NE(partia.wyjscie.find("Plików: 2, skonwertowane: 2, z błędem: 0\n"), std::string::npos)
        << partia.wyjscie.substr(0, 300) << partia.bledy;
    EXPECT_EQ(czytajPlik(folder_ / "wynik" / sciezka / "plik.txt"), "Lodz\n");
    EXPECT_EQ(rozpoznane.kod, 0) << rozpoznane.bledy;
    EXPECT_EQ(std::count(rozpoznane.wyjscie.begin(), rozpoznane.wyjscie.end(), '\n'), 2);
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer's own memory, and this process's that the child starts with, would hide it.
    EXPECT_LT(rozpoznane.szczytPamieci, std::size_t{40} << 20);
#endif
    ASSERT_EQ(std::system(("rm -rf '" + (folder_ / "wynik").string() + "'").c_str()), 0);
}

TEST_F(Drzewa, WejscieProwadzaceDoWynikuPartii)
{
    zapiszPlik(folder_ / "a.txt", "Zażółć\n");
    // Leads nowhere yet: to the output a.txt gets in this batch.
    fs::create_symlink("wynik/a.txt", folder_ / "link.txt");
    const Wynik wynik = uruchom({"-f", "UTF-8", "-t", "brak", "-d", "wynik", "a.txt", "link.txt"});
    EXPECT_EQ(wynik.kod, 1);
    EXPECT_NE(wynik.bledy.find("pominięty plik „link.txt”: prowadzi do pliku „wynik/a.txt”"),
              std::string::npos)
        << wynik.bledy;
    EXPECT_EQ(czytajPlik(folder_ / "wynik/a.txt"), "Zazolc\n");
}

TEST_F(Drzewa, ZnakiSterujaceWNazwachZastapione)
{
    struct Nazwa {
        std::string nazwa;
        std::string zapis;
    };
    const Nazwa nazwy[] = {
        {"x\x1B[31my\x7F\xC2\x9B.txt", "x\\x1B[31my\\x7F\\xC2\\x9B.txt"},
        // A C1 control as a byte of its own, as an 8-bit terminal takes it.
        {"a\x9B"
         "2Jb.txt",
         "a\\x9B2Jb.txt"},
        // Text direction turned round (U+202E, U+2067), a line separator (U+2028).
        {"faktura\xE2\x80\xAEtxt.exe", "faktura\\xE2\\x80\\xAEtxt.exe"},
        {"b\xE2\x81\xA7"
         "c.txt",
         "b\\xE2\\x81\\xA7c.txt"},
        {"d\xE2\x80\xA8"
         "e.txt",
         "d\\xE2\\x80\\xA8e.txt"},
        // Letters whose UTF-8 holds the same bytes stay letters; so do Latin-2 bytes.
        {"češ\xC4\x9B.txt", "češ\xC4\x9B.txt"},
        {"\xB1\xE6.txt", "\xB1\xE6.txt"},
    };
    for (const Nazwa& n : nazwy) {
        SCOPED_TRACE(n.zapis);
        zapiszPlik(folder_ / n.nazwa, "Łódź\n");
        const Wynik rozpoznane = uruchom({"-r", n.nazwa});
        EXPECT_EQ(rozpoznane.wyjscie, n.zapis + "\tUTF-8\t\n");
        const Wynik partia = uruchom({"-f", "UTF-8", "-t", "brak", "-d", "wynik", n.nazwa});
        EXPECT_NE(partia.wyjscie.find(n.zapis + " → wynik/" + n.zapis), std::string::npos) << partia.wyjscie;
        const Wynik brak = uruchom({"-f", "UTF-8", "-t", "brak", "nie-ma-" + n.nazwa});
        oczekujBledu(brak, 1, {"„nie-ma-" + n.zapis + "”"});
        fs::remove(folder_ / n.nazwa);
    }
}

TEST_F(Drzewa, PrzepisNaGnuParallelJakR)
{
    if (std::system("parallel --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no GNU parallel";
    }
    for (const std::string plik : {"archiwum/a.txt", "archiwum/2001/b c.txt", "archiwum/2001/x/d.txt"}) {
        fs::create_directories((folder_ / plik).parent_path());
        zapiszPlik(folder_ / plik, przezIconv("UTF-8", "CP1250", "„Łódź” – " + plik + "\n").wynik);
    }
    const std::string cli = ZNAKOMAT_CLI;
    // The README's recipe, with this machine as the only one.
    const std::string przepis =
        "cd '" + folder_.string() + "/archiwum' && find . -type f -print0 | HOME='" + folder_.string() +
        "' parallel -0 --will-cite --sshlogin : --workdir \"$PWD\" 'mkdir -p ../wynik/{//} && " + cli +
        " -a -f cp1250 -t utf-8 -o ../wynik/{} {}'";
    ASSERT_EQ(std::system(przepis.c_str()), 0) << przepis;
    const Wynik r = uruchom({"-a", "-f", "cp1250", "-t", "utf-8", "-R", "-d", "r", "archiwum"});
    ASSERT_EQ(r.kod, 0) << r.bledy;
    int plikow = 0;
    for (const fs::directory_entry& wpis : fs::recursive_directory_iterator(folder_ / "r/archiwum")) {
        if (wpis.is_regular_file()) {
            ++plikow;
            const fs::path wzgledna = fs::relative(wpis.path(), folder_ / "r/archiwum");
            EXPECT_EQ(czytajPlik(folder_ / "wynik" / wzgledna), czytajPlik(wpis.path())) << wzgledna;
        }
    }
    EXPECT_EQ(plikow, 3);
}

}  // namespace
