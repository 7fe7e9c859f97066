#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "ui/frmmain.h"
#include "ui/tests/gui_test.h"

using namespace ui;

namespace {

QMimeData* plikiDoUpuszczenia(const QStringList& sciezki)
{
    auto* dane = new QMimeData;
    QList<QUrl> adresy;
    for (const QString& sciezka : sciezki) {
        adresy << QUrl::fromLocalFile(sciezka);
    }
    dane->setUrls(adresy);
    // File managers put the names as text too, which a text box would paste.
    dane->setText(sciezki.join(QLatin1Char('\n')));
    return dane;
}

// Drags the data onto the widget and drops it there, as a file manager does; true when
// the widget took the drop.
bool upusc(QWidget* cel, const QMimeData& dane)
{
    const QPointF srodek = QRectF(cel->rect()).center();
    QDragEnterEvent wejscie(srodek.toPoint(), Qt::CopyAction, &dane, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cel, &wejscie);
    if (!wejscie.isAccepted()) {
        return false;
    }
    QDropEvent upuszczenie(srodek, Qt::CopyAction, &dane, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cel, &upuszczenie);
    return upuszczenie.isAccepted();
}

// Runs a program and gives its output, or a failed check's message.
QString uruchom(const QString& program, const QStringList& argumenty, int* kod = nullptr)
{
    QProcess proces;
    proces.start(program, argumenty);
    if (!proces.waitForFinished(30000)) {
        return QStringLiteral("%1 nie zakończył się: %2").arg(program, proces.errorString());
    }
    if (kod != nullptr) {
        *kod = proces.exitCode();
    }
    return QString::fromUtf8(proces.readAllStandardOutput()).trimmed();
}

}  // namespace

class TestPulpit : public TestOkna {
    Q_OBJECT

private:
    QTemporaryDir folder;

    QString plik(const char* nazwa)
    {
        const QString sciezka = folder.filePath(QString::fromLatin1(nazwa));
        QFile(sciezka).open(QIODevice::WriteOnly);
        return sciezka;
    }

    void wTrybiePlikuZ(const QString& wejscie)
    {
        QVERIFY(!okno->trybTekstowy());
        QVERIFY(przycisk("Toolbar_1")->isChecked());
        QVERIFY(kontrolka<QGroupBox>("Frame3")->isVisible());
        QVERIFY(!kontrolka<QGroupBox>("Frame2")->isVisible());
        QVERIFY(!przycisk("Command2")->isEnabled());
        QVERIFY(!przycisk("Command3")->isEnabled());
        QCOMPARE(kontrolka<QLineEdit>("Text2")->text(), wejscie);
    }

    // The program as a process on the display given, with its window shown: the process
    // and the window's X id.
    static QString uruchomOkno(QProcess& program, const QString& ekran,
                               QProcessEnvironment srodowisko = QProcessEnvironment::systemEnvironment())
    {
        srodowisko.insert(QStringLiteral("DISPLAY"), ekran);
        if (!srodowisko.contains(QStringLiteral("WAYLAND_DISPLAY"))) {
            srodowisko.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        }
        program.setProcessEnvironment(srodowisko);
        program.start(QStringLiteral(ZNAKOMAT), {});
        if (!program.waitForStarted()) {
            return {};
        }
        QProcess szukaj;
        szukaj.setProcessEnvironment(srodowisko);
        szukaj.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--pid"), QString::number(program.processId())});
        if (!szukaj.waitForFinished(60000)) {
            szukaj.kill();
            szukaj.waitForFinished();
            return {};
        }
        return QString::fromLatin1(szukaj.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0);
    }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void init() { QVERIFY(otworzOkno()); }

    void cleanup() { zamknijOkno(); }

