#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <optional>
#include <string>

#include "engine/konwersja.h"
#include "engine/rozpoznawanie.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "engine/tests/tekst_windows1250.h"
#include "jobs/rozpoznanie_zrodla.h"
#include "ui/poletekstowe.h"
#include "ui/tests/gui_test.h"

using namespace ui;
using namespace engine;
using jobs::GRANICA_ASCII;

namespace {

const std::string PROZA =
    "Stary plik z tekstem leżał na dyskietce przez wiele lat. Źródłem kłopotów były ogonki: każdy "
    "program zapisywał je po swojemu, więc zdanie \"zażółć gęślą jaźń\" wyglądało za każdym razem "
    "inaczej. Wiedza o tym, że Łódź, Gdańsk i Kraków mają w nazwach polskie litery, pomagała "
    "zgadnąć właściwy standard. Ćma, ŻABA i Ńa nie zmieniają sensu całości.";

std::string wStandardzie(const std::string& utf8, int standard)
{
    return engine::test::KonwertujBajty(utf8, UTF8_INDEX, standard);
}

// The bytes as a program reading them as Windows-1250 shows them.
QString jakoWindows1250(const std::string& bajty)
{
    return QString::fromStdU16String(DekodujWindows1250(bajty));
}

// A short text the recognition cannot be sure of, whose likeliest standard is not Mazovia.
std::optional<std::string> niejednoznaczny()
{
    for (const char* slowo : {"źle", "jeż", "może"}) {
        for (int standard = 1; standard < LICZBA_STANDARDOW; ++standard) {
            const std::string tekst = wStandardzie(slowo, standard);
            const Rozpoznanie rozpoznanie = RozpoznajStandard(tekst);
            if (rozpoznanie.werdykt == Werdykt::Niejednoznaczny && rozpoznanie.standard() != MAZOVIA) {
                return tekst;
            }
        }
    }
    return std::nullopt;
}

// A modern text as a program using Windows-1250 writes it, foreign letters and all.
std::string wWindows1250(const char* utf8)
{
    return KodujWindows1250(QString::fromUtf8(utf8).toStdU16String());
}

// Converting from the list's standard gives what converting from the true one gives.
bool konwertujaJak(const std::string& tekst, int wybrany, int prawdziwy)
{
    return engine::test::KonwertujBajty(tekst, wybrany, UTF8_INDEX) ==
           engine::test::KonwertujBajty(tekst, prawdziwy, UTF8_INDEX);
}

enum class Sposob { Argument, Upuszczenie, Dialog };

}  // namespace

Q_DECLARE_METATYPE(Sposob)

class TestRozpoznanie : public TestOkna {
    Q_OBJECT

private:
    QTemporaryDir folder;

    QComboBox* zrodlo() { return kontrolka<QComboBox>("Combo1"); }
    QLineEdit* wejscie() { return kontrolka<QLineEdit>("Text2"); }
    PoleTekstowe* pole() { return kontrolka<PoleTekstowe>("Text1"); }

    QString zapisz(const QString& nazwa, const std::string& tresc)
    {
        // A file not written shows as an empty one, which no test expects.
        QFile plik(folder.filePath(nazwa));
        plik.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            plik.write(tresc.data(), qint64(tresc.size()));
        return plik.fileName();
    }

    // What the boxes' tooltips say before any verdict.
    QString bezWerdyktu[2];

    bool czekajNaOpis(QWidget* kontrolka)
    {
        const QString& przed = bezWerdyktu[kontrolka == wejscie() ? 0 : 1];
        return QTest::qWaitFor([kontrolka, &przed] { return kontrolka->toolTip() != przed; }, 10000);
    }

