// The file mode while a job runs: closing the window at any moment, queues that wait for
// the other side, the steps shown, and other choices made meanwhile.

#include <fcntl.h>
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

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "ui/frmmain.h"
#include "ui/tests/gui_test.h"
#include "ui/tests/plik_test.h"

using namespace ui;

namespace {

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

}  // namespace

class TestPlikWTrakcie : public TestTrybuPlikow {
    Q_OBJECT

private:
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

private slots:
    void init() { otworzWTrybiePlikow(); }
    void cleanup() { zamknijIUsunFolder(); }

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

ZNAKOMAT_GUI_TEST_MAIN(TestPlikWTrakcie)
#include "test_plik_w_trakcie.moc"
