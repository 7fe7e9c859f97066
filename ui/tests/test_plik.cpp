#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "ui/frmmain.h"
#include "ui/tests/gui_test.h"

using namespace ui;

namespace {

using engine::ISO_LATIN_2;
using engine::MAZOVIA;
using engine::UTF8_INDEX;
using engine::WINDOWS_EE;

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

// Where this process reads the file `nazwa` now: the position of the descriptor open on it.
qint64 pozycjaCzytania(const QString& nazwa)
{
    const QDir deskryptory(QStringLiteral("/proc/self/fd"));
    for (const QString& numer : deskryptory.entryList(QDir::Files | QDir::System)) {
        if (QFile::symLinkTarget(deskryptory.filePath(numer)) != nazwa) {
            continue;
        }
        QFile informacje(QStringLiteral("/proc/self/fdinfo/") + numer);
        if (informacje.open(QIODevice::ReadOnly)) {
            const QByteArray pierwszy = informacje.readLine();
            if (pierwszy.startsWith("pos:")) {
                return pierwszy.mid(4).trimmed().toLongLong();
            }
        }
    }
    return -1;
}

// Asks `okno` to close as a window manager does, with WM_DELETE_WINDOW through the X
// server from a connection of its own: the way a click on the title bar's cross arrives.
bool wyslijZamkniecie(WId okno)
{
    xcb_connection_t* polaczenie = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(polaczenie) != 0) {
        xcb_disconnect(polaczenie);
        return false;
    }
    const auto atom = [polaczenie](const char* nazwa) {
        xcb_intern_atom_reply_t* odpowiedz = xcb_intern_atom_reply(
            polaczenie, xcb_intern_atom(polaczenie, 0, static_cast<uint16_t>(std::strlen(nazwa)), nazwa),
            nullptr);
        const xcb_atom_t wynik = odpowiedz != nullptr ? odpowiedz->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(odpowiedz);
        return wynik;
    };
    xcb_client_message_event_t zdarzenie{};
    zdarzenie.response_type = XCB_CLIENT_MESSAGE;
    zdarzenie.format = 32;
    zdarzenie.window = static_cast<xcb_window_t>(okno);
    zdarzenie.type = atom("WM_PROTOCOLS");
    zdarzenie.data.data32[0] = atom("WM_DELETE_WINDOW");
    zdarzenie.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(polaczenie, 0, zdarzenie.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&zdarzenie));
    // A round trip: the server has passed the request on before this returns.
    const xcb_get_input_focus_cookie_t pytanie = xcb_get_input_focus(polaczenie);
    xcb_get_input_focus_reply_t* odpowiedz = xcb_get_input_focus_reply(polaczenie, pytanie, nullptr);
    const bool wyslane = odpowiedz != nullptr;
    std::free(odpowiedz);
    xcb_disconnect(polaczenie);
    return wyslane;
}

using Zegar = std::chrono::steady_clock;

// When the window went out of sight and when a message box came up, as its events tell.
class Chwile : public QObject {
public:
    explicit Chwile(const QWidget& okno) : okno_(okno)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~Chwile() override { QCoreApplication::instance()->removeEventFilter(this); }
    Chwile(const Chwile&) = delete;
    Chwile& operator=(const Chwile&) = delete;

    std::optional<Zegar::time_point> ukryte;
    std::optional<Zegar::time_point> komunikat;
    std::function<void()> przyUkryciu;

protected:
    bool eventFilter(QObject* obiekt, QEvent* zdarzenie) override
    {
        if (zdarzenie->type() == QEvent::Hide && obiekt == &okno_ && !ukryte) {
            ukryte = Zegar::now();
            if (przyUkryciu) {
                przyUkryciu();
            }
        }
        if (zdarzenie->type() == QEvent::Show && qobject_cast<QMessageBox*>(obiekt) != nullptr &&
            !komunikat) {
            komunikat = Zegar::now();
        }
        return false;
    }

private:
    const QWidget& okno_;
};