    void plikZWierszaPolecen_data()
    {
        QTest::addColumn<QStringList>("argumenty");
        QTest::addColumn<bool>("poprawne");
        QTest::addColumn<QString>("wejscie");
        QTest::newRow("bez argumentów") << QStringList{} << true << QString();
        QTest::newRow("plik") << QStringList{"lista.txt"} << true << "lista.txt";
        QTest::newRow("ścieżka ze spacjami")
            << QStringList{"/tmp/moje pliki/ą ę.txt"} << true << "/tmp/moje pliki/ą ę.txt";
        QTest::newRow("nazwa jak opcja, po --") << QStringList{"--", "-v.txt"} << true << "-v.txt";
        QTest::newRow("dwa pliki") << QStringList{"a.txt", "b.txt"} << false << QString();
        QTest::newRow("nieznana opcja") << QStringList{"--nowy", "a.txt"} << false << QString();
        QTest::newRow("nieznana opcja po jednym łączniku") << QStringList{"-nowy"} << false << QString();
        // Qt's own options are Qt's, their values too, after one dash or two.
        QTest::newRow("opcje Qt z wartościami")
            << QStringList{"-platform", "xcb", "--style", "Fusion", "-display", ":0", "a.txt"} << true
            << "a.txt";
        QTest::newRow("opcje Qt z =")
            << QStringList{"-style=Fusion", "a.txt", "-qwindowtitle=x"} << true << "a.txt";
        QTest::newRow("opcje Qt bez wartości")
            << QStringList{"-reverse", "a.txt", "-nograb"} << true << "a.txt";
        QTest::newRow("opcja Qt bez swojej wartości") << QStringList{"-platform"} << false << QString();
    }

    void plikZWierszaPolecen()
    {
        QFETCH(QStringList, argumenty);
        QFETCH(bool, poprawne);
        QFETCH(QString, wejscie);
        const std::optional<QString> plik = ::plikZWierszaPolecen(QStringList{"znakomat"} + argumenty);
        QCOMPARE(plik.has_value(), poprawne);
        if (poprawne) {
            QCOMPARE(*plik, wejscie);
        }
    }

    // The program itself: help, version and a wrong command line end it before any window.
    void wierszPolecenProgramu()
    {
        int kod = -1;
        QVERIFY(uruchom(QStringLiteral(ZNAKOMAT), {"--version"}, &kod).endsWith(QStringLiteral(" 1.2")));
        QCOMPARE(kod, 0);
        QVERIFY(uruchom(QStringLiteral(ZNAKOMAT), {"-h"}, &kod).contains(QStringLiteral("[plik]")));
        QCOMPARE(kod, 0);
        QCOMPARE(uruchom(QStringLiteral(ZNAKOMAT), {"a.txt", "b.txt"}, &kod), QString());
        QCOMPARE(kod, 2);
    }

    // A file given at start is the one opened from the desktop; without one the window
    // starts in the text-box mode as always.
    void otwarciePliku()
    {
        QVERIFY(okno->trybTekstowy());
        const QString wejscie = plik("wejscie.txt");
        okno->otworzPlik(wejscie);
        wTrybiePlikuZ(wejscie);
        QVERIFY(kontrolka<QLineEdit>("Text3")->text().isEmpty());
        QCOMPARE(kontrolka<QComboBox>("Combo1")->currentText(), QStringLiteral("Windows-EE"));
        QCOMPARE(kontrolka<QComboBox>("Combo2")->currentText(), QStringLiteral("ISO-Latin-2"));
    }

    // Dropped on the output box, a file becomes the output; dropped anywhere else, in
    // either mode, the input. The text boxes do not paste its name.
    void upuszczeniePliku_data()
    {
        QTest::addColumn<bool>("trybPliku");
        QTest::addColumn<QString>("cel");
        QTest::addColumn<bool>("wyjscie");
        QTest::newRow("tekst: okno") << false << "frmMain" << false;
        QTest::newRow("tekst: pole tekstowe") << false << "Text1" << false;
        QTest::newRow("plik: okno") << true << "frmMain" << false;
        QTest::newRow("plik: pole wejścia") << true << "Text2" << false;
        QTest::newRow("plik: pole wyjścia") << true << "Text3" << true;
    }

