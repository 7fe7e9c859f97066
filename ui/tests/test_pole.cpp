#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTimer>
#include <QtTest>

#include <array>
#include <memory>

#include "engine/standardy.h"
#include "engine/tests/tekst_windows1250.h"
#include "ui/frmmain.h"
#include "ui/poletekstowe.h"
#include "ui/tests/gui_test.h"

using namespace ui;

namespace {

using engine::BRAK;
using engine::CYFROMAT;
using engine::ISO_LATIN_2;
using engine::MAZOVIA;
using engine::UTF8_INDEX;
using engine::WINDOWS_EE;

QString zKodow(std::initializer_list<char16_t> kody)
{
    QString tekst;
    for (const char16_t kod : kody) {
        tekst.append(QChar(kod));
    }
    return tekst;
}

QString wszystkieZnakiWindows1250()
{
    QString tekst;
    for (int b = 0; b < 256; ++b) {
        tekst.append(QChar(engine::ZnakWindows1250(static_cast<unsigned char>(b))));
    }
    return tekst;
}

const QString litery = QStringLiteral("ĄĆĘŁŃÓŚŹŻąćęłńóśźż");

// What the box shows after a conversion to UTF-8: the bytes read as Windows-1250.
QString jakoUtf8(const QString& tekst)
{
    return QString::fromStdU16String(engine::DekodujWindows1250(tekst.toUtf8().toStdString()));
}

}  // namespace

class TestPole : public TestOkna {
    Q_OBJECT

private:
    PoleTekstowe* pole() { return kontrolka<PoleTekstowe>("Text1"); }

    void konwertuj(int zrodlo, int cel)
    {
        kontrolka<QComboBox>("Combo1")->setCurrentIndex(zrodlo);
        kontrolka<QComboBox>("Combo2")->setCurrentIndex(cel);
        OknaModalne okna;
        QVERIFY2(okna.odtworz([this] { kliknij("Command1"); }), qPrintable(okna.blad()));
        QVERIFY(okna.komunikaty().isEmpty());
    }

    void zaznaczOd(int poczatek, int dlugosc)
    {
        QTextCursor kursor = pole()->textCursor();
        kursor.setPosition(poczatek);
        kursor.setPosition(poczatek + dlugosc, QTextCursor::KeepAnchor);
        pole()->setTextCursor(kursor);
    }

    void wklej(const QString& tekst)
    {
        QGuiApplication::clipboard()->setText(tekst);
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), tekst);
        kliknij("Command2");
    }

