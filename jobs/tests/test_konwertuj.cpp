#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <new>
#include <numeric>
#include <string>
#include <vector>

#include "engine/standardy.h"
#include "jobs/konwertuj.h"
#include "jobs/okno_konwersji.h"

namespace jobs {
namespace {

using namespace engine;

// The window as the jobs see it, without X: the controls are fields, and what the jobs
// show or switch is written down.
class OknoProbne final : public OknoKonwersji, public PoleKonwersji {
public:
    struct Komunikat {
        bool ostrzezenie;
        QString tytul;
        QString tekst;
        // The warning's reason, or what the information box says beneath its text.
        QString przyczyna;
        // The information box's second button.
        QString dzialanie;
    };

    int zrodlo = WINDOWS_EE;
    int cel = ISO_LATIN_2;
    bool tekstowy = false;
    QString wejscie;
    QString wyjscie;
    QString tekstPola;
    int poczatek = 0;
    int dlugosc = 0;

    // When the user asks to close the window: at the start of a step of the given run, or
    // when the caption is restored.
    int zamknijPrzedKrokiem = 0;
    int zamknijWPrzebiegu = 1;
    bool zamknijPrzyTytule = false;
    // A step that fails, as memory running out would.
    int zawiedzPrzedKrokiem = 0;
    // The answer to an information box that offers a second button.
    bool wybierzDzialanie = false;

    std::vector<Komunikat> komunikaty;
    std::vector<bool> dostepnosc;
    std::vector<int> kroki;
    int przebieg = 0;
    int przywroconeTytuly = 0;
    bool zamkniecie = false;

    int pozycjaZrodla() const override { return zrodlo; }
    int pozycjaCelu() const override { return cel; }
    bool trybTekstowy() const override { return tekstowy; }
    void EnabledX(bool x) override { dostepnosc.push_back(x); }
    void przywrocTytul() override
    {
        ++przywroconeTytuly;
        zamkniecie = zamkniecie || zamknijPrzyTytule;
    }
    void przetworzZdarzenia() override {}
    bool zamkniecieZadane() const override { return zamkniecie; }
    void ostrzezenie(const QString& tekst, const QString& przyczyna) override
    {
        komunikaty.push_back({true, QStringLiteral("Błąd"), tekst, przyczyna, {}});
    }
    bool informacja(const QString& tytul, const QString& tekst, const QString& objasnienie,
                    const QString& dzialanie) override
    {
        komunikaty.push_back({false, tytul, tekst, objasnienie, dzialanie});
        return !dzialanie.isEmpty() && wybierzDzialanie;
    }
    QString nazwaWejscia() const override { return wejscie; }
    QString nazwaWyjscia() const override { return wyjscie; }
    PoleKonwersji& pole() override { return *this; }
    QString tekst() const override { return tekstPola; }
    void zastapTekst(const QString& tekst) override { tekstPola = tekst; }
    Zaznaczenie zaznaczenie() const override { return {poczatek, dlugosc}; }
    void zaznacz(Zaznaczenie nowe) override
    {
        const int dlugoscTekstu = static_cast<int>(tekstPola.size());
        poczatek = std::min(nowe.poczatek, dlugoscTekstu);
        dlugosc = std::min(nowe.dlugosc, dlugoscTekstu - poczatek);
    }
    void ustawFokus() override {}

