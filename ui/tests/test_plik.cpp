// The file mode: names checked before a job, conversions of whole files, and what the user
// is told when a file cannot be read or written.

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "ui/frmmain.h"
#include "ui/tests/gui_test.h"
#include "ui/tests/plik_test.h"

using namespace ui;

class TestPlik : public TestTrybuPlikow {
    Q_OBJECT

private slots:
    void init() { otworzWTrybiePlikow(); }
    void cleanup() { zamknijIUsunFolder(); }

    void walidacjaNazw_data()
    {
        QTest::addColumn<QString>("wejscie");
        QTest::addColumn<QString>("wyjscie");
        QTest::addColumn<QString>("komunikat");
        // Every way a name is refused is in the jobs' own test; here the boxes the window shows.
        QTest::newRow("puste wejście") << ""
                                       << "wy.txt" << brakNazwyWejscia;
        QTest::newRow("wielkość liter") << "Dane.TXT"
                                        << "dane.txt" << taSamaNazwa;
        QTest::newRow("polskie litery") << "ŁÓDŹ.txt"
                                        << "łódź.txt" << taSamaNazwa;
    }

    void walidacjaNazw()
    {
        QFETCH(QString, wejscie);
        QFETCH(QString, wyjscie);
        QFETCH(QString, komunikat);
        QDir::setCurrent(folder->path());
        zapisz(sciezka("a.txt"), "\xA5");
        zapisz(sciezka("Dane.TXT"), "\xA5");

        const Komunikat pokazany = konwertuj(wejscie, wyjscie);
        QCOMPARE(pokazany.tekst, komunikat);
        QCOMPARE(pokazany.tytul, QStringLiteral("Błąd"));
        QCOMPARE(pokazany.ikona, QMessageBox::Warning);
        sprawdzSpoczynek();
        QCOMPARE(czytaj(sciezka("a.txt")), QByteArray("\xA5"));
        QCOMPARE(czytaj(sciezka("Dane.TXT")), QByteArray("\xA5"));
        QVERIFY(!QFile::exists(sciezka("wy.txt")));
    }

    void jedenPlikPodDwiemaNazwami_data()
    {
        QTest::addColumn<QString>("wejscie");
        QTest::addColumn<QString>("wyjscie");
        QTest::newRow("względna i bezwzględna") << "we.txt"
                                                << "@/we.txt";
        QTest::newRow("z kropką") << "./we.txt"
                                  << "we.txt";
        QTest::newRow("przez folder") << "we.txt"
                                      << "../@@/we.txt";
        QTest::newRow("dowiązanie symboliczne") << "we.txt"
                                                << "symboliczne.txt";
        QTest::newRow("dowiązanie twarde") << "twarde.txt"
                                           << "we.txt";
    }

    void jedenPlikPodDwiemaNazwami()
    {
        QFETCH(QString, wejscie);
        QFETCH(QString, wyjscie);
        QDir::setCurrent(folder->path());
        const QByteArray tresc("Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\n");
        zapisz(sciezka("we.txt"), tresc);
        QVERIFY(QFile::link(sciezka("we.txt"), sciezka("symboliczne.txt")));
        QCOMPARE(::link(QFile::encodeName(sciezka("we.txt")).constData(),
                        QFile::encodeName(sciezka("twarde.txt")).constData()),
                 0);
        wyjscie.replace(QStringLiteral("@@"), QDir(folder->path()).dirName()).replace('@', folder->path());

        const Komunikat pokazany = konwertuj(wejscie, wyjscie);
        QCOMPARE(pokazany.tekst, taSamaNazwa);
        QCOMPARE(czytaj(sciezka("we.txt")), tresc);
        sprawdzSpoczynek();
    }

    // In the window "-" names a file like any other, as input and as output: the job
    // neither reads standard input nor writes standard output.
    void minusJestNazwaPliku_data()
    {
        QTest::addColumn<QString>("wejscie");
        QTest::addColumn<QString>("wyjscie");
        QTest::newRow("wejście") << "-"
                                 << "wy.txt";
        QTest::newRow("wyjście") << "we.txt"
                                 << "-";
    }

