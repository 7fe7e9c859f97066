#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "frmmain.h"
#include "gui_test.h"
#include "konwersja.h"
#include "standardy.h"

namespace {

using znakomat::ISO_LATIN_2;
using znakomat::MAZOVIA;
using znakomat::UTF8_INDEX;
using znakomat::WINDOWS_EE;

const QString brakNazwyWyjscia = QStringLiteral("Podaj nazwę pliku wyjściowego");
const QString brakNazwyWejscia = QStringLiteral("Podaj nazwę pliku wejściowego");
const QString taSamaNazwa = QStringLiteral("Plik wyjściowy musi mieć inną nazwę niż plik wejściowy!");
const QString nieOtwieram = QStringLiteral("Nie mogę otworzyć pliku tekstowego: ");
const QString nieNadpisuje = QStringLiteral("Nie mogę nadpisać (utworzyć) pliku tekstowego: ");
const QString zakonczona = QStringLiteral("Konwersja została zakończona!");

QByteArray czytaj(const QString& nazwa)
{
    QFile plik(nazwa);
    if (!plik.open(QIODevice::ReadOnly)) {
        return QByteArray("<brak pliku>");
    }
    return plik.readAll();
}

void zapisz(const QString& nazwa, const QByteArray& tresc)
{
    QFile plik(nazwa);
    QVERIFY(plik.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(plik.write(tresc), tresc.size());
}

QByteArray wszystkieBajty()
{
    QByteArray bajty;
    for (int b = 0; b < 256; ++b) {
        bajty.append(static_cast<char>(b));
    }
    return bajty + QByteArray("\r\nwiersz\nwiersz\rwiersz\r\n\r\n\n\r") + bajty;
}

QByteArray skonwertowane(const QByteArray& tekst, int zrodlo, int cel)
{
    return QByteArray::fromStdString(
        znakomat::KonwertujTekst(tekst.toStdString(), zrodlo, cel, znakomat::BezPostepu()));
}

}  // namespace

class TestPlik : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<frmMain> okno;
    std::unique_ptr<QTemporaryDir> folder;

    template <class T>
    T* kontrolka(const char* nazwa)
    {
        return znajdzKontrolke<T>(*okno, nazwa);
    }

    QString sciezka(const QString& nazwa) const { return folder->filePath(nazwa); }

    // Fills in the boxes and lists, presses "Konwertuj" and answers the box it shows.
    Komunikat konwertuj(const QString& wejscie, const QString& wyjscie, int zrodlo = WINDOWS_EE,
                        int cel = ISO_LATIN_2)
    {
        kontrolka<QLineEdit>("Text2")->setText(wejscie);
        kontrolka<QLineEdit>("Text3")->setText(wyjscie);
        kontrolka<QComboBox>("Combo1")->setCurrentIndex(zrodlo);
        kontrolka<QComboBox>("Combo2")->setCurrentIndex(cel);
        OdpowiedziNaKomunikaty odpowiedzi;
        QTest::mouseClick(kontrolka<QPushButton>("Command1"), Qt::LeftButton);
        // Exactly one box per conversion, whatever its outcome.
        if (odpowiedzi.komunikaty().size() != 1) {
            return {QStringLiteral("liczba komunikatów: %1").arg(odpowiedzi.komunikaty().size()), {}, {}};
        }
        return odpowiedzi.komunikaty().constFirst();
    }

    // After every outcome the window is back to idle in the file mode.
    void sprawdzSpoczynek()
    {
        QCOMPARE(okno->windowTitle(), okno->Tag());
        for (const char* nazwa : {"Command1", "Command4", "Command5", "Frame1"}) {
            QVERIFY2(okno->findChild<QWidget*>(QString::fromLatin1(nazwa))->isEnabled(), nazwa);
        }
        QVERIFY(!kontrolka<QPushButton>("Command2")->isEnabled());
        QVERIFY(!kontrolka<QPushButton>("Command3")->isEnabled());
    }

