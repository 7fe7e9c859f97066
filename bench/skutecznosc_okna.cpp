// Measures how often a file given to the window converts right with only the target
// chosen: each text of the held-out Polish prose is written in each of the seventeen
// standards with letters to a file, the window's recognition reads that file, and the
// source list ends where it would from its start ("Windows-EE"). Right when converting
// from there gives what converting from the true standard gives, to UTF-8 and to
// Windows-EE. Prints a table per file of texts and the rate over all. Then the other way:
// how often Windows-EE text, pasted or in a file, moves the list off "Windows-EE" to a
// standard that converts it otherwise, for texts of every length from one line (the lines
// with a non-ASCII character of the prose and of the lists of names), in capitals and in
// lists.
//
//   skutecznosc_okna KATALOG_PROZY [NAJMNIEJ_PROCENT]
//
// KATALOG_PROZY holds what `scripts/proza_polska.py proba` writes; with NAJMNIEJ_PROCENT
// the exit code is 1 when a rate over all is below it.
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "jobs/rozpoznanie_zrodla.h"

namespace {

using namespace engine;

std::vector<std::string> teksty(const std::string& plik)
{
    std::ifstream wejscie(plik, std::ios::binary);
    std::stringstream tresc;
    tresc << wejscie.rdbuf();
    std::vector<std::string> wynik;
    std::string tekst;
    while (std::getline(tresc, tekst, '\0')) {
        wynik.push_back(tekst);
    }
    return wynik;
}

bool konwertujaTakSamo(const std::string& tekst, int jeden, int drugi)
{
    for (const int cel : {UTF8_INDEX, WINDOWS_EE}) {
        if (engine::test::KonwertujBajty(tekst, jeden, cel) !=
            engine::test::KonwertujBajty(tekst, drugi, cel)) {
            return false;
        }
    }
    return true;
}

double zmierz(const std::vector<std::string>& proza, const QString& folder, const char* opis)
{
    std::array<int, LICZBA_STANDARDOW> dobrze{};
    const QString nazwa = QDir(folder).filePath(QStringLiteral("tekst.txt"));
    for (const std::string& utf8 : proza) {
        for (int prawdziwy = 1; prawdziwy < LICZBA_STANDARDOW; ++prawdziwy) {
            const std::string tekst = engine::test::KonwertujBajty(utf8, UTF8_INDEX, prawdziwy);
            std::ofstream(nazwa.toStdString(), std::ios::binary | std::ios::trunc) << tekst;
            const jobs::WynikRozpoznania wynik = jobs::RozpoznajPlik(nazwa, WINDOWS_EE);
            const int wybrany = jobs::StandardDoWybrania(wynik).value_or(WINDOWS_EE);
            dobrze[static_cast<std::size_t>(prawdziwy)] += konwertujaTakSamo(tekst, wybrany, prawdziwy);
        }
    }
    std::printf("%s: %zu tekstów w każdym standardzie\n| Standard | Dobrze |\n| --- | ---: |\n", opis,
                proza.size());
    int razem = 0;
    for (int s = 1; s < LICZBA_STANDARDOW; ++s) {
        const int liczba = dobrze[static_cast<std::size_t>(s)];
        std::printf("| %s | %.2f %% |\n", std::string(Standardy(s).Nazwa).c_str(),
                    100.0 * liczba / proza.size());
        razem += liczba;
    }
    const double wynik = 100.0 * razem / (proza.size() * (LICZBA_STANDARDOW - 1));
    std::printf("| Razem | %.2f %% |\n\n", wynik);
    return wynik;
}

// Lines of the texts with a byte of 80 and above: Polish letters or other non-ASCII.
std::vector<std::string> wiersze(const std::vector<std::string>& proza)
{
    std::vector<std::string> wynik;
    for (const std::string& tekst : proza) {
        std::stringstream strumien(tekst);
        std::string wiersz;
        while (std::getline(strumien, wiersz)) {
            if (std::any_of(wiersz.begin(), wiersz.end(), [](char c) { return (c & 0x80) != 0; })) {
                wynik.push_back(wiersz);
            }
        }
    }
    return wynik;
}

// Windows-EE text with the list at its start: how often the list leaves it for a standard
// that converts it otherwise, pasted and as a file.
void zmierzWindowsEE(const std::vector<std::string>& proza, const QString& folder, const char* opis)
{
    const QString nazwa = QDir(folder).filePath(QStringLiteral("tekst.txt"));
    int zleWklejone = 0;
    int zlePliki = 0;
    for (const std::string& utf8 : proza) {
        const std::string tekst = engine::test::KonwertujBajty(utf8, UTF8_INDEX, WINDOWS_EE);
        const int wklejony =
            jobs::StandardDoWybrania(jobs::RozpoznajTekst(QString::fromUtf8(utf8), WINDOWS_EE))
                .value_or(WINDOWS_EE);
        zleWklejone += !konwertujaTakSamo(tekst, wklejony, WINDOWS_EE);
        std::ofstream(nazwa.toStdString(), std::ios::binary | std::ios::trunc) << tekst;
        const int zPliku =
            jobs::StandardDoWybrania(jobs::RozpoznajPlik(nazwa, WINDOWS_EE)).value_or(WINDOWS_EE);
        zlePliki += !konwertujaTakSamo(tekst, zPliku, WINDOWS_EE);
    }
    std::printf("%s w Windows-EE, %zu tekstów: lista zmieniona źle po wklejeniu %d, w pliku %d\n", opis,
                proza.size(), zleWklejone, zlePliki);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 2 || argc > 3) {
        std::fputs("użycie: skutecznosc_okna KATALOG_PROZY [NAJMNIEJ_PROCENT]\n", stderr);
        return 2;
    }
    const double najmniej = argc == 3 ? std::stod(argv[2]) : 0.0;
    QTemporaryDir folder;
    bool dosc = folder.isValid();
    for (const char* plik : {"krotkie.txt", "dlugie.txt"}) {
        const std::vector<std::string> proza = teksty(std::string(argv[1]) + "/" + plik);
        if (proza.empty()) {
            std::fprintf(stderr, "skutecznosc_okna: brak tekstów w %s/%s\n", argv[1], plik);
            return 2;
        }
        dosc = zmierz(proza, folder.path(), plik) >= najmniej && dosc;
    }
    for (const char* plik : {"krotkie.txt", "dlugie.txt", "male.txt", "wielkie.txt", "nazwy.txt"}) {
        zmierzWindowsEE(teksty(std::string(argv[1]) + "/" + plik), folder.path(), plik);
    }
    std::vector<std::string> wszystkieWiersze;
    for (const char* plik : {"krotkie.txt", "dlugie.txt", "nazwy.txt"}) {
        const std::vector<std::string> zPliku = wiersze(teksty(std::string(argv[1]) + "/" + plik));
        wszystkieWiersze.insert(wszystkieWiersze.end(), zPliku.begin(), zPliku.end());
    }
    zmierzWindowsEE(wszystkieWiersze, folder.path(), "wiersze");
    return dosc ? 0 : 1;
}