    void minusJestNazwaPliku()
    {
        QFETCH(QString, wejscie);
        QFETCH(QString, wyjscie);
        QDir::setCurrent(folder->path());
        const QByteArray tresc("Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\n");
        zapisz(sciezka(wejscie), tresc);

        // Standard output goes to a file while the job runs, to see that nothing reaches it.
        QFile przechwycone(sciezka("stdout"));
        QVERIFY(przechwycone.open(QIODevice::ReadWrite));
        std::fflush(stdout);
        const int stdoutProgramu = ::dup(STDOUT_FILENO);
        QVERIFY(stdoutProgramu >= 0);
        ::dup2(przechwycone.handle(), STDOUT_FILENO);
        const Komunikat pokazany = konwertuj(wejscie, wyjscie);
        std::fflush(stdout);
        ::dup2(stdoutProgramu, STDOUT_FILENO);
        ::close(stdoutProgramu);

        QCOMPARE(pokazany.tekst, zakonczona);
        QCOMPARE(czytaj(sciezka(wyjscie)), skonwertowane(tresc, WINDOWS_EE, ISO_LATIN_2));
        QCOMPARE(czytaj(sciezka(wejscie)), tresc);
        QCOMPARE(przechwycone.size(), 0);
    }

    // A job started with Return on "Konwertuj" gives the focus back to it, so the next
    // Return converts again and never lands on a mode button.
    void klawiaturaPoKonwersji_data()
    {
        QTest::addColumn<QString>("wejscie");
        QTest::addColumn<QString>("komunikat");
        QTest::newRow("zakończona") << "we.txt" << zakonczona;
        QTest::newRow("błąd") << "nie ma.txt" << nieOtwieram;
    }