    void pokazKrok(int krok) override
    {
        if (krok == zawiedzPrzedKrokiem) {
            throw std::bad_alloc();
        }
        kroki.push_back(krok);
        przebieg += krok == 1 ? 1 : 0;
        zamkniecie = zamkniecie || (krok == zamknijPrzedKrokiem && przebieg == zamknijWPrzebiegu);
    }
};

QByteArray czytaj(const QString& nazwa)
{
    QFile plik(nazwa);
    return plik.open(QIODevice::ReadOnly) ? plik.readAll() : QByteArray("(brak)");
}

void zapisz(const QString& nazwa, const QByteArray& tresc)
{
    QFile plik(nazwa);
    ASSERT_TRUE(plik.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(plik.write(tresc), tresc.size());
}

const QString BRAK_WYJSCIA = QStringLiteral("Podaj nazwę pliku wyjściowego");
const QString BRAK_WEJSCIA = QStringLiteral("Podaj nazwę pliku wejściowego");
const QString TA_SAMA_NAZWA = QStringLiteral("Plik wyjściowy musi mieć inną nazwę niż plik wejściowy!");
const QString NIE_OTWIERAM = QStringLiteral("Nie mogę otworzyć pliku tekstowego: ");
const QString NIE_NADPISUJE = QStringLiteral("Nie mogę nadpisać (utworzyć) pliku tekstowego: ");
const QString ZAKONCZONA = QStringLiteral("Konwersja została zakończona!");

// "Zażółć gęślą jaźń" in Windows-EE, and the same in ISO-Latin-2.
const QByteArray TEKST_WINDOWS("Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\n");
const QByteArray TEKST_ISO("Za\xBF\xF3\xB3\xE6 g\xEA\xB6l\xB1 ja\xBC\xF1\r\n");
const QByteArray STARA_TRESC("stara tre\xB6\xE6");

struct PrzypadekPliku {
    const char* opis;
    // Names in the test's folder; "@" stands for the folder itself.
    QString wejscie;
    QString wyjscie;
    bool ostrzezenie;
    // The message, with the name it ends with when that is a file's.
    QString tekst;
    QString przyczyna;
    // What the output holds afterwards.
    QByteArray wynik;
    // The input already exists as we.txt, the output as wy.txt with STARA_TRESC.
};

// The file job's name checks, probes and outcomes, one message each, the window usable again,
// and the input never touched.
TEST(ZadaniePliku, KomunikatIWynikKazdejDrogi)
{
    const std::vector<PrzypadekPliku> przypadki = {
        {"obie nazwy puste", "", "", true, BRAK_WYJSCIA, "", STARA_TRESC},
        {"puste wejście", "", "wy.txt", true, BRAK_WEJSCIA, "", STARA_TRESC},
        {"puste wyjście", "we.txt", "", true, BRAK_WYJSCIA, "", STARA_TRESC},
        {"te same nazwy", "we.txt", "we.txt", true, TA_SAMA_NAZWA, "", STARA_TRESC},
        {"inna wielkość liter", "WE.txt", "we.TXT", true, TA_SAMA_NAZWA, "", STARA_TRESC},
        {"dowiązanie do wejścia", "we.txt", "dowiazanie.txt", true, TA_SAMA_NAZWA, "", STARA_TRESC},
        {"brak wejścia", "nie ma.txt", "wy.txt", true, NIE_OTWIERAM + "@/nie ma.txt",
         "Przyczyna: plik lub folder nie istnieje.", STARA_TRESC},
        {"wejście jest folderem", "folder", "wy.txt", true, NIE_OTWIERAM + "@/folder",
         "Przyczyna: to jest folder, a nie plik.", STARA_TRESC},
        {"wyjście w brakującym folderze", "we.txt", "nie ma/wy.txt", true, NIE_NADPISUJE + "@/nie ma/wy.txt",
         "Przyczyna: plik lub folder nie istnieje.", STARA_TRESC},
        {"wyjście jest folderem", "we.txt", "folder", true, NIE_NADPISUJE + "@/folder",
         "Przyczyna: to jest folder, a nie plik.", STARA_TRESC},
        {"zakończona", "we.txt", "wy.txt", false, ZAKONCZONA, "", TEKST_ISO},
        {"minus to plik w folderze", "we.txt", "-", false, ZAKONCZONA, "", TEKST_ISO},
    };
    for (const PrzypadekPliku& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString katalog = folder.path();
        const auto sciezka = [&](const QString& nazwa) {
            return nazwa.isEmpty() || nazwa == QLatin1String("-") ? nazwa : katalog + '/' + nazwa;
        };
        zapisz(sciezka("we.txt"), TEKST_WINDOWS);
        zapisz(sciezka("wy.txt"), STARA_TRESC);
        ASSERT_TRUE(QDir(katalog).mkdir("folder"));
        ASSERT_TRUE(QFile::link(sciezka("we.txt"), sciezka("dowiazanie.txt")));
        // "-" names a file in the current folder, never standard output.
        const QString biezacy = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(katalog));

        OknoProbne okno;
        okno.wejscie = sciezka(przypadek.wejscie);
        okno.wyjscie = sciezka(przypadek.wyjscie);
        KomendaKonwertuj(okno);
        QDir::setCurrent(biezacy);

        ASSERT_EQ(okno.komunikaty.size(), 1u);
        const OknoProbne::Komunikat& komunikat = okno.komunikaty.front();
        EXPECT_EQ(komunikat.ostrzezenie, przypadek.ostrzezenie);
        EXPECT_EQ(komunikat.tytul,
                  przypadek.ostrzezenie ? QStringLiteral("Błąd") : QStringLiteral("Konwersja"));
        EXPECT_EQ(komunikat.tekst, QString(przypadek.tekst).replace('@', katalog));
        EXPECT_EQ(komunikat.przyczyna, przypadek.przyczyna);
        EXPECT_EQ(komunikat.dzialanie, QString());
        EXPECT_EQ(okno.dostepnosc, (std::vector<bool>{false, true}));
        const QString wyjscie = przypadek.wyjscie == QLatin1String("-") ? katalog + "/-" : sciezka("wy.txt");
        EXPECT_EQ(czytaj(wyjscie), przypadek.wynik);
        EXPECT_EQ(czytaj(sciezka("we.txt")), TEKST_WINDOWS);
        if (!przypadek.ostrzezenie) {
            std::vector<int> wszystkieKroki(LICZBA_LITER);
            std::iota(wszystkieKroki.begin(), wszystkieKroki.end(), 1);
            EXPECT_EQ(okno.kroki, wszystkieKroki);
            EXPECT_GE(okno.przywroconeTytuly, 1);
        }
    }
}

// A close request stops the job silently; once the text is whole, the output is still
// replaced, and only the closing window's box is left out.
TEST(ZadaniePliku, ZamkniecieOkna)
{
    struct Przypadek {
        const char* opis;
        int zamknijPrzedKrokiem;
        bool zamknijPrzyTytule;
        QByteArray wynik;
    };
    for (const Przypadek& przypadek : {Przypadek{"w pierwszym kroku", 1, false, STARA_TRESC},
                                       Przypadek{"przy zastępowaniu wyjścia", 0, true, TEKST_ISO}}) {
        SCOPED_TRACE(przypadek.opis);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        zapisz(folder.filePath("we.txt"), TEKST_WINDOWS);
        zapisz(folder.filePath("wy.txt"), STARA_TRESC);
        OknoProbne okno;
        okno.wejscie = folder.filePath("we.txt");
        okno.wyjscie = folder.filePath("wy.txt");
        okno.zamknijPrzedKrokiem = przypadek.zamknijPrzedKrokiem;
        okno.zamknijPrzyTytule = przypadek.zamknijPrzyTytule;
        KomendaKonwertuj(okno);

        EXPECT_TRUE(okno.komunikaty.empty());
        EXPECT_EQ(okno.dostepnosc, (std::vector<bool>{false, true}));
        EXPECT_GE(okno.przywroconeTytuly, 1);
        EXPECT_EQ(czytaj(folder.filePath("wy.txt")), przypadek.wynik);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    }
}

// The file job runs beside the window: a close request stops an input that never ends, and
// what the window's side fails with ends the job and comes back to the window as its box.
TEST(ZadaniePliku, PracaObokOkna)
{
    struct Przypadek {
        const char* opis;
        // None: a text of megabytes in the test's folder.
        const char* wejscie;
        int zamknijPrzedKrokiem;
        int zawiedzPrzedKrokiem;
        std::vector<int> kroki;
        std::vector<QString> komunikaty;
    };
    const QString DUZY = QStringLiteral("duzy.txt");
    const std::vector<Przypadek> przypadki = {
        {"/dev/zero zamknięty w pierwszym kroku", "/dev/zero", 1, 0, {1}, {}},
        {"okno zawodzi w drugim kroku",
         nullptr,
         0,
         2,
         {1},
         {QStringLiteral("Za mało pamięci, by przekonwertować plik: ")}},
    };
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        zapisz(folder.filePath(DUZY), TEKST_WINDOWS.repeated(400000));
        zapisz(folder.filePath("wy.txt"), STARA_TRESC);
        OknoProbne okno;
        okno.wejscie =
            przypadek.wejscie != nullptr ? QString::fromLatin1(przypadek.wejscie) : folder.filePath(DUZY);
        okno.wyjscie = folder.filePath("wy.txt");
        okno.zamknijPrzedKrokiem = przypadek.zamknijPrzedKrokiem;
        okno.zawiedzPrzedKrokiem = przypadek.zawiedzPrzedKrokiem;
        KomendaKonwertuj(okno);

        EXPECT_EQ(okno.kroki, przypadek.kroki);
        std::vector<QString> komunikaty;
        for (const OknoProbne::Komunikat& komunikat : okno.komunikaty) {
            komunikaty.push_back(komunikat.tekst.left(komunikat.tekst.size() - okno.wejscie.size()));
        }
        EXPECT_EQ(komunikaty, przypadek.komunikaty);
        EXPECT_EQ(okno.dostepnosc, (std::vector<bool>{false, true}));
        EXPECT_EQ(czytaj(folder.filePath("wy.txt")), STARA_TRESC);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    }
}

// The box after the letters tells what they left behind; between code pages its second
// button converts the same file again, every character, and the output the letters gave stays
// whole when that stops or is cut short. The window's test runs the way that succeeds.
TEST(ZadaniePliku, ZamianaWszystkichZnakow)
{
    struct Przypadek {
        const char* opis;
        int zrodlo;
        int cel;
        QByteArray tresc;
        int zamknijPrzedKrokiem;
        // Beneath the first box's text; the second button is offered only between code pages.
        QString objasnienie;
        bool przycisk;
        // The reason of the box "Błąd" after the button, if any; the output the letters gave.
        QString blad;
        QByteArray wynik;
    };
    const QString bajty = QStringLiteral(
        "Plik wyjściowy nie jest poprawnym tekstem UTF-8: znaki, które nie są polskimi literami, zostały w "
        "nim jako bajty standardu %1 (liczba: %2, pierwszy na pozycji %3 pliku wejściowego, licząc od 0).");
    // "Łódź → ok": the arrow is in no code page of one byte.
    const std::vector<Przypadek> przypadki = {
        {"znak, którego cel nie ma", UTF8_INDEX, WINDOWS_EE, "\xC5\x81\xC3\xB3\x64\xC5\xBA \xE2\x86\x92 ok",
         0,
         QStringLiteral(
             "Plik wyjściowy nie jest czystym tekstem standardu Windows-EE: znaki UTF-8 inne niż polskie "
             "litery zostały w nim jako ciągi kilku bajtów (liczba: 1, pierwszy na pozycji 8 pliku "
             "wejściowego, licząc od 0)."),
         true,
         QStringLiteral(
             "znak U+2192 na pozycji 8, licząc od 0, nie ma odpowiednika w standardzie Windows-EE"),
         "\xA3\xF3\x64\x9F \xE2\x86\x92 ok"},
        {"bajt, którego źródło nie ma", WINDOWS_EE, UTF8_INDEX, "a\x81\xB9\x80", 0,
         bajty.arg("Windows-EE", "2", "1"), true,
         QStringLiteral(
             "bajt 81 (szesnastkowo) na pozycji 1, licząc od 0, nie jest znakiem standardu Windows-EE"),
         "a\x81\xC4\x85\x80"},
        {"bajty, które cel czyta inaczej", WINDOWS_EE, ISO_LATIN_2, "\x84tak\x94 \xB9", 0,
         QStringLiteral(
             "Znaki inne niż polskie litery zostały w pliku wyjściowym bez zmian, jako bajty, które "
             "standard ISO-Latin-2 odczytuje inaczej niż Windows-EE (liczba: 2, pierwszy na pozycji 0 "
             "pliku wejściowego, licząc od 0)."),
         true,
         QStringLiteral(
             "znak U+201E na pozycji 0, licząc od 0, nie ma odpowiednika w standardzie ISO-Latin-2"),
         "\x84tak\x94 \xB1"},
        {"zamknięcie okna w trakcie",
         WINDOWS_EE,
         UTF8_INDEX,
         "5 \x80 \xB9",
         2,
         bajty.arg("Windows-EE", "1", "2"),
         true,
         {},
         "5 \x80 \xC4\x85"},
        {"standard bez strony kodowej",
         CSK,
         UTF8_INDEX,
         "5 \xF0 \xA0",
         0,
         bajty.arg("CSK", "1", "2"),
         false,
         {},
         "5 \xF0 \xC4\x85"},
    };
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        zapisz(folder.filePath("we.txt"), przypadek.tresc);
        zapisz(folder.filePath("wy.txt"), STARA_TRESC);
        OknoProbne okno;
        okno.zrodlo = przypadek.zrodlo;
        okno.cel = przypadek.cel;
        okno.wejscie = folder.filePath("we.txt");
        okno.wyjscie = folder.filePath("wy.txt");
        okno.wybierzDzialanie = true;
        okno.zamknijPrzedKrokiem = przypadek.zamknijPrzedKrokiem;
        okno.zamknijWPrzebiegu = 2;
        KomendaKonwertuj(okno);

        ASSERT_EQ(okno.komunikaty.size(), przypadek.blad.isEmpty() ? 1u : 2u);
        const OknoProbne::Komunikat& litery = okno.komunikaty.front();
        EXPECT_EQ(litery.tekst, ZAKONCZONA);
        EXPECT_TRUE(litery.przyczyna.startsWith(przypadek.objasnienie + "\n\n"))
            << litery.przyczyna.toStdString();
        EXPECT_EQ(litery.dzialanie,
                  przypadek.przycisk ? QStringLiteral("Zamień wszystkie znaki") : QString());
        if (!przypadek.blad.isEmpty()) {
            const OknoProbne::Komunikat& blad = okno.komunikaty.back();
            EXPECT_TRUE(blad.ostrzezenie);
            EXPECT_EQ(blad.tekst, "Nie mogę zamienić wszystkich znaków pliku tekstowego: " + okno.wejscie);
            EXPECT_EQ(blad.przyczyna,
                      "Przyczyna: " + przypadek.blad + ". Plik wyjściowy pozostał bez zmian.");
        }
        EXPECT_EQ(czytaj(folder.filePath("wy.txt")), przypadek.wynik);
        const std::vector<bool> dostepnosc =
            przypadek.przycisk ? std::vector<bool>{false, true, false, true} : std::vector<bool>{false, true};
        EXPECT_EQ(okno.dostepnosc, dostepnosc);
        // Each run shows the caption's steps from the first.
        EXPECT_EQ(std::count(okno.kroki.begin(), okno.kroki.end(), 1), przypadek.przycisk ? 2 : 1);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
}

// The text box is converted in place, its selection is kept within the new text, and a
// failure gives the user's text back.
TEST(ZadanieTekstu, PoleISelekcja)
{
    struct Przypadek {
        const char* opis;
        int zrodlo;
        int cel;
        QString tekst;
        int poczatek;
        int dlugosc;
        int zawiedzPrzedKrokiem;
        QString wynik;
        int poczatekPo;
        int dlugoscPo;
    };
    const std::vector<Przypadek> przypadki = {
        {"litery w innym standardzie", WINDOWS_EE, ISO_LATIN_2, QStringLiteral("Łódź ąś"), 2, 3, 0,
         QStringLiteral("ŁódĽ ±¶"), 2, 3},
        {"ten sam standard", ISO_LATIN_2, ISO_LATIN_2, QStringLiteral("Łódź ąś"), 0, 7, 0,
         QStringLiteral("Łódź ąś"), 0, 7},
        {"do UTF-8 tekst rośnie", WINDOWS_EE, UTF8_INDEX, QStringLiteral("ą"), 1, 0, 0, QStringLiteral("Ä…"),
         1, 0},
        {"z UTF-8 tekst maleje, zaznaczenie przycięte", UTF8_INDEX, WINDOWS_EE, QStringLiteral("Ä…Ä…"), 1, 3,
         0, QStringLiteral("ąą"), 1, 1},
        {"błąd w kroku", WINDOWS_EE, ISO_LATIN_2, QStringLiteral("Łódź ąś"), 2, 3, 5,
         QStringLiteral("Łódź ąś"), 2, 3},
    };
    for (const Przypadek& przypadek : przypadki) {
        SCOPED_TRACE(przypadek.opis);
        OknoProbne okno;
        okno.tekstowy = true;
        okno.zrodlo = przypadek.zrodlo;
        okno.cel = przypadek.cel;
        okno.tekstPola = przypadek.tekst;
        okno.poczatek = przypadek.poczatek;
        okno.dlugosc = przypadek.dlugosc;
        okno.zawiedzPrzedKrokiem = przypadek.zawiedzPrzedKrokiem;
        if (przypadek.zawiedzPrzedKrokiem != 0) {
            EXPECT_THROW(KomendaKonwertuj(okno), std::bad_alloc);
            EXPECT_EQ(okno.dostepnosc, std::vector<bool>{false});
        } else {
            KomendaKonwertuj(okno);
            EXPECT_EQ(okno.dostepnosc, (std::vector<bool>{false, true}));
        }
        EXPECT_EQ(okno.tekstPola.toStdString(), przypadek.wynik.toStdString());
        EXPECT_EQ(okno.poczatek, przypadek.poczatekPo);
        EXPECT_EQ(okno.dlugosc, przypadek.dlugoscPo);
        EXPECT_GE(okno.przywroconeTytuly, 1);
        EXPECT_TRUE(okno.komunikaty.empty());
    }
}

}  // namespace
}  // namespace jobs