    void upuszczeniePliku()
    {
        QFETCH(bool, trybPliku);
        QFETCH(QString, cel);
        QFETCH(bool, wyjscie);
        if (trybPliku) {
            przycisk("Toolbar_1")->click();
            kontrolka<QLineEdit>("Text2")->setText(QStringLiteral("stary.txt"));
        }
        QWidget* widget = cel == QLatin1String("frmMain") ? okno.get() : okno->findChild<QWidget*>(cel);
        if (auto* pole = qobject_cast<QPlainTextEdit*>(widget)) {
            widget = pole->viewport();
        }
        const QString upuszczony = plik("upuszczony.txt");
        const std::unique_ptr<QMimeData> dane(plikiDoUpuszczenia({upuszczony}));
        QVERIFY(upusc(widget, *dane));
        wTrybiePlikuZ(wyjscie ? QStringLiteral("stary.txt") : upuszczony);
        QCOMPARE(kontrolka<QLineEdit>("Text3")->text(), wyjscie ? upuszczony : QString());
        QVERIFY(kontrolka<QPlainTextEdit>("Text1")->toPlainText().isEmpty());
    }

    // Several files, a folder or plain text are not a file to open.
    void upuszczenieInnychDanych()
    {
        const std::unique_ptr<QMimeData> dwa(plikiDoUpuszczenia({plik("a.txt"), plik("b.txt")}));
        QVERIFY(!upusc(okno.get(), *dwa));
        const std::unique_ptr<QMimeData> katalog(plikiDoUpuszczenia({folder.path()}));
        QVERIFY(!upusc(okno.get(), *katalog));
        QVERIFY(okno->trybTekstowy());

        // Text still drops into the text box as text.
        QMimeData tekst;
        tekst.setText(QStringLiteral("zażółć"));
        QVERIFY(upusc(kontrolka<QPlainTextEdit>("Text1")->viewport(), tekst));
        QCOMPARE(kontrolka<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("zażółć"));
        QVERIFY(okno->trybTekstowy());
    }

    void klawiszZatwierdzenia_data()
    {
        QTest::addColumn<int>("klawisz");
        QTest::addColumn<int>("modyfikatory");
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    }