    void klawiaturaPoKonwersji()
    {
        QFETCH(QString, wejscie);
        QFETCH(QString, komunikat);
        zapisz(sciezka("we.txt"), "\xA5");
        kontrolka<QLineEdit>("Text2")->setText(sciezka(wejscie));
        kontrolka<QLineEdit>("Text3")->setText(sciezka("wy.txt"));
        QPushButton* konwertuj = przycisk("Command1");
        konwertuj->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), konwertuj);
        for (int raz = 0; raz < 2; ++raz) {
            OknaModalne okna;
            // The key goes to the window's focused control, as it would once the window is
            // active again after the message box.
            QVERIFY2(okna.odtworz([&] { QTest::keyClick(okno->focusWidget(), Qt::Key_Return); }),
                     qPrintable(okna.blad()));
            QCOMPARE(okna.komunikaty().size(), 1);
            QCOMPARE(okna.komunikaty().constFirst().tekst,
                     komunikat == zakonczona ? komunikat : komunikat + sciezka(wejscie));
            QTRY_COMPARE(okno->focusWidget(), konwertuj);
            QVERIFY(!okno->trybTekstowy());
        }
    }

    void nazwyBezPrzycinania()
    {
        zapisz(sciezka("we.txt"), "\xA5");
        const QString wejscie = sciezka("we.txt") + QLatin1Char(' ');
        const Komunikat pokazany = konwertuj(wejscie, sciezka("wy.txt"));
        QCOMPARE(pokazany.tekst, nieOtwieram + wejscie);
        QVERIFY(!QFile::exists(sciezka("wy.txt")));
    }

    // A file that cannot be opened: the message stays as it is, the system's reason goes
    // beneath it, and neither file changes.
    void plikowNieDaSieOtworzyc_data()
    {
        QTest::addColumn<QString>("wejscie");
        QTest::addColumn<QString>("wyjscie");
        QTest::addColumn<bool>("odczyt");
        QTest::addColumn<QString>("przyczyna");
        QTest::newRow("brak wejścia") << "nie ma.txt"
                                      << "wy.txt" << true << "plik lub folder nie istnieje";
        QTest::newRow("wejście jest folderem") << "folder"
                                               << "wy.txt" << true << "to jest folder, a nie plik";
        QTest::newRow("wyjście jest folderem") << "we.txt"
                                               << "folder" << false << "to jest folder, a nie plik";
        QTest::newRow("brak folderu wyjścia") << "we.txt"
                                              << "nie ma/wy.txt" << false << "plik lub folder nie istnieje";
        QTest::newRow("plik zamiast folderu")
            << "we.txt"
            << "we.txt/wy.txt" << false << "część ścieżki nie jest folderem";
    }

    void plikowNieDaSieOtworzyc()
    {
        QFETCH(QString, wejscie);
        QFETCH(QString, wyjscie);
        QFETCH(bool, odczyt);
        QFETCH(QString, przyczyna);
        QVERIFY(QDir(folder->path()).mkdir("folder"));
        zapisz(sciezka("we.txt"), "\xA5\x8C");
        zapisz(sciezka("wy.txt"), "stara tre\xB6\xE6");
        const Komunikat pokazany = konwertuj(sciezka(wejscie), sciezka(wyjscie));
        QCOMPARE(pokazany.tekst, (odczyt ? nieOtwieram + sciezka(wejscie) : nieNadpisuje + sciezka(wyjscie)));
        QCOMPARE(pokazany.przyczyna, QStringLiteral("Przyczyna: %1.").arg(przyczyna));
        QCOMPARE(pokazany.tytul, QStringLiteral("Błąd"));
        QCOMPARE(pokazany.ikona, QMessageBox::Warning);
        QCOMPARE(czytaj(sciezka("we.txt")), QByteArray("\xA5\x8C"));
        QCOMPARE(czytaj(sciezka("wy.txt")), QByteArray("stara tre\xB6\xE6"));
        sprawdzSpoczynek();
    }

    void konwersjaPliku()
    {
        const QByteArray tresc = wszystkieBajty();
        zapisz(sciezka("we.txt"), tresc);
        zapisz(sciezka("wy.txt"), QByteArray(100000, 'x'));
        QSignalSpy tytuly(okno.get(), &QWidget::windowTitleChanged);

        const Komunikat pokazany = konwertuj(sciezka("we.txt"), sciezka("wy.txt"), WINDOWS_EE, ISO_LATIN_2);
        QCOMPARE(pokazany.tekst, zakonczona);
        QCOMPARE(pokazany.tytul, QStringLiteral("Konwersja"));
        QCOMPARE(pokazany.ikona, QMessageBox::Information);

        QByteArray oczekiwane = tresc;
        for (const auto& [z, c] : {std::pair{'\xA5', '\xA1'},
                                   {'\x8C', '\xA6'},
                                   {'\x8F', '\xAC'},
                                   {'\xB9', '\xB1'},
                                   {'\x9C', '\xB6'},
                                   {'\x9F', '\xBC'}}) {
            oczekiwane.replace(z, c);
        }
        QCOMPARE(czytaj(sciezka("wy.txt")), oczekiwane);
        QCOMPARE(czytaj(sciezka("we.txt")), tresc);

        QCOMPARE(tytuly.size(), 19);
        for (int krok = 1; krok <= 18; ++krok) {
            QCOMPARE(tytuly.at(krok - 1).at(0).toString(), frmMain::tekstKroku(okno->Tag(), krok));
        }
        sprawdzSpoczynek();
        sprawdzBrakPlikowTymczasowych();
    }

    void tenSamStandardDajeKopie_data()
    {
        QTest::addColumn<int>("standard");
        for (int s = 0; s < engine::LICZBA_STANDARDOW; ++s) {
            QTest::newRow(engine::Standardy(s).Nazwa.data()) << s;
        }
    }

    void tenSamStandardDajeKopie()
    {
        QFETCH(int, standard);
        const QByteArray tresc = wszystkieBajty() + QByteArray(10, '\x1A') + wszystkieBajty();
        zapisz(sciezka("we.txt"), tresc);
        QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), standard, standard).tekst, zakonczona);
        QCOMPARE(czytaj(sciezka("wy.txt")), tresc);
    }

    void pustyPlik()
    {
        zapisz(sciezka("we.txt"), QByteArray());
        zapisz(sciezka("wy.txt"), "stare");
        QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), WINDOWS_EE, UTF8_INDEX).tekst, zakonczona);
        QCOMPARE(czytaj(sciezka("wy.txt")), QByteArray());
        sprawdzSpoczynek();
    }

    // A file with every letter of one standard becomes the row of every other.
    void wszystkieStandardy()
    {
        for (int zrodlo = 1; zrodlo < engine::LICZBA_STANDARDOW; ++zrodlo) {
            const QByteArray litery = QByteArray::fromStdString(std::string(engine::Standardy(zrodlo).Znaki));
            zapisz(sciezka("we.txt"), "<" + litery + ">\r\n");
            for (int cel = 0; cel < engine::LICZBA_STANDARDOW; ++cel) {
                QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), zrodlo, cel).tekst, zakonczona);
                const QByteArray oczekiwane =
                    "<" + QByteArray::fromStdString(std::string(engine::Standardy(cel).Znaki)) + ">\r\n";
                QVERIFY2(czytaj(sciezka("wy.txt")) == oczekiwane,
                         qPrintable(QStringLiteral("%1 -> %2").arg(zrodlo).arg(cel)));
            }
        }
    }

    void dowiazanieDoWyjsciaZostaje()
    {
        zapisz(sciezka("we.txt"), "\xA5");
        zapisz(sciezka("cel.txt"), "stare");
        QVERIFY(QFile::link(sciezka("cel.txt"), sciezka("wy.txt")));
        QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), WINDOWS_EE, UTF8_INDEX).tekst, zakonczona);
        QVERIFY(QFileInfo(sciezka("wy.txt")).isSymLink());
        QCOMPARE(czytaj(sciezka("cel.txt")), QByteArray("\xC4\x84"));
    }

    // The file system refuses the converted text after both probes passed.
    void bladZapisuPoProbach()
    {
        const QByteArray tresc(64 * 1024, '\xA5');
        zapisz(sciezka("we.txt"), tresc);
        rlimit poprzedni{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &poprzedni), 0);
        rlimit maly = poprzedni;
        maly.rlim_cur = 1000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &maly), 0);
        const Komunikat pokazany = konwertuj(sciezka("we.txt"), sciezka("wy.txt"));
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &poprzedni), 0);

        QCOMPARE(pokazany.tytul, QStringLiteral("Błąd"));
        QCOMPARE(pokazany.tekst, QStringLiteral("Nie mogę zapisać pliku tekstowego: %1\n(plik jest za duży)")
                                     .arg(sciezka("wy.txt")));
        QCOMPARE(czytaj(sciezka("we.txt")), tresc);
        QCOMPARE(czytaj(sciezka("wy.txt")), QByteArray("NADPISYWANIE"));
        sprawdzSpoczynek();
        sprawdzBrakPlikowTymczasowych();

        zapisz(sciezka("wazne.txt"), "ważne");
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &maly), 0);
        const Komunikat drugi = konwertuj(sciezka("we.txt"), sciezka("wazne.txt"));
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &poprzedni), 0);
        QCOMPARE(drugi.tekst, QStringLiteral("Nie mogę zapisać pliku tekstowego: %1\n(plik jest za duży)")
                                  .arg(sciezka("wazne.txt")));
        QCOMPARE(czytaj(sciezka("wazne.txt")), QByteArray("ważne"));
        sprawdzBrakPlikowTymczasowych();
    }

    void bladOdczytuPoProbach()
    {
        // Opens fine, but reading from its start fails.
        const QString wejscie = QStringLiteral("/proc/self/mem");
        const Komunikat pokazany = konwertuj(wejscie, sciezka("wy.txt"));
        QCOMPARE(
            pokazany.tekst,
            QStringLiteral("Nie mogę odczytać pliku tekstowego: %1\n(błąd wejścia/wyjścia)").arg(wejscie));
        QCOMPARE(czytaj(sciezka("wy.txt")), QByteArray("NADPISYWANIE"));
        sprawdzSpoczynek();
        sprawdzBrakPlikowTymczasowych();

        // An output that held something keeps it: the probe only opened it.
        zapisz(sciezka("wazne.txt"), "ważne");
        QCOMPARE(
            konwertuj(wejscie, sciezka("wazne.txt")).tekst,
            QStringLiteral("Nie mogę odczytać pliku tekstowego: %1\n(błąd wejścia/wyjścia)").arg(wejscie));
        QCOMPARE(czytaj(sciezka("wazne.txt")), QByteArray("ważne"));
        sprawdzBrakPlikowTymczasowych();
    }

    // After the letters of a Windows-EE file with „ ” – € are converted to UTF-8, the box says
    // what they left behind and offers every character: its button gives what iconv gives,
    // with the caption's steps again, and Return gives the letters alone. A clean file's box
    // is the plain one.
    void zamianaWszystkichZnakow_data()
    {
        QTest::addColumn<QByteArray>("tresc");
        QTest::addColumn<int>("zrodlo");
        QTest::addColumn<bool>("przycisk");
        QTest::addColumn<QString>("objasnienie");
        // What the button gives; none: what iconv -f CP1250 gives.
        QTest::addColumn<QByteArray>("wszystkie");
        const QByteArray cytat("\x84Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\x94 \x96 cena 5 \x80\r\n");
        const QString pierwszy = QStringLiteral("(liczba: %1, pierwszy na pozycji 0 pliku wejściowego");
        QTest::newRow("przycisk") << cytat.repeated(10000) << WINDOWS_EE << true << pierwszy.arg(40000)
                                  << QByteArray();
        QTest::newRow("Return") << cytat.repeated(10000) << WINDOWS_EE << false << pierwszy.arg(40000)
                                << QByteArray();
        QTest::newRow("czysty plik") << QByteArray("Za\xBF\xF3\xB3\xE6 ja\x9F\xF1\r\n").repeated(10000)
                                     << WINDOWS_EE << true << QString() << QByteArray();
        // A frame, ° and ± of code page 437 beside Mazovia's ą and ł.
        QTest::newRow("Mazovia") << QByteArray("\xC9\xCD\xCD\xBB 20\xF8 \xF1 \x86\x92\r\n").repeated(10000)
                                 << MAZOVIA << true << pierwszy.arg(60000)
                                 << QByteArray("╔══╗ 20° ± ął\r\n").repeated(10000);
    }

    void zamianaWszystkichZnakow()
    {
        QFETCH(QByteArray, tresc);
        QFETCH(int, zrodlo);
        QFETCH(bool, przycisk);
        QFETCH(QString, objasnienie);
        QFETCH(QByteArray, wszystkie);
        zapisz(sciezka("we.txt"), tresc);
        if (wszystkie.isEmpty()) {
            QProcess iconv;
            iconv.start(QStringLiteral("iconv"), {"-f", "CP1250", "-t", "UTF-8", sciezka("we.txt")});
            QVERIFY(iconv.waitForFinished() && iconv.exitCode() == 0);
            wszystkie = iconv.readAllStandardOutput();
        }
        QSignalSpy tytuly(okno.get(), &QWidget::windowTitleChanged);

        bool pokazany = false;
        QStringList przyciski;
        const OknaModalne::Krok odpowiedz{
            QStringLiteral("koniec konwersji liter"),
            [](QWidget* w) { return qobject_cast<QMessageBox*>(w); },
            [&](QWidget* w) {
                auto* pierwszy = static_cast<QMessageBox*>(w);
                pokazany = true;
                QCOMPARE(pierwszy->text(), zakonczona);
                QAbstractButton* zamien = nullptr;
                for (QAbstractButton* b : pierwszy->buttons()) {
                    przyciski.append(b->text());
                    zamien = b->text() == QStringLiteral("Zamień wszystkie znaki") ? b : zamien;
                }
                QVERIFY(przyciski.size() == 1 ||
                        pierwszy->defaultButton() == pierwszy->button(QMessageBox::Ok));
                QCOMPARE(pierwszy->informativeText().contains(objasnienie), true);
                QCOMPARE(pierwszy->informativeText().isEmpty(), objasnienie.isEmpty());
                if (przycisk && zamien != nullptr) {
                    QTest::mouseClick(zamien, Qt::LeftButton);
                } else {
                    QTest::keyClick(pierwszy, Qt::Key_Return);
                }
            }};
        const QList<Komunikat> dalej =
            uruchom(sciezka("we.txt"), sciezka("wy.txt"), zrodlo, UTF8_INDEX, {odpowiedz});

        QVERIFY(pokazany);
        const bool zamienione = przycisk && !objasnienie.isEmpty();
        QCOMPARE(przyciski.size(), objasnienie.isEmpty() ? 1 : 2);
        QCOMPARE(przyciski.contains(QStringLiteral("Zamień wszystkie znaki")), !objasnienie.isEmpty());
        // Only a plain box follows the second run.
        QCOMPARE(dalej.size(), zamienione ? 1 : 0);
        QVERIFY(!zamienione ||
                (dalej.constFirst().tekst == zakonczona && dalej.constFirst().przyczyna.isEmpty()));
        const QByteArray wynik = czytaj(sciezka("wy.txt"));
        QVERIFY(wynik == (przycisk ? wszystkie : skonwertowane(tresc, zrodlo, UTF8_INDEX)));
        QCOMPARE(tytuly.size(), zamienione ? 38 : 19);
        QCOMPARE(tytuly.at(tytuly.size() - 2).at(0).toString(), frmMain::tekstKroku(okno->Tag(), 18));
        sprawdzSpoczynek();
        sprawdzBrakPlikowTymczasowych();
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestPlik)
#include "test_plik.moc"