    void sprawdzBrakPlikowTymczasowych()
    {
        const QStringList ukryte =
            QDir(folder->path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files | QDir::System);
        QVERIFY2(ukryte.isEmpty(), qPrintable(ukryte.join(' ')));
    }

private slots:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        okno = std::make_unique<frmMain>();
        QVERIFY(pokazAktywne(*okno));
        QTest::mouseClick(kontrolka<QPushButton>("Toolbar_1"), Qt::LeftButton);
    }

    void cleanup()
    {
        okno.reset();
        folder.reset();
    }

    void walidacjaNazw_data()
    {
        QTest::addColumn<QString>("wejscie");
        QTest::addColumn<QString>("wyjscie");
        QTest::addColumn<QString>("komunikat");
        QTest::newRow("obie puste") << ""
                                    << "" << brakNazwyWyjscia;
        QTest::newRow("puste wejście") << ""
                                       << "wy.txt" << brakNazwyWejscia;
        QTest::newRow("puste wyjście") << "we.txt"
                                       << "" << brakNazwyWyjscia;
        QTest::newRow("te same") << "a.txt"
                                 << "a.txt" << taSamaNazwa;
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

    void brakPlikuWejsciowego()
    {
        zapisz(sciezka("wy.txt"), "stara tre\xB6\xE6");
        const QString wejscie = sciezka("nie ma.txt");
        const Komunikat pokazany = konwertuj(wejscie, sciezka("wy.txt"));
        QCOMPARE(pokazany.tekst, nieOtwieram + wejscie);
        QCOMPARE(pokazany.tytul, QStringLiteral("Błąd"));
        QCOMPARE(czytaj(sciezka("wy.txt")), QByteArray("stara tre\xB6\xE6"));
        sprawdzSpoczynek();
    }

    void nazwyBezPrzycinania()
    {
        zapisz(sciezka("we.txt"), "\xA5");
        const QString wejscie = sciezka("we.txt") + QLatin1Char(' ');
        const Komunikat pokazany = konwertuj(wejscie, sciezka("wy.txt"));
        QCOMPARE(pokazany.tekst, nieOtwieram + wejscie);
        QVERIFY(!QFile::exists(sciezka("wy.txt")));
    }

    void wejscieJestFolderem()
    {
        QVERIFY(QDir(folder->path()).mkdir("folder"));
        const Komunikat pokazany = konwertuj(sciezka("folder"), sciezka("wy.txt"));
        QCOMPARE(pokazany.tekst, nieOtwieram + sciezka("folder"));
        QVERIFY(!QFile::exists(sciezka("wy.txt")));
        sprawdzSpoczynek();
    }

    void wyjsciaNieDaSieZapisac_data()
    {
        QTest::addColumn<QString>("wyjscie");
        QTest::newRow("folder") << "folder";
        QTest::newRow("brak folderu") << "nie ma/wy.txt";
        QTest::newRow("plik zamiast folderu") << "we.txt/wy.txt";
    }

    void wyjsciaNieDaSieZapisac()
    {
        QFETCH(QString, wyjscie);
        QVERIFY(QDir(folder->path()).mkdir("folder"));
        zapisz(sciezka("we.txt"), "\xA5\x8C");
        const Komunikat pokazany = konwertuj(sciezka("we.txt"), sciezka(wyjscie));
        QCOMPARE(pokazany.tekst, nieNadpisuje + sciezka(wyjscie));
        QCOMPARE(pokazany.ikona, QMessageBox::Warning);
        QCOMPARE(czytaj(sciezka("we.txt")), QByteArray("\xA5\x8C"));
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
        for (int s = 0; s < znakomat::LICZBA_STANDARDOW; ++s) {
            QTest::newRow(znakomat::Standardy(s).Nazwa.data()) << s;
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
        for (int zrodlo = 1; zrodlo < znakomat::LICZBA_STANDARDOW; ++zrodlo) {
            const QByteArray litery =
                QByteArray::fromStdString(std::string(znakomat::Standardy(zrodlo).Znaki));
            zapisz(sciezka("we.txt"), "<" + litery + ">\r\n");
            for (int cel = 0; cel < znakomat::LICZBA_STANDARDOW; ++cel) {
                QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), zrodlo, cel).tekst, zakonczona);
                const QByteArray oczekiwane =
                    "<" + QByteArray::fromStdString(std::string(znakomat::Standardy(cel).Znaki)) + ">\r\n";
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
    }

    void zamkniecieOknaCzekaNaKoniec()
    {
        bool zamknietyWTrakcie = true;
        bool wylaczoneWTrakcie = false;
        const QByteArray tresc = wszystkieBajty().repeated(1000);
        zapisz(sciezka("we.txt"), tresc);
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(), [&, this](const QString& tytul) {
            if (tytul.endsWith(QLatin1String("krok 5 z 18"))) {
                okno->close();
                zamknietyWTrakcie = !okno->isVisible();
                wylaczoneWTrakcie = !kontrolka<QPushButton>("Command1")->isEnabled() &&
                                    !kontrolka<QPushButton>("Command5")->isEnabled() &&
                                    !kontrolka<QComboBox>("Combo1")->isEnabled();
            }
        });
        QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), WINDOWS_EE, UTF8_INDEX).tekst, zakonczona);
        QVERIFY(!zamknietyWTrakcie);
        QVERIFY(wylaczoneWTrakcie);
        QTRY_VERIFY(!okno->isVisible());
        QCOMPARE(czytaj(sciezka("wy.txt")), skonwertowane(tresc, WINDOWS_EE, UTF8_INDEX));
    }

    void zmianaTrybuWTrakcie()
    {
        zapisz(sciezka("we.txt"), wszystkieBajty());
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(), [this](const QString& tytul) {
            if (tytul.endsWith(QLatin1String("krok 3 z 18"))) {
                kontrolka<QPushButton>("Toolbar_0")->click();
                kontrolka<QLineEdit>("Text3")->setText(sciezka("inny.txt"));
            }
        });
        QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), MAZOVIA, WINDOWS_EE).tekst, zakonczona);
        QCOMPARE(czytaj(sciezka("wy.txt")), skonwertowane(wszystkieBajty(), MAZOVIA, WINDOWS_EE));
        QVERIFY(!QFile::exists(sciezka("inny.txt")));
        QVERIFY(kontrolka<QPushButton>("Command2")->isEnabled());
        QVERIFY(kontrolka<QGroupBox>("Frame2")->isVisible());
    }

    // A pipe as the input or the output must not freeze the window.
    void kolejki()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(sciezka("we.fifo")).constData(), 0600), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(sciezka("wy.fifo")).constData(), 0600), 0);
        zapisz(sciezka("we.txt"), "\xA5");

        // Nobody writes into it: an empty text.
        QCOMPARE(konwertuj(sciezka("we.fifo"), sciezka("wy.txt")).tekst, zakonczona);
        QCOMPARE(czytaj(sciezka("wy.txt")), QByteArray());
        // Nobody reads from it: it cannot be written.
        QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.fifo")).tekst, nieNadpisuje + sciezka("wy.fifo"));
        sprawdzSpoczynek();
    }

    // The browse button stays usable during a conversion; picking a file then changes the
    // box, not the running job.
    void wyborPlikuWTrakcie()
    {
        zapisz(sciezka("we.txt"), wszystkieBajty());
        zapisz(sciezka("inny.txt"), "inny");
        QTimer szukajDialogu;
        connect(&szukajDialogu, &QTimer::timeout, this, [this, &szukajDialogu] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) {
                return;
            }
            szukajDialogu.stop();
            auto* nazwa = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            nazwa->setText(sciezka("inny.txt"));
            QTest::keyClick(nazwa, Qt::Key_Return);
        });
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(),
                [this, &szukajDialogu](const QString& tytul) {
                    if (tytul.endsWith(QLatin1String("krok 3 z 18"))) {
                        szukajDialogu.start(5);
                        QTimer::singleShot(0, okno.get(),
                                           [this] { kontrolka<QPushButton>("Command6")->click(); });
                    }
                });
        QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), MAZOVIA, WINDOWS_EE).tekst, zakonczona);
        QCOMPARE(kontrolka<QLineEdit>("Text2")->text(), sciezka("inny.txt"));
        QCOMPARE(czytaj(sciezka("wy.txt")), skonwertowane(wszystkieBajty(), MAZOVIA, WINDOWS_EE));
        QCOMPARE(czytaj(sciezka("inny.txt")), QByteArray("inny"));
        sprawdzSpoczynek();
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestPlik)
#include "test_plik.moc"