// A close request `poMs` after this is made, from a thread of its own: like a user's
// click, it waits for nothing the window does.
class ZamkniecieZaChwile {
public:
    ZamkniecieZaChwile(WId okno, int poMs)
        : watek_([this, okno, poMs] {
              std::this_thread::sleep_for(std::chrono::milliseconds(poMs));
              wyslane_ = Zegar::now();
              udane_ = wyslijZamkniecie(okno);
          })
    {
    }
    ZamkniecieZaChwile(const ZamkniecieZaChwile&) = delete;
    ZamkniecieZaChwile& operator=(const ZamkniecieZaChwile&) = delete;

    // When it was sent, once it has been; none when it could not be.
    std::optional<Zegar::time_point> wyslane()
    {
        watek_.join();
        return udane_ ? std::optional(wyslane_) : std::nullopt;
    }

private:
    Zegar::time_point wyslane_;
    bool udane_ = false;
    // Joined also when a failed check leaves the test early.
    std::jthread watek_;
};

// Another program keeping a processor busy, as on many desktops, while this lives.
class ZajetyProcesor {
public:
    explicit ZajetyProcesor(bool zajety)
    {
        if (zajety) {
            proces_.start(QStringLiteral("sha256sum"), {QStringLiteral("/dev/zero")});
            QVERIFY(proces_.waitForStarted());
        }
    }
    ~ZajetyProcesor()
    {
        proces_.kill();
        proces_.waitForFinished();
    }
    ZajetyProcesor(const ZajetyProcesor&) = delete;
    ZajetyProcesor& operator=(const ZajetyProcesor&) = delete;

private:
    QProcess proces_;
};

qint64 ms(Zegar::duration czas)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(czas).count();
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
    return QByteArray::fromStdString(engine::test::KonwertujBajty(tekst.toStdString(), zrodlo, cel));
}

}  // namespace

class TestPlik : public TestOkna {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder;

    QString sciezka(const QString& nazwa) const { return folder->filePath(nazwa); }

    // Fills in the boxes and lists, presses "Konwertuj" and answers the box it shows.
    Komunikat konwertuj(const QString& wejscie, const QString& wyjscie, int zrodlo = WINDOWS_EE,
                        int cel = ISO_LATIN_2, const QList<OknaModalne::Krok>& kroki = {})
    {
        const QList<Komunikat> komunikaty = uruchom(wejscie, wyjscie, zrodlo, cel, kroki);
        // Exactly one box per conversion, whatever its outcome.
        if (komunikaty.size() != 1) {
            return {QStringLiteral("liczba komunikatów: %1").arg(komunikaty.size()), {}, {}, {}};
        }
        return komunikaty.constFirst();
    }

    // Presses "Konwertuj" in the file mode and answers every box, and every other modal
    // window by the steps given; the job has ended when it returns.
    QList<Komunikat> uruchom(const QString& wejscie, const QString& wyjscie, int zrodlo = WINDOWS_EE,
                             int cel = ISO_LATIN_2, const QList<OknaModalne::Krok>& kroki = {})
    {
        kontrolka<QLineEdit>("Text2")->setText(wejscie);
        kontrolka<QLineEdit>("Text3")->setText(wyjscie);
        kontrolka<QComboBox>("Combo1")->setCurrentIndex(zrodlo);
        kontrolka<QComboBox>("Combo2")->setCurrentIndex(cel);
        OknaModalne okna(kroki);
        if (!okna.odtworz([this] { kliknij("Command1"); })) {
            return {{QStringLiteral("okna: ") + okna.blad(), {}, {}, {}}};
        }
        return okna.komunikaty();
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
        QVERIFY(otworzOkno());
        kliknij("Toolbar_1");
    }

    void cleanup()
    {
        zamknijOkno();
        folder.reset();
    }

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