    // Names the input file as a user would, and waits until the input box tells what was
    // found in it.
    bool podaj(Sposob sposob, const QString& sciezka)
    {
        switch (sposob) {
            case Sposob::Argument:
                okno->otworzPlik(sciezka);
                break;
            case Sposob::Upuszczenie: {
                QMimeData dane;
                dane.setUrls({QUrl::fromLocalFile(sciezka)});
                const QPoint srodek = okno->rect().center();
                QDragEnterEvent wejscie(srodek, Qt::CopyAction, &dane, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(okno.get(), &wejscie);
                QDropEvent upuszczenie(srodek, Qt::CopyAction, &dane, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(okno.get(), &upuszczenie);
                break;
            }
            case Sposob::Dialog: {
                kliknij("Toolbar_1");
                OknaModalne okna;
                okna.krok(
                    QStringLiteral("okno wyboru pliku"),
                    [](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; },
                    [sciezka](QWidget* w) {
                        auto* nazwa = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                        nazwa->setText(sciezka);
                        QTest::keyClick(nazwa, Qt::Key_Return);
                    });
                if (!okna.odtworz([this] { kliknij("Command6"); })) {
                    qWarning("%s", qPrintable(okna.blad()));
                    return false;
                }
                break;
            }
        }
        return wejscie()->text() == sciezka && czekajNaOpis(wejscie());
    }

    bool wklej(const QString& tekst)
    {
        QGuiApplication::clipboard()->setText(tekst);
        kliknij("Command2");
        return pole()->tekst() == tekst && czekajNaOpis(pole());
    }

    // A choice in the list made by the user with the keyboard: the next standard, or that
    // and back again, which is a choice as well.
    void wybierzRecznie(bool iZPowrotem)
    {
        QTest::keyClick(zrodlo(), Qt::Key_Down);
        if (iZPowrotem) {
            QTest::keyClick(zrodlo(), Qt::Key_Up);
        }
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }
    void init()
    {
        QVERIFY(otworzOkno());
        bezWerdyktu[0] = wejscie()->toolTip();
        bezWerdyktu[1] = pole()->toolTip();
    }
    void cleanup() { zamknijOkno(); }

    // Whichever way a file comes, the list ends on a standard that converts it right.
    void plikWKazdymStandardzie_data()
    {
        QTest::addColumn<Sposob>("sposob");
        QTest::addColumn<int>("standard");
        const std::pair<Sposob, const char*> sposoby[] = {
            {Sposob::Argument, "argument"}, {Sposob::Upuszczenie, "upuszczenie"}, {Sposob::Dialog, "dialog"}};
        for (const auto& [sposob, opis] : sposoby) {
            for (int standard = 1; standard < LICZBA_STANDARDOW; ++standard) {
                QTest::addRow("%s: %s", opis, Standardy(standard).Nazwa.data()) << sposob << standard;
            }
        }
    }

    void plikWKazdymStandardzie()
    {
        QFETCH(Sposob, sposob);
        QFETCH(int, standard);
        const std::string tresc = wStandardzie(PROZA, standard);
        QVERIFY(podaj(sposob, zapisz(QStringLiteral("stary.txt"), tresc)));
        QVERIFY2(engine::test::KonwertujBajty(tresc, zrodlo()->currentIndex(), UTF8_INDEX) == PROZA,
                 qPrintable(zrodlo()->currentText()));
        for (const QString& opis : {wejscie()->toolTip(), wejscie()->accessibleDescription()}) {
            QVERIFY2(opis.contains(QStringLiteral("Rozpoznany standard: ")), qPrintable(opis));
        }
    }

    // An uncertain verdict, a text without letters and a pipe leave what an earlier file
    // set; the pipe is not opened, so the dialog's return does not wait on it.
    void listaBezZmian_data()
    {
        QTest::addColumn<QString>("rodzaj");
        QTest::addColumn<Sposob>("sposob");
        QTest::addColumn<QString>("uwaga");
        QTest::newRow("niejednoznaczny") << "niejednoznaczny" << Sposob::Argument << "nie da się rozpoznać";
        QTest::newRow("bez liter") << "bez liter" << Sposob::Upuszczenie << "nie zawiera polskich liter";
        QTest::newRow("potok w dialogu") << "potok" << Sposob::Dialog << "potok (FIFO)";
    }

    void listaBezZmian()
    {
        QFETCH(QString, rodzaj);
        QFETCH(Sposob, sposob);
        QFETCH(QString, uwaga);
        QVERIFY(podaj(Sposob::Argument, zapisz(QStringLiteral("mazovia.txt"), wStandardzie(PROZA, MAZOVIA))));
        QCOMPARE(zrodlo()->currentIndex(), MAZOVIA);

        QString sciezka = folder.filePath(rodzaj);
        if (rodzaj == QLatin1String("potok")) {
            QVERIFY(::mkfifo(QFile::encodeName(sciezka).constData(), 0600) == 0);
        } else if (rodzaj == QLatin1String("bez liter")) {
            zapisz(rodzaj, "Zwykly tekst, w ktorym nie ma polskich liter.\n");
        } else {
            const std::optional<std::string> tekst = niejednoznaczny();
            QVERIFY(tekst.has_value());
            zapisz(rodzaj, *tekst);
        }
        QVERIFY(podaj(sposob, sciezka));
        QCOMPARE(zrodlo()->currentIndex(), MAZOVIA);
        QVERIFY2(wejscie()->toolTip().contains(uwaga, Qt::CaseInsensitive), qPrintable(wejscie()->toolTip()));
        if (rodzaj == QLatin1String("potok")) {
            // A writer finds no reader: nobody holds the pipe open.
            QCOMPARE(::open(QFile::encodeName(sciezka).constData(), O_WRONLY | O_NONBLOCK), -1);
            QCOMPARE(errno, ENXIO);
        }
    }

    // A file given while another is being read gets its own verdict; closing the window
    // while one is read stops the reading and waits for it, so nothing arrives at a
    // window that is gone (the sanitized build sees it).
    void zamkniecieWTrakcie()
    {
        const QString duzy = zapisz(QStringLiteral("duzy.txt"),
                                    std::string(GRANICA_ASCII - 4096, ' ') + wStandardzie(PROZA, MAZOVIA));
        okno->otworzPlik(duzy);
        QVERIFY(
            podaj(Sposob::Argument, zapisz(QStringLiteral("maly.txt"), wStandardzie(PROZA, IBM_LATIN_2))));
        QCOMPARE(zrodlo()->currentIndex(), IBM_LATIN_2);
        okno->otworzPlik(duzy);
        zamknijOkno();
        QCoreApplication::processEvents();
        QVERIFY(otworzOkno());
    }

    // A pasted text is read as the bytes the text conversion converts: a modern one keeps
    // "Windows-EE", one read from an old file as Windows-1250 gets its real standard.
    void wklejenie_data()
    {
        QTest::addColumn<int>("standard");
        for (const int standard : {WINDOWS_EE, MAZOVIA, IBM_LATIN_2, ISO_LATIN_2, CSK, UTF8_INDEX}) {
            QTest::addRow("%s", Standardy(standard).Nazwa.data()) << standard;
        }
    }

    void wklejenie()
    {
        QFETCH(int, standard);
        const QString tekst = jakoWindows1250(wStandardzie(PROZA, standard));
        QVERIFY(wklej(tekst));
        const std::u16string poKonwersji =
            KonwertujTekst(tekst.toStdU16String(), zrodlo()->currentIndex(), WINDOWS_EE, BezPostepu());
        QCOMPARE(QString::fromStdU16String(poKonwersji), QString::fromUtf8(PROZA));
        QVERIFY(pole()->accessibleDescription().contains(QStringLiteral("Rozpoznany standard: ")));
    }

    // Modern text, Polish or with a foreign word, keeps the "Windows-EE" the window starts
    // with, pasted or as a file: each of these was once taken, certain, for another.
    void zwyczajnyTekstZostaje_data()
    {
        QTest::addColumn<QString>("tekst");
        QTest::addColumn<bool>("plik");
        const char* teksty[] = {
            "Źle, co ?",
            "Müller i Schröder przyjechali do Łodzi.",
            "zrobię",
            "Noël",
            "žluťoučký",
            "KRYPTOGRAFICZNĄ POBIERANEGO",
            "ugrupowanie,obóz,blok,partia",
            "Pan Fąfara mawiał: kto rano wstaje, temu Pan Bóg daje.",
        };
        for (const char* tekst : teksty) {
            for (const bool plik : {false, true}) {
                QTest::addRow("%s, %s", tekst, plik ? "plik" : "wklejony")
                    << QString::fromUtf8(tekst) << plik;
            }
        }
    }

    void zwyczajnyTekstZostaje()
    {
        QFETCH(QString, tekst);
        QFETCH(bool, plik);
        const std::string bajty = wWindows1250(tekst.toUtf8().constData());
        QVERIFY(plik ? podaj(Sposob::Argument, zapisz(QStringLiteral("nowy.txt"), bajty)) : wklej(tekst));
        QVERIFY2(konwertujaJak(bajty, zrodlo()->currentIndex(), WINDOWS_EE),
                 qPrintable(zrodlo()->currentText() + QLatin1Char(' ') + wejscie()->toolTip() +
                            pole()->toolTip()));
    }

    // A verdict that comes while a conversion runs is applied when it ends, and the
    // tooltip says so meanwhile.
    void werdyktWTrakcieKonwersji()
    {
        const QString mazovia = zapisz(QStringLiteral("mazovia.txt"), wStandardzie(PROZA, MAZOVIA));
        pole()->setPlainText(QStringLiteral("Zwykły tekst do konwersji."));
        QString opisWTrakcie;
        int listaWTrakcie = -1;
        connect(okno.get(), &QWidget::windowTitleChanged, this, [&](const QString& tytul) {
            if (tytul.endsWith(QLatin1String("krok 3 z 18"))) {
                okno->otworzPlik(mazovia);
            } else if (tytul.endsWith(QLatin1String("krok 9 z 18"))) {
                czekajNaOpis(wejscie());
                opisWTrakcie = wejscie()->toolTip();
                listaWTrakcie = zrodlo()->currentIndex();
            }
        });
        OknaModalne okna;
        QVERIFY2(okna.odtworz([this] { kliknij("Command1"); }), qPrintable(okna.blad()));
        QCOMPARE(listaWTrakcie, WINDOWS_EE);
        QVERIFY2(opisWTrakcie.contains(QStringLiteral("po zakończeniu konwersji")), qPrintable(opisWTrakcie));
        QCOMPARE(zrodlo()->currentIndex(), MAZOVIA);
        QVERIFY2(wejscie()->toolTip().contains(QStringLiteral("Rozpoznany standard: Mazovia.")) &&
                     !wejscie()->toolTip().contains(QStringLiteral("po zakończeniu")),
                 qPrintable(wejscie()->toolTip()));
    }

    // A file's verdict belongs to the file mode: in the text mode the list shows the
    // window's default again, and the file's verdict when the file mode comes back. A
    // choice by hand stays in both.
    void trybMaWlasnyWybor_data()
    {
        QTest::addColumn<bool>("recznie");
        QTest::newRow("wybór okna") << false;
        QTest::newRow("wybór ręczny") << true;
    }

    void trybMaWlasnyWybor()
    {
        QFETCH(bool, recznie);
        QVERIFY(podaj(Sposob::Argument, zapisz(QStringLiteral("mazovia.txt"), wStandardzie(PROZA, MAZOVIA))));
        QCOMPARE(zrodlo()->currentIndex(), MAZOVIA);
        if (recznie) {
            wybierzRecznie(true);
        }
        kliknij("Toolbar_0");
        const int wTekscie = recznie ? MAZOVIA : WINDOWS_EE;
        QCOMPARE(zrodlo()->currentIndex(), wTekscie);
        pole()->setPlainText(QStringLiteral("gęślą"));
        OknaModalne okna;
        QVERIFY2(okna.odtworz([this] { kliknij("Command1"); }), qPrintable(okna.blad()));
        const std::string gesla = wWindows1250("gęślą");
        QCOMPARE(pole()->tekst(),
                 jakoWindows1250(engine::test::KonwertujBajty(gesla, wTekscie, ISO_LATIN_2)));
        kliknij("Toolbar_1");
        QCOMPARE(zrodlo()->currentIndex(), MAZOVIA);
    }

    // A file that changed after its verdict, in length, in time or as another file under
    // its name, is recognised again at "Konwertuj" and converted from its new standard.
    void zmienionyPlikPrzedKonwersja_data()
    {
        QTest::addColumn<QString>("zmiana");
        QTest::newRow("inna długość") << "dlugosc";
        QTest::newRow("ten sam rozmiar, inny czas") << "czas";
        QTest::newRow("inny plik pod tą nazwą") << "wezel";
    }

    void zmienionyPlikPrzedKonwersja()
    {
        QFETCH(QString, zmiana);
        const QString sciezka = zapisz(QStringLiteral("zmieniany.txt"), wStandardzie(PROZA, MAZOVIA));
        const QString wynik = folder.filePath(QStringLiteral("wynik.txt"));
        QFile::remove(wynik);
        kliknij("Toolbar_1");
        kontrolka<QLineEdit>("Text3")->setText(wynik);
        QVERIFY(podaj(Sposob::Argument, sciezka));
        QCOMPARE(zrodlo()->currentIndex(), MAZOVIA);

        const QDateTime czas = QFileInfo(sciezka).lastModified();
        std::string nowa = wStandardzie(PROZA, IBM_LATIN_2);
        if (zmiana == QLatin1String("dlugosc")) {
            nowa += wStandardzie(" Dopisane zdanie.", IBM_LATIN_2);
            zapisz(QStringLiteral("zmieniany.txt"), nowa);
        } else if (zmiana == QLatin1String("czas")) {
            zapisz(QStringLiteral("zmieniany.txt"), nowa);
            QFile plik(sciezka);
            QVERIFY(plik.open(QIODevice::ReadWrite));
            QVERIFY(plik.setFileTime(czas.addSecs(10), QFileDevice::FileModificationTime));
        } else {
            QFile plik(zapisz(QStringLiteral("nowy.txt"), nowa));
            QVERIFY(plik.open(QIODevice::ReadWrite));
            QVERIFY(plik.setFileTime(czas, QFileDevice::FileModificationTime));
            plik.close();
            QVERIFY(::rename(QFile::encodeName(plik.fileName()).constData(),
                             QFile::encodeName(sciezka).constData()) == 0);
        }
        OknaModalne okna;
        QVERIFY2(okna.odtworz([this] { kliknij("Command1"); }), qPrintable(okna.blad()));
        QFile wyjscie(wynik);
        QVERIFY(wyjscie.open(QIODevice::ReadOnly));
        QVERIFY(wyjscie.readAll().toStdString() ==
                engine::test::KonwertujBajty(nowa, IBM_LATIN_2, ISO_LATIN_2));
        QCOMPARE(zrodlo()->currentIndex(), IBM_LATIN_2);
    }

    // An uncertain verdict that leaves out what the window selected selects the likeliest
    // and says so; a Mazovia page with a few UTF-8 characters gets its letters' verdict.
    void niepewnyBezWybranegoIZnakiUtf8()
    {
        QVERIFY(wklej(jakoWindows1250(wStandardzie("może", MAZOVIA))));
        QCOMPARE(zrodlo()->currentIndex(), MAZOVIA);
        QVERIFY2(pole()->toolTip().contains(QStringLiteral("najbardziej prawdopodobny: Mazovia")),
                 qPrintable(pole()->toolTip()));

        kliknij("Toolbar_1");
        QCOMPARE(zrodlo()->currentIndex(), WINDOWS_EE);
        const std::string strona =
            wStandardzie(PROZA, MAZOVIA) + "\n\xE2\x86\x92 punkt \xC2\xA9 2020 \xE2\x80\x93 \xC2\xBD\n";
        QVERIFY(podaj(Sposob::Argument, zapisz(QStringLiteral("strona.txt"), strona)));
        QCOMPARE(zrodlo()->currentIndex(), MAZOVIA);
        QVERIFY2(wejscie()->toolTip().contains(QStringLiteral("Rozpoznany standard: Mazovia.")),
                 qPrintable(wejscie()->toolTip()));
    }

    // A choice made in the list, before or after the text or file comes, is what
    // "Konwertuj" converts from.
    void recznyWybor_data()
    {
        QTest::addColumn<bool>("plik");
        QTest::addColumn<bool>("przed");
        QTest::addColumn<bool>("iZPowrotem");
        QTest::newRow("tekst, wybór przed wklejeniem") << false << true << false;
        QTest::newRow("tekst, wybór po wklejeniu") << false << false << false;
        QTest::newRow("tekst, wybór tego, co było") << false << true << true;
        QTest::newRow("plik, wybór przed podaniem") << true << true << false;
        QTest::newRow("plik, wybór po podaniu") << true << false << false;
        QTest::newRow("plik, wybór tego, co było") << true << true << true;
    }

    void recznyWybor()
    {
        QFETCH(bool, plik);
        QFETCH(bool, przed);
        QFETCH(bool, iZPowrotem);
        const std::string tresc = wStandardzie(PROZA, IBM_LATIN_2);
        const QString wynik = folder.filePath(QStringLiteral("wynik.txt"));
        if (plik) {
            kliknij("Toolbar_1");
            kontrolka<QLineEdit>("Text3")->setText(wynik);
        }
        if (przed) {
            wybierzRecznie(iZPowrotem);
        }
        QVERIFY(plik ? podaj(Sposob::Argument, zapisz(QStringLiteral("ibm.txt"), tresc))
                     : wklej(jakoWindows1250(tresc)));
        if (!przed) {
            QCOMPARE(zrodlo()->currentIndex(), IBM_LATIN_2);
            wybierzRecznie(iZPowrotem);
        }
        const int reczny = zrodlo()->currentIndex();
        QCOMPARE(reczny, (przed ? WINDOWS_EE : IBM_LATIN_2) + (iZPowrotem ? 0 : 1));
        QWidget* opisane = plik ? static_cast<QWidget*>(wejscie()) : pole();
        QCOMPARE(opisane->toolTip().contains(QStringLiteral("Zostaje wybrany ręcznie")), przed);

        OknaModalne okna;
        QVERIFY2(okna.odtworz([this] { kliknij("Command1"); }), qPrintable(okna.blad()));
        const std::string oczekiwany = engine::test::KonwertujBajty(tresc, reczny, ISO_LATIN_2);
        if (plik) {
            QFile wyjscie(wynik);
            QVERIFY(wyjscie.open(QIODevice::ReadOnly));
            QVERIFY(wyjscie.readAll().toStdString() == oczekiwany);
        } else {
            QCOMPARE(pole()->tekst(), jakoWindows1250(oczekiwany));
        }
        QCOMPARE(zrodlo()->currentIndex(), reczny);
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestRozpoznanie)
#include "test_rozpoznanie.moc"