    // Return and Enter press the focused button, as Space does, and nothing else.
    void klawiszZatwierdzenia()
    {
        QFETCH(int, klawisz);
        QFETCH(int, modyfikatory);
        const auto nacisnij = [&](QPushButton* button) {
            button->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), button);
            QTest::keyClick(button, Qt::Key(klawisz), Qt::KeyboardModifiers(modyfikatory));
        };

        // A mode button switches the mode.
        nacisnij(przycisk("Toolbar_1"));
        QVERIFY(!okno->trybTekstowy());
        nacisnij(przycisk("Toolbar_0"));
        QVERIFY(okno->trybTekstowy());

        // "Konwertuj" converts the box.
        auto* pole = kontrolka<QPlainTextEdit>("Text1");
        QGuiApplication::clipboard()->setText(QStringLiteral("\u0105"));
        nacisnij(przycisk("Command2"));
        QCOMPARE(pole->toPlainText(), QStringLiteral("\u0105"));
        kontrolka<QComboBox>("Combo2")->setCurrentText(QStringLiteral("brak"));
        QSignalSpy klikniecia(przycisk("Command1"), &QPushButton::clicked);
        nacisnij(przycisk("Command1"));
        QCOMPARE(klikniecia.size(), 1);
        QCOMPARE(pole->toPlainText(), QStringLiteral("a"));

        // With a modifier the key is not the button's.
        QSignalSpy wyjscie(przycisk("Command5"), &QPushButton::clicked);
        przycisk("Command5")->setFocus();
        QTest::keyClick(przycisk("Command5"), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(wyjscie.size(), 0);
    }

    // The window's icon at each scale of the screen: the 32-pixel picture with every pixel
    // a square block, never a smooth enlargement.
    void ostraIkona_data()
    {
        QTest::addColumn<int>("skala");
        QTest::newRow("1×") << 1;
        QTest::newRow("2×") << 2;
        QTest::newRow("3×") << 3;
    }

    void ostraIkona()
    {
        QFETCH(int, skala);
        const QImage wzor = QImage(QStringLiteral(ZNAKOMAT_XPM)).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(wzor.size(), QSize(32, 32));
        const QImage ikona =
            okno->windowIcon().pixmap(QSize(32, 32), skala).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(ikona.size(), wzor.size() * skala);
        int rozne = 0;
        for (int y = 0; y < ikona.height(); ++y) {
            for (int x = 0; x < ikona.width(); ++x) {
                rozne += ikona.pixel(x, y) != wzor.pixel(x / skala, y / skala) ? 1 : 0;
            }
        }
        QCOMPARE(rozne, 0);
    }

    // Without a usable display the program explains itself in Polish and ends with status 1,
    // never with Qt's abort; help, the version and a wrong command line need no display at
    // all. The variables given replace the display's variables of the test's environment,
    // "-" removes one; what the program writes on standard error begins as `bledy` matches.
    void bezEkranu_data()
    {
        QTest::addColumn<QStringList>("zmienne");
        QTest::addColumn<QStringList>("argumenty");
        QTest::addColumn<int>("kod");
        QTest::addColumn<QString>("wyjscie");
        QTest::addColumn<QString>("bledy");
        const QStringList bezEkranu{"DISPLAY=-", "WAYLAND_DISPLAY=-", "QT_QPA_PLATFORM=-"};
        const QString brakPolaczenia = QStringLiteral("znakomat: nie mogę otworzyć okna: brak połączenia");
        QTest::newRow("brak ekranu") << bezEkranu << QStringList{} << 1 << QString()
                                     << "znakomat: brak ekranu graficznego";
        QTest::newRow("nieistniejący DISPLAY")
            << QStringList{"DISPLAY=:59876", "WAYLAND_DISPLAY=-", "QT_QPA_PLATFORM=xcb"} << QStringList{} << 1
            << QString() << brakPolaczenia;
        QTest::newRow("ekran odmawia połączenia")
            << QStringList{"DISPLAY=127.0.0.1:@", "WAYLAND_DISPLAY=-", "QT_QPA_PLATFORM=xcb"} << QStringList{}
            << 1 << QString() << brakPolaczenia;
        QTest::newRow("Wayland bez kompozytora")
            << QStringList{"DISPLAY=-", "WAYLAND_DISPLAY=wayland-brak", "QT_QPA_PLATFORM=wayland"}
            << QStringList{} << 1 << QString() << brakPolaczenia;
        QTest::newRow("brak wtyczki platformy")
            << QStringList{"QT_QPA_PLATFORM=platforma-ktorej-nie-ma"} << QStringList{} << 1 << QString()
            << "znakomat: brak wtyczki Qt dla platformy graficznej „platforma-ktorej-nie-ma”";
        QTest::newRow("--version bez ekranu") << bezEkranu << QStringList{"--version"} << 0 << "znakomat 1.2"
                                              << "";
        QTest::newRow("-V bez ekranu") << bezEkranu << QStringList{"-V"} << 0 << "znakomat 1.2"
                                       << "";
        QTest::newRow("--help bez ekranu") << bezEkranu << QStringList{"--help"} << 0 << "[plik]"
                                           << "";
        QTest::newRow("--version obok opcji Qt")
            << bezEkranu << QStringList{"-platform", "xcb", "--version"} << 0 << "znakomat 1.2"
            << "";
        const QString uzycie = QStringLiteral("\nSposób użycia: znakomat \\[opcje\\] \\[plik\\] .*\n$");
        QTest::newRow("nieznana opcja bez ekranu") << bezEkranu << QStringList{"--bogus"} << 2 << QString()
                                                   << "znakomat: Nieznana opcja \"bogus\"." + uzycie;
        QTest::newRow("nieznana opcja z ekranem")
            << QStringList{} << QStringList{"-bogus", "a.txt"} << 2 << QString()
            << "znakomat: Nieznana opcja \"bogus\"." + uzycie;
        QTest::newRow("dwa pliki bez ekranu") << bezEkranu << QStringList{"a.txt", "b.txt"} << 2 << QString()
                                              << "znakomat: podaj najwyżej jeden plik wejściowy" + uzycie;
        QTest::newRow("opcja Qt bez ekranu") << bezEkranu << QStringList{"-style", "Fusion", "a.txt"} << 1
                                             << QString() << "znakomat: brak ekranu graficznego";
    }

    void bezEkranu()
    {
        QFETCH(QStringList, zmienne);
        QFETCH(QStringList, argumenty);
        QFETCH(int, kod);
        QFETCH(QString, wyjscie);
        QFETCH(QString, bledy);
        // A display that accepts the connection and closes it at once.
        QTcpServer odmawiajacy;
        int numerEkranu = 50;
        while (numerEkranu < 100 && !odmawiajacy.listen(QHostAddress::LocalHost, 6000 + numerEkranu)) {
            ++numerEkranu;
        }
        QVERIFY(odmawiajacy.isListening());
        connect(&odmawiajacy, &QTcpServer::newConnection, &odmawiajacy, [&odmawiajacy] {
            while (QTcpSocket* polaczenie = odmawiajacy.nextPendingConnection()) {
                polaczenie->abort();
                polaczenie->deleteLater();
            }
        });
        QTemporaryDir katalogSesji;
        QProcessEnvironment srodowisko = QProcessEnvironment::systemEnvironment();
        srodowisko.insert(QStringLiteral("XDG_RUNTIME_DIR"), katalogSesji.path());
        for (const QString& zmienna : zmienne) {
            const QString nazwa = zmienna.section(QLatin1Char('='), 0, 0);
            QString wartosc = zmienna.section(QLatin1Char('='), 1);
            if (wartosc == QLatin1String("-")) {
                srodowisko.remove(nazwa);
            } else {
                srodowisko.insert(nazwa, wartosc.replace(QLatin1Char('@'), QString::number(numerEkranu)));
            }
        }
        QProcess program;
        program.setProcessEnvironment(srodowisko);
        program.start(QStringLiteral(ZNAKOMAT), argumenty);
        QVERIFY(program.waitForStarted());
        // The server answers from this event loop while the program tries to connect.
        QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 30000);
        const QString wypisane = QString::fromUtf8(program.readAllStandardOutput());
        const QString bledyProgramu = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == kod, qPrintable(bledyProgramu));
        QVERIFY2(wypisane.contains(wyjscie), qPrintable(wypisane));
        if (bledy.isEmpty()) {
            QCOMPARE(bledyProgramu, QString());
        } else {
            const QRegularExpression wzor(QStringLiteral("\\A") + bledy,
                                          QRegularExpression::DotMatchesEverythingOption);
            QVERIFY2(wzor.match(bledyProgramu).hasMatch(), qPrintable(bledyProgramu));
        }
        QVERIFY2(!bledyProgramu.contains(QLatin1String("Reinstalling")), qPrintable(bledyProgramu));
    }

    // A Wayland session that also offers X: the window goes to X, where the compositor
    // draws a title bar without minimise and maximise buttons; Qt's own bar on Wayland has them.
    void waylandZX()
    {
        QProcessEnvironment srodowisko = QProcessEnvironment::systemEnvironment();
        srodowisko.remove(QStringLiteral("QT_QPA_PLATFORM"));
        srodowisko.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-brak"));
        srodowisko.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        srodowisko.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
        QProcess program;
        const QString idOkna = uruchomOkno(program, qEnvironmentVariable("DISPLAY"), srodowisko);
        QVERIFY2(!idOkna.isEmpty(), "the window did not appear on X");
        program.kill();
        QVERIFY(program.waitForFinished(30000));
    }

    // When the X server drops the connection, Qt ends the program from inside the event
    // loop: it must end with status 1, not die of a signal, and say why in Polish.
    void utrataEkranu_data()
    {
        QTest::addColumn<bool>("zabijSerwer");
        QTest::newRow("połączenie zerwane") << false;
        QTest::newRow("serwer zamknięty") << true;
    }

    void utrataEkranu()
    {
        QFETCH(bool, zabijSerwer);
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
            QSKIP("xdotool is not installed");
        }
        // The server to be closed is one of the test's own; the other case uses the
        // display the test runs on.
        QProcess serwer;
        QString ekran = qEnvironmentVariable("DISPLAY");
        if (zabijSerwer) {
            if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
                QSKIP("Xvfb is not installed");
            }
            serwer.start(QStringLiteral("Xvfb"),
                         {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                          QStringLiteral("800x600x24")});
            QTRY_VERIFY_WITH_TIMEOUT(serwer.canReadLine(), 30000);
            ekran = QStringLiteral(":") + QString::fromLatin1(serwer.readLine()).trimmed();
        }

        QProcess program;
        const QString idOkna = uruchomOkno(program, ekran);
        QVERIFY2(!idOkna.isEmpty(), "the window did not appear");
        if (zabijSerwer) {
            serwer.terminate();
            QVERIFY(serwer.waitForFinished(30000));
        } else {
            QCOMPARE(uruchom(QStringLiteral("xdotool"), {QStringLiteral("windowkill"), idOkna}), QString());
        }
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QString bledy = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(
            bledy.contains(QStringLiteral("znakomat: okno zostało zamknięte: utracono połączenie z ekranem "
                                          "graficznym (DISPLAY=") +
                           ekran),
            qPrintable(bledy));
        // Qt's English words only as the details, indented.
        QVERIFY2(!bledy.contains(QLatin1String("\nThe X11")) && !bledy.startsWith(QLatin1String("The X11")),
                 qPrintable(bledy));
    }

    // Qt's last words on losing the display, from its X11 and Wayland plugins, become the
    // Polish message; its other warnings stay its own.
    void komunikatUtratyEkranu_data()
    {
        QTest::addColumn<QString>("komunikatQt");
        QTest::addColumn<bool>("utrata");
        QTest::newRow("X11, serwer zamknięty")
            << "The X11 connection broke (error 1). Did the X11 server die?" << true;
        QTest::newRow("X11, z opisem")
            << "The X11 connection broke: Connection reset by peer (code 1)" << true;
        QTest::newRow("Wayland, kompozytor zamknięty")
            << "The Wayland connection broke. Did the Wayland compositor die?" << true;
        QTest::newRow("Wayland, błąd protokołu")
            << "The Wayland connection experienced a fatal error: Protocol error" << true;
        QTest::newRow("błąd X bez utraty") << "qt.qpa.xcb: QXcbConnection: XCB error: 3 (BadWindow)" << false;
        QTest::newRow("w środku innego") << "Warning: The X11 connection broke earlier" << false;
        QTest::newRow("pusty") << "" << false;
    }

    void komunikatUtratyEkranu()
    {
        QFETCH(QString, komunikatQt);
        QFETCH(bool, utrata);
        const std::optional<QString> komunikat = ::komunikatUtratyEkranu(komunikatQt);
        QCOMPARE(komunikat.has_value(), utrata);
        if (utrata) {
            QVERIFY2(
                komunikat->startsWith(QStringLiteral(
                    "znakomat: okno zostało zamknięte: utracono połączenie z ekranem graficznym (DISPLAY=")),
                qPrintable(*komunikat));
            QVERIFY2(komunikat->endsWith(QStringLiteral("Szczegóły od biblioteki Qt:\n  ") + komunikatQt +
                                         QLatin1Char('\n')),
                     qPrintable(*komunikat));
        }
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestPulpit)
#include "test_pulpit.moc"