    // Asks the window to close in the job's second step, or `poMs` into it, and measures how long the window
    // then stays open.
    qint64 zamknijWTrakcie(const QString& wejscie, const QString& wyjscie, int poMs)
    {
        QElapsedTimer odZamkniecia;
        const auto zamknij = [&, this] {
            if (!odZamkniecia.isValid()) {
                odZamkniecia.start();
                QVERIFY(wyslijZamkniecie(okno->winId()));
            }
        };
        // A file of known size is closed in its second step, surely before its end.
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(), [&](const QString& tytul) {
            if (tytul.endsWith(QLatin1String("krok 2 z 18"))) {
                zamknij();
            }
        });
        QTimer::singleShot(poMs, okno.get(), zamknij);
        const QList<Komunikat> komunikaty = uruchom(wejscie, wyjscie);
        if (!komunikaty.isEmpty()) {
            qWarning() << "unexpected box:" << komunikaty.constFirst().tekst;
            return -1;
        }
        if (!odZamkniecia.isValid()) {
            return -2;
        }
        if (!QTest::qWaitFor([this] { return !okno->isVisible(); }, 5000)) {
            return -3;
        }
        return odZamkniecia.elapsed();
    }

    // A close request stops any job within a second, leaves the output as it was and no
    // temporary file, shows no box, and closes the window.
    void zamkniecieOknaPrzerywaKonwersje_data()
    {
        QTest::addColumn<QString>("wejscie");
        QTest::newRow("duży plik") << QStringLiteral("duzy.txt");
        QTest::newRow("kolejka bez pisarza") << QStringLiteral("we.fifo");
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero");
    }

    void zamkniecieOknaPrzerywaKonwersje()
    {
        QFETCH(QString, wejscie);
        // Long enough that the job runs well past the last request.
        zapisz(sciezka("duzy.txt"), wszystkieBajty().repeated(400000));
        QCOMPARE(::mkfifo(QFile::encodeName(sciezka("we.fifo")).constData(), 0600), 0);
        const QString nazwa = wejscie.startsWith('/') ? wejscie : sciezka(wejscie);
        // Requests at many moments of the job: every one of them is acted on.
        for (int poMs = 30; poMs <= 300; poMs += 30) {
            zapisz(sciezka("wy.txt"), "ważne");
            if (!okno) {
                QVERIFY(otworzOkno());
                kliknij("Toolbar_1");
            }
            const qint64 czas = zamknijWTrakcie(nazwa, sciezka("wy.txt"), poMs);
            QVERIFY2(czas >= 0 && czas < 1000,
                     qPrintable(QStringLiteral("po %1 ms: %2").arg(poMs).arg(czas)));
            QCOMPARE(czytaj(sciezka("wy.txt")), QByteArray("ważne"));
            sprawdzBrakPlikowTymczasowych();
            zamknijOkno();
        }
    }

    // Close requests at random moments of real jobs, on idle and on busy processors: each
    // closes the window within a second, with no box, and the output is the old text or,
    // once the commit has begun, the whole new one. A request that comes as the job ends
    // and its box comes up meets that modal box, as every modal box makes it.
    void zamkniecieWDowolnejChwili_data()
    {
        QTest::addColumn<QString>("wejscie");
        QTest::addColumn<bool>("obciazone");
        for (const bool obciazone : {false, true}) {
            const char* stan = obciazone ? "procesory zajęte" : "procesory wolne";
            QTest::addRow("duży plik, %s", stan) << QStringLiteral("duzy.txt") << obciazone;
            QTest::addRow("kolejka bez pisarza, %s", stan) << QStringLiteral("we.fifo") << obciazone;
            QTest::addRow("/dev/zero, %s", stan) << QStringLiteral("/dev/zero") << obciazone;
        }
    }

    void zamkniecieWDowolnejChwili()
    {
        QFETCH(QString, wejscie);
        QFETCH(bool, obciazone);
        const ZajetyProcesor pierwszy(obciazone);
        const ZajetyProcesor drugi(obciazone);
        const QByteArray tresc = wszystkieBajty().repeated(50000);
        zapisz(sciezka("duzy.txt"), tresc);
        const QByteArray nowa = skonwertowane(tresc, WINDOWS_EE, ISO_LATIN_2);
        QCOMPARE(::mkfifo(QFile::encodeName(sciezka("we.fifo")).constData(), 0600), 0);
        const QString nazwa = wejscie.startsWith('/') ? wejscie : sciezka(wejscie);
        // A second name makes the output one to copy into in place: its commit takes long.
        const auto przygotujWyjscie = [this] {
            QFile::remove(sciezka("wy.txt"));
            QFile::remove(sciezka("wy-dowiazanie.txt"));
            zapisz(sciezka("wy.txt"), "ważne");
            QCOMPARE(::link(QFile::encodeName(sciezka("wy.txt")).constData(),
                            QFile::encodeName(sciezka("wy-dowiazanie.txt")).constData()),
                     0);
        };
        // Requests fall anywhere in the job of the file, its commit too; the others never end.
        qint64 dlugoscMs = 300;
        if (wejscie == QLatin1String("duzy.txt")) {
            przygotujWyjscie();
            const Chwile chwile(*okno);
            const Zegar::time_point poczatek = Zegar::now();
            QCOMPARE(konwertuj(nazwa, sciezka("wy.txt")).tekst, zakonczona);
            QVERIFY(chwile.komunikat.has_value());
            dlugoscMs = ms(*chwile.komunikat - poczatek);
            QVERIFY(czytaj(sciezka("wy.txt")) == nowa);
        }
        const quint32 ziarno = QRandomGenerator::global()->generate();
        QRandomGenerator los(ziarno);
        for (int runda = 0; runda < 5; ++runda) {
            const int poMs = los.bounded(static_cast<int>(dlugoscMs) + 1);
            const QString opis =
                QStringLiteral("runda %1, %2 ms po kliknięciu (ziarno %3)").arg(runda).arg(poMs).arg(ziarno);
            przygotujWyjscie();
            if (!okno) {
                QVERIFY(otworzOkno());
                kliknij("Toolbar_1");
            }
            kontrolka<QLineEdit>("Text2")->setText(nazwa);
            kontrolka<QLineEdit>("Text3")->setText(sciezka("wy.txt"));
            Chwile chwile(*okno);
            ZamkniecieZaChwile zamkniecie(okno->winId(), poMs);
            OknaModalne okna;
            QVERIFY2(okna.odtworz([this] { kliknij("Command1"); }), qPrintable(okna.blad()));
            const std::optional<Zegar::time_point> wyslane = zamkniecie.wyslane();
            QVERIFY2(wyslane.has_value(), qPrintable(opis));
            const QByteArray wynik = czytaj(sciezka("wy.txt"));
            const auto poWyslaniu = [&](const std::optional<Zegar::time_point>& chwila) {
                return chwila ? ms(*chwila - *wyslane) : qint64{-1};
            };
            const QString stan =
                opis + QStringLiteral(": zamknięte po %1 ms, komunikat po %2 ms, wyjście: %3 B")
                           .arg(poWyslaniu(chwile.ukryte))
                           .arg(poWyslaniu(chwile.komunikat))
                           .arg(wynik.size());
            if (chwile.komunikat && (!chwile.ukryte || *chwile.komunikat < *chwile.ukryte)) {
                // The job ended first, the box came up as the request was on its way (the X
                // server, Qt's reading thread and a busy processor take a moment), and the
                // request met that modal box, which takes the answer first.
                QVERIFY2(poWyslaniu(chwile.komunikat) < 250, qPrintable(stan));
                QVERIFY2(okna.komunikaty().size() == 1 && okna.komunikaty().constFirst().tekst == zakonczona,
                         qPrintable(stan));
                QVERIFY2(wynik == nowa, qPrintable(stan));
            } else {
                QVERIFY2(chwile.ukryte && poWyslaniu(chwile.ukryte) < 1000, qPrintable(stan));
                QVERIFY2(okna.komunikaty().isEmpty(), qPrintable(stan));
                QVERIFY2(wynik == "ważne" || wynik == nowa, qPrintable(stan));
            }
            sprawdzBrakPlikowTymczasowych();
            zamknijOkno();
        }
    }

    // A request as the commit of a long output begins: the window closes at once, while the
    // job goes on to leave the new text whole, and shows nothing after.
    void zamkniecieWCzasieZatwierdzania()
    {
        const QByteArray tresc = wszystkieBajty().repeated(400000);
        zapisz(sciezka("duzy.txt"), tresc);
        zapisz(sciezka("wy.txt"), "ważne");
        // A second name: the text is copied into the output in place, the longest commit.
        QCOMPARE(::link(QFile::encodeName(sciezka("wy.txt")).constData(),
                        QFile::encodeName(sciezka("wy-dowiazanie.txt")).constData()),
                 0);
        std::optional<ZamkniecieZaChwile> zamkniecie;
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(), [&](const QString& tytul) {
            if (tytul == okno->Tag() && !zamkniecie) {
                zamkniecie.emplace(okno->winId(), 0);
            }
        });
        std::optional<bool> trwalaPrzyZamknieciu;
        Chwile chwile(*okno);
        chwile.przyUkryciu = [&] { trwalaPrzyZamknieciu = okno->konwersjaTrwa(); };
        const QList<Komunikat> komunikaty = uruchom(sciezka("duzy.txt"), sciezka("wy.txt"));
        QVERIFY(zamkniecie && zamkniecie->wyslane());
        QVERIFY(komunikaty.isEmpty());
        QVERIFY(!okno->isVisible());
        QCOMPARE(trwalaPrzyZamknieciu, std::optional(true));
        QVERIFY(czytaj(sciezka("wy.txt")) == skonwertowane(tresc, WINDOWS_EE, ISO_LATIN_2));
        sprawdzBrakPlikowTymczasowych();
    }

    // Nobody reads the output pipe yet: the job waits for a reader, which a close request
    // ends too.
    void zamkniecieCzekajacNaCzytelnika()
    {
        zapisz(sciezka("we.txt"), "\xA5");
        QCOMPARE(::mkfifo(QFile::encodeName(sciezka("wy.fifo")).constData(), 0600), 0);
        const qint64 czas = zamknijWTrakcie(sciezka("we.txt"), sciezka("wy.fifo"), 100);
        QVERIFY2(czas >= 0 && czas < 1000, qPrintable(QString::number(czas)));
    }

    // A writer that comes only after the job has started is waited for, and all it writes
    // is converted.
    void kolejkaWejsciowaCzekaNaPisarza()
    {
        const QByteArray fifo = QFile::encodeName(sciezka("we.fifo"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const QByteArray tresc = wszystkieBajty().repeated(100);
        bool napisane = false;
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(), [&](const QString& tytul) {
            if (tytul.endsWith(QLatin1String("krok 1 z 18"))) {
                QTimer::singleShot(200, okno.get(), [&] {
                    const int pisarz = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                    napisane =
                        pisarz >= 0 && ::write(pisarz, tresc.constData(), tresc.size()) == tresc.size();
                    ::close(pisarz);
                });
            }
        });
        const QList<Komunikat> komunikaty =
            uruchom(sciezka("we.fifo"), sciezka("wy.txt"), WINDOWS_EE, UTF8_INDEX);
        QVERIFY(napisane);
        QCOMPARE(komunikaty.size(), 1);
        QCOMPARE(komunikaty.constFirst().tekst, zakonczona);
        QCOMPARE(czytaj(sciezka("wy.txt")), skonwertowane(tresc, WINDOWS_EE, UTF8_INDEX));
        sprawdzSpoczynek();
    }

    // An output pipe or device gets the converted text and nothing else: the probe writes
    // nothing into what exists.
    void kolejkaWyjsciowaDostajeTylkoTekst()
    {
        zapisz(sciezka("we.txt"), wszystkieBajty());
        const QByteArray fifo = QFile::encodeName(sciezka("wy.fifo"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const int czytelnik = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(czytelnik >= 0);
        const QList<Komunikat> komunikaty =
            uruchom(sciezka("we.txt"), sciezka("wy.fifo"), WINDOWS_EE, UTF8_INDEX);
        QByteArray odebrane(1 << 16, '\0');
        const ssize_t ile = ::read(czytelnik, odebrane.data(), odebrane.size());
        ::close(czytelnik);
        QCOMPARE(komunikaty.size(), 1);
        QCOMPARE(komunikaty.constFirst().tekst, zakonczona);
        QVERIFY(ile >= 0);
        odebrane.resize(ile);
        QCOMPARE(odebrane, skonwertowane(wszystkieBajty(), WINDOWS_EE, UTF8_INDEX));
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

    // The caption's eighteen steps follow the input: step k is shown while the k-th
    // eighteenth is read, as the input's read position tells.
    void krokiIdaZaPraca()
    {
        const QByteArray tresc = wszystkieBajty().repeated(40000);
        zapisz(sciezka("duzy.txt"), tresc);
        const QString nazwa = QFileInfo(sciezka("duzy.txt")).canonicalFilePath();
        QList<int> kroki;
        QList<qint64> pozycje;
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(), [&](const QString& tytul) {
            static const QRegularExpression wzor(QStringLiteral("krok (\\d+) z 18$"));
            const QRegularExpressionMatch krok = wzor.match(tytul);
            if (krok.hasMatch()) {
                kroki.append(krok.captured(1).toInt());
                pozycje.append(pozycjaCzytania(nazwa));
            }
        });
        const QList<Komunikat> komunikaty =
            uruchom(sciezka("duzy.txt"), sciezka("wy.txt"), WINDOWS_EE, UTF8_INDEX);
        QCOMPARE(komunikaty.size(), 1);
        QCOMPARE(komunikaty.constFirst().tekst, zakonczona);
        QCOMPARE(kroki.size(), 18);
        for (int k = 1; k <= 18; ++k) {
            QCOMPARE(kroki[k - 1], k);
            const qint64 osiemnasta = tresc.size() / 18;
            QVERIFY2(pozycje[k - 1] >= (k - 1) * osiemnasta - 1 && pozycje[k - 1] <= k * osiemnasta + 1,
                     qPrintable(QStringLiteral("krok %1: %2").arg(k).arg(pozycje[k - 1])));
        }
        QCOMPARE(czytaj(sciezka("wy.txt")), skonwertowane(tresc, WINDOWS_EE, UTF8_INDEX));
    }

    // The browse button stays usable during a conversion; picking a file then changes the
    // box, not the running job.
    void wyborPlikuWTrakcie()
    {
        zapisz(sciezka("we.txt"), wszystkieBajty());
        zapisz(sciezka("inny.txt"), "inny");
        connect(okno.get(), &QWidget::windowTitleChanged, okno.get(), [this](const QString& tytul) {
            if (tytul.endsWith(QLatin1String("krok 3 z 18"))) {
                QTimer::singleShot(0, okno.get(), [this] { kontrolka<QPushButton>("Command6")->click(); });
            }
        });
        const OknaModalne::Krok wyborInnego{
            QStringLiteral("dialog wyboru"),
            [](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr; },
            [this](QWidget* dialog) {
                auto* nazwa = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                nazwa->setText(sciezka("inny.txt"));
                QTest::keyClick(nazwa, Qt::Key_Return);
            }};
        QCOMPARE(konwertuj(sciezka("we.txt"), sciezka("wy.txt"), MAZOVIA, WINDOWS_EE, {wyborInnego}).tekst,
                 zakonczona);
        QCOMPARE(kontrolka<QLineEdit>("Text2")->text(), sciezka("inny.txt"));
        QCOMPARE(czytaj(sciezka("wy.txt")), skonwertowane(wszystkieBajty(), MAZOVIA, WINDOWS_EE));
        QCOMPARE(czytaj(sciezka("inny.txt")), QByteArray("inny"));
        sprawdzSpoczynek();
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestPlik)
#include "test_plik.moc"