private slots:
    void init() { QVERIFY(otworzOkno()); }

    void cleanup() { zamknijOkno(); }

    // Edits, undo and redo keep every untouched line break as it was.
    void edycjaICofanie()
    {
        const QString mieszany =
            QStringLiteral("a\rb\nc\r\nd") + QChar(0xFDD0) + QStringLiteral("e") + QChar(0x2029);
        pole()->ustawTekst(mieszany);
        pole()->setFocus();
        QTextCursor kursor = pole()->textCursor();
        kursor.setPosition(3);  // after "b", before its LF
        pole()->setTextCursor(kursor);
        QTest::keyClick(pole(), Qt::Key_Delete);
        QCOMPARE(pole()->tekst(),
                 QStringLiteral("a\rbc\r\nd") + QChar(0xFDD0) + QStringLiteral("e") + QChar(0x2029));
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), mieszany);
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pole()->tekst(),
                 QStringLiteral("a\rbc\r\nd") + QChar(0xFDD0) + QStringLiteral("e") + QChar(0x2029));
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);

        QTest::keyClick(pole(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pole(), Qt::Key_Delete);
        QVERIFY(pole()->tekst().isEmpty());
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), mieszany);
    }

    // A new line takes the break of the line it was split from, and a lone CR typed
    // before an LF cannot melt into one break with it.
    void nowyWiersz()
    {
        pole()->ustawTekst(QStringLiteral("x\ra\nb"));
        pole()->setFocus();
        QTextCursor kursor = pole()->textCursor();
        kursor.setPosition(3);  // after "a"
        pole()->setTextCursor(kursor);
        QTest::keyClick(pole(), Qt::Key_Return);
        QCOMPARE(pole()->tekst(), QStringLiteral("x\ra\r\n\nb"));
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), QStringLiteral("x\ra\nb"));
    }

    // The editor's own cut, copy and paste carry the exact text too.
    void schowekEdytora()
    {
        const QString tekst = QStringLiteral("w") + QChar(0xA0) + QStringLiteral("domu") + QChar(0x2028) +
                              QStringLiteral("i\r\nna\rdworze");
        pole()->ustawTekst(tekst);
        pole()->setFocus();
        QTest::keyClick(pole(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pole(), Qt::Key_C, Qt::ControlModifier);
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), tekst);
        QTest::keyClick(pole(), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(pole()->tekst().isEmpty());
        QTest::keyClick(pole(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(pole(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), tekst + tekst);

        // Pasted breaks keep their kind in a text of another kind.
        pole()->ustawTekst(QStringLiteral("a\nb"));
        QGuiApplication::clipboard()->setText(QStringLiteral("x\r\ny\rz"));
        QTest::keyClick(pole(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(pole(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), QStringLiteral("a\nbx\r\ny\rz"));
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), QStringLiteral("a\nb"));
    }

    // Paste, a conversion with one standard on both lists and a copy give back the
    // pasted text character for character.
    void wklejKonwertujKopiuj_data()
    {
        QTest::addColumn<QString>("tekst");
        QTest::newRow("CR LF") << "Zażółć\r\ngęślą\r\njaźń\r\n";
        QTest::newRow("LF") << "Zażółć\ngęślą\njaźń";
        QTest::newRow("CR") << "Zażółć\rgęślą\rjaźń\r";
        QTest::newRow("mieszane") << "a\r\nb\nc\rd\r\n\n\r\r\ne";
        QTest::newRow("NUL") << QString::fromUtf16(u"a\0b\0\r\n\0", 7);
        QTest::newRow("sterujące") << zKodow({0x81, 0x83, 0x88, 0x90, 0x98, '\r', '\n', 0x81});
        QTest::newRow("separatory Unicode") << zKodow({'a', 0x2028, 'b', 0x2029, 'c', 0xA0, 'd'});
        QTest::newRow("Windows-1250") << wszystkieZnakiWindows1250();
        QTest::newRow("poza stroną kodową") << zKodow({0x4E2D, 0xD83D, 0xDE00, 0xD800, 'x', 0xFEFF});
    }

    void wklejKonwertujKopiuj()
    {
        QFETCH(QString, tekst);
        wklej(tekst);
        QCOMPARE(pole()->tekst(), tekst);
        QCOMPARE(pole()->textCursor().position(), pole()->document()->characterCount() - 1);
        // The click put the focus on the button; pasting leaves it there.
        QCOMPARE(QApplication::focusWidget(), kontrolka<QPushButton>("Command2"));

        for (int standard : {WINDOWS_EE, CYFROMAT, UTF8_INDEX}) {
            konwertuj(standard, standard);
            QCOMPARE(pole()->tekst(), tekst);
        }
        kliknij("Command3");
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), tekst);
        QCOMPARE(QApplication::focusWidget(), pole());
    }

    void konwersjaDoUtf8IZpowrotem()
    {
        const QString tekst = QStringLiteral("Zażółć gęślą jaźń\r\n") + litery + QStringLiteral("\r\n");
        wklej(tekst);
        konwertuj(WINDOWS_EE, UTF8_INDEX);
        QVERIFY(pole()->tekst().contains(QStringLiteral("Ä…")));
        QCOMPARE(pole()->tekst(), jakoUtf8(tekst));
        kliknij("Command3");
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), pole()->tekst());

        konwertuj(UTF8_INDEX, WINDOWS_EE);
        QCOMPARE(pole()->tekst(), tekst);
        konwertuj(WINDOWS_EE, BRAK);
        QCOMPARE(pole()->tekst(), QStringLiteral("Zazolc gesla jazn\r\nACELNOSZZacelnoszz\r\n"));
    }

    void zaznaczenieWracaNaMiejsce_data()
    {
        QTest::addColumn<int>("zrodlo");
        QTest::addColumn<int>("cel");
        QTest::addColumn<int>("poczatek");
        QTest::addColumn<int>("dlugosc");
        QTest::addColumn<int>("oczekiwanyPoczatek");
        QTest::addColumn<int>("oczekiwanaDlugosc");
        QTest::newRow("bez zmiany długości") << 11 << 2 << 3 << 5 << 3 << 5;
        QTest::newRow("do UTF-8") << 11 << 17 << 3 << 5 << 3 << 5;
        QTest::newRow("z UTF-8, krótszy tekst") << 17 << 11 << 30 << 10 << 30 << 6;
        QTest::newRow("z UTF-8, za końcem tekstu") << 17 << 11 << 45 << 3 << 36 << 0;
        QTest::newRow("sam kursor") << 11 << 17 << 7 << 0 << 7 << 0;
    }

    void zaznaczenieWracaNaMiejsce()
    {
        QFETCH(int, zrodlo);
        QFETCH(int, cel);
        QFETCH(int, poczatek);
        QFETCH(int, dlugosc);
        QFETCH(int, oczekiwanyPoczatek);
        QFETCH(int, oczekiwanaDlugosc);
        const QString ee = litery + litery;
        wklej(zrodlo == 17 ? jakoUtf8(ee) : ee);
        QTextCursor kursor = pole()->textCursor();
        kursor.setPosition(poczatek);
        kursor.setPosition(poczatek + dlugosc, QTextCursor::KeepAnchor);
        pole()->setTextCursor(kursor);

        konwertuj(zrodlo, cel);
        QCOMPARE(pole()->textCursor().selectionStart(), oczekiwanyPoczatek);
        QCOMPARE(pole()->textCursor().selectionEnd() - pole()->textCursor().selectionStart(),
                 oczekiwanaDlugosc);
        QCOMPARE(QApplication::focusWidget(), pole());
    }

    void pustePole()
    {
        QSignalSpy tytuly(okno.get(), &QWidget::windowTitleChanged);
        konwertuj(WINDOWS_EE, UTF8_INDEX);
        QCOMPARE(tytuly.size(), 19);
        for (int krok = 1; krok <= 18; ++krok) {
            QCOMPARE(tytuly.at(krok - 1).at(0).toString(), frmMain::tekstKroku(okno->Tag(), krok));
        }
        QCOMPARE(okno->windowTitle(), okno->Tag());
        QVERIFY(pole()->tekst().isEmpty());
        QCOMPARE(QApplication::focusWidget(), pole());
    }

    // The mode buttons stay usable during a conversion, the clipboard buttons do not.
    void przyciskiSchowkaWTrakcie()
    {
        wklej(litery);
        QGuiApplication::clipboard()->setText(QStringLiteral("w schowku"));
        QStringList stan;
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(), [&, this](const QString& tytul) {
            if (tytul.endsWith(QLatin1String("krok 3 z 18"))) {
                kliknij("Toolbar_1");
                kliknij("Toolbar_0");
                for (const char* nazwa : {"Command1", "Command2", "Command3", "Command4", "Command5"}) {
                    stan << QStringLiteral("%1=%2").arg(nazwa).arg(
                        kontrolka<QPushButton>(nazwa)->isEnabled());
                }
                stan << QStringLiteral("Text1=%1").arg(pole()->isEnabled());
                kliknij("Command3");
            }
        });
        konwertuj(WINDOWS_EE, ISO_LATIN_2);
        QCOMPARE(stan, (QStringList{"Command1=0", "Command2=0", "Command3=0", "Command4=0", "Command5=0",
                                    "Text1=0"}));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("w schowku"));
        QVERIFY(kontrolka<QPushButton>("Command2")->isEnabled());
        QVERIFY(kontrolka<QPushButton>("Command3")->isEnabled());
    }

    void przyciskiSchowkaPoKonwersji()
    {
        wklej(litery);
        konwertuj(WINDOWS_EE, MAZOVIA);
        QVERIFY(kontrolka<QPushButton>("Command2")->isEnabled());
        QVERIFY(kontrolka<QPushButton>("Command3")->isEnabled());
        QVERIFY(pole()->isEnabled());
        kliknij("Toolbar_1");
        QVERIFY(!kontrolka<QPushButton>("Command2")->isEnabled());
        QVERIFY(!kontrolka<QPushButton>("Command3")->isEnabled());
    }

    // Typing keeps the pasted text's line breaks and gives new lines the same kind.
    void edycjaZachowujePodzialy()
    {
        wklej(QStringLiteral("a\r\nb\r\nc"));
        pole()->setFocus();
        QTest::keyClick(pole(), Qt::Key_End, Qt::ControlModifier);
        QTest::sendKeyEvent(QTest::Click, pole(), Qt::Key_unknown, QStringLiteral("ł"), Qt::NoModifier);
        QTest::keyClick(pole(), Qt::Key_Return);
        QTest::sendKeyEvent(QTest::Click, pole(), Qt::Key_unknown, QStringLiteral("ż"), Qt::NoModifier);
        QTest::keyClick(pole(), Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(pole(), Qt::Key_Delete);
        QCOMPARE(pole()->tekst(), QStringLiteral("\r\nb\r\ncł\r\nż"));
        konwertuj(WINDOWS_EE, UTF8_INDEX);
        kliknij("Command3");
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), jakoUtf8(QStringLiteral("\r\nb\r\ncł\r\nż")));
    }

    // A conversion is one edit: Ctrl+Z brings back the text as it was, Ctrl+Shift+Z the
    // converted one; the paste before it is one edit too.
    void cofniecieKonwersji()
    {
        const QString tekst = QStringLiteral("Zażółć\r\ngęślą\rjaźń\n\n") + litery;
        wklej(tekst);
        pole()->setFocus();
        zaznaczOd(3, 4);
        konwertuj(11, 17);
        const QString poKonwersji = jakoUtf8(tekst);
        QCOMPARE(pole()->tekst(), poKonwersji);
        QCOMPARE(pole()->textCursor().selectionStart(), 3);
        QCOMPARE(pole()->textCursor().selectedText().size(), 4);
        QCOMPARE(QApplication::focusWidget(), pole());

        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), tekst);
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pole()->tekst(), poKonwersji);
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), tekst);
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(pole()->tekst().isEmpty());

        // Typed text, then a paste over it and a conversion: each undone on its own.
        QTest::keyClicks(pole(), QStringLiteral("abc"));
        wklej(QStringLiteral("ą"));
        pole()->setFocus();
        konwertuj(11, 0);
        QCOMPARE(pole()->tekst(), QStringLiteral("a"));
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), QStringLiteral("ą"));
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), QStringLiteral("abc"));
    }

    // A leading byte order mark from another program survives the paste button, Ctrl+V
    // and the way back to the clipboard, whether the program names the text's encoding or
    // offers only UTF8_STRING, as a terminal does.
    void znacznikKolejnosciBajtow_data()
    {
        QTest::addColumn<QString>("rodzaj");
        QTest::newRow("z nazwą kodowania") << QStringLiteral("text/plain;charset=utf-8");
        QTest::newRow("tylko UTF8_STRING") << QStringLiteral("UTF8_STRING");
    }

    void znacznikKolejnosciBajtow()
    {
        QFETCH(QString, rodzaj);
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
            QSKIP("xclip is not installed");
        }
        const QByteArray bajty = QByteArray("\xEF\xBB\xBF") + QStringLiteral("zażółć\r\n").toUtf8() +
                                 QByteArray("\xEF\xBB\xBF") + "abc";
        const QString tekst = QChar(0xFEFF) + QStringLiteral("zażółć\r\n") + QChar(0xFEFF) + "abc";

        // xclip owns the clipboard until something else takes it, offering the one target.
        QProcess wlasciciel;
        wlasciciel.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", rodzaj, "-quiet"});
        QVERIFY(wlasciciel.waitForStarted());
        wlasciciel.write(bajty);
        wlasciciel.closeWriteChannel();
        QTRY_VERIFY(!QGuiApplication::clipboard()->ownsClipboard() &&
                    QGuiApplication::clipboard()->text().endsWith(QLatin1String("abc")));

        kliknij("Command2");
        QCOMPARE(pole()->tekst(), tekst);
        pole()->clear();
        pole()->setFocus();
        QTest::keyClick(pole(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), tekst);

        kliknij("Command3");
        QVERIFY(wlasciciel.waitForFinished(10000));
        // The window answers xclip from its event loop: no blocking wait here.
        QProcess odczyt;
        odczyt.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-o"});
        QTRY_COMPARE_WITH_TIMEOUT(odczyt.state(), QProcess::NotRunning, 10000);
        QCOMPARE(odczyt.readAllStandardOutput(), bajty);
    }

    void pustySchowek()
    {
        wklej(QStringLiteral("coś"));
        QGuiApplication::clipboard()->clear();
        QTRY_VERIFY(QGuiApplication::clipboard()->text().isEmpty());
        kliknij("Command2");
        QVERIFY(pole()->tekst().isEmpty());
    }

    // Megabytes of paragraphs with every kind of break, lines of every length up to a
    // hundred: the paste lets the window's events run while the box takes them, with the
    // working controls off, and the box gives back the text exactly; Ctrl+Z takes back the
    // whole paste at once.
    void dlugiTekstWklejanyPoKawalku()
    {
        const std::array<QString, 6> podzialy = {QStringLiteral("\r\n"), QStringLiteral("\n"),
                                                 QStringLiteral("\r"),   zKodow({0x2029}),
                                                 zKodow({0xFDD0}),       zKodow({0xFDD1})};
        QString tekst;
        for (int wiersz = 0; tekst.size() < 3 * 1024 * 1024; ++wiersz) {
            tekst += litery.left(1 + wiersz % 17).repeated(1 + wiersz % 7);
            tekst += podzialy[static_cast<std::size_t>(wiersz % 13 == 0 ? wiersz / 13 % 6 : 0)];
        }
        wklej(QStringLiteral("przedtem"));
        QGuiApplication::clipboard()->setText(tekst);
        QTRY_COMPARE(QGuiApplication::clipboard()->text().size(), tekst.size());

        int obroty = 0;
        QStringList wlaczone;
        QTimer zegar;
        connect(&zegar, &QTimer::timeout, this, [&] {
            ++obroty;
            for (const char* nazwa : {"Text1", "Command1", "Command2", "Command3"}) {
                if (okno->findChild<QWidget*>(QString::fromLatin1(nazwa))->isEnabled()) {
                    wlaczone << QString::fromLatin1(nazwa);
                }
            }
        });
        zegar.start(1);
        kliknij("Command2");
        zegar.stop();
        QVERIFY(obroty > 0);
        QVERIFY2(wlaczone.isEmpty(), qPrintable(wlaczone.join(' ')));
        QVERIFY(pole()->tekst() == tekst);
        QVERIFY(kontrolka<QPushButton>("Command1")->isEnabled());

        pole()->setFocus();
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pole()->tekst(), QStringLiteral("przedtem"));
        QTest::keyClick(pole(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(pole()->tekst() == tekst);
    }

    void duzyTekst()
    {
        QString tekst;
        const QString wiersz = QStringLiteral("Zażółć gęślą jaźń, ZAŻÓŁĆ GĘŚLĄ JAŹŃ.\r\n");
        while (tekst.size() < 5 * 1024 * 1024) {
            tekst += wiersz;
        }
        wklej(tekst);
        konwertuj(WINDOWS_EE, UTF8_INDEX);
        konwertuj(UTF8_INDEX, WINDOWS_EE);
        kliknij("Command3");
        QTRY_COMPARE(QGuiApplication::clipboard()->text().size(), tekst.size());
        QVERIFY(QGuiApplication::clipboard()->text() == tekst);
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestPole)
#include "test_pole.moc"
