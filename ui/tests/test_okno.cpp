#include <QButtonGroup>
#include <QComboBox>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "engine/konwersja.h"
#include "engine/standardy.h"
#include "jobs/postep_okna.h"
#include "ui/frmmain.h"
#include "ui/tests/gui_test.h"

using namespace ui;

namespace {

// Every control where the form puts it, in pixels at 96 dpi (the form's twips divided
// by 15), inside the container the form names; no other control.
struct Polozenie {
    const char* nazwa;
    const char* kontener;
    QRect piksele;
};
constexpr Polozenie POLOZENIA[] = {
    {"Frame1", "frmMain", QRect(0, 376, 673, 49)},     {"Combo1", "Frame1", QRect(272, 16, 129, 21)},
    {"Combo2", "Frame1", QRect(552, 16, 105, 21)},     {"Command2", "frmMain", QRect(8, 432, 121, 25)},
    {"Command1", "frmMain", QRect(144, 432, 121, 25)}, {"Command3", "frmMain", QRect(280, 432, 121, 25)},
    {"Command4", "frmMain", QRect(416, 432, 121, 25)}, {"Command5", "frmMain", QRect(552, 432, 113, 25)},
    {"Label2", "Frame1", QRect(408, 16, 137, 17)},     {"Label1", "Frame1", QRect(6, 16, 273, 17)},
    {"Toolbar_0", "frmMain", QRect(216, 8, 217, 33)},  {"Toolbar_1", "frmMain", QRect(448, 8, 217, 33)},
    {"Label3", "frmMain", QRect(8, 12, 209, 25)},      {"Frame2", "frmMain", QRect(0, 48, 673, 321)},
    {"Text1", "Frame2", QRect(8, 16, 473, 297)},       {"Frame3", "frmMain", QRect(0, 48, 673, 321)},
    {"Label4", "Frame3", QRect(32, 104, 249, 17)},     {"Text2", "Frame3", QRect(32, 120, 257, 19)},
    {"Label5", "Frame3", QRect(32, 168, 249, 17)},     {"Text3", "Frame3", QRect(32, 184, 257, 19)},
    {"Label6", "Frame3", QRect(432, 96, 105, 17)},     {"Label7", "Frame3", QRect(432, 112, 209, 161)},
    {"Command6", "Frame3", QRect(288, 120, 33, 17)},   {"Command7", "Frame3", QRect(288, 184, 33, 17)},
    {"Label8", "Frame2", QRect(496, 24, 169, 17)},     {"Label9", "Frame2", QRect(496, 40, 161, 201)},
};

}  // namespace

// Receives what the WWW button asks the desktop to open.
class OdbiorcaAdresow : public QObject {
    Q_OBJECT
public:
    QList<QUrl> adresy;
public slots:
    void otworz(const QUrl& adres) { adresy.append(adres); }
};

class TestOkno : public TestOkna {
    Q_OBJECT

private slots:
    void init() { QVERIFY(otworzOkno()); }

    void cleanup() { zamknijOkno(); }

    void stanPoczatkowy()
    {
        QCOMPARE(okno->windowTitle(), QStringLiteral("Znakomat  v 1.2"));
        QCOMPARE(okno->Tag(), okno->windowTitle());
        QCOMPARE(kontrolka<QComboBox>("Combo1")->currentText(), QStringLiteral("Windows-EE"));
        QCOMPARE(kontrolka<QComboBox>("Combo2")->currentText(), QStringLiteral("ISO-Latin-2"));
        QVERIFY(kontrolka<QGroupBox>("Frame2")->isVisible());
        QVERIFY(!kontrolka<QGroupBox>("Frame3")->isVisible());
        QVERIFY(okno->trybTekstowy());
        QVERIFY(!przycisk("Toolbar_1")->isChecked());
        for (const char* nazwa : {"Command1", "Command2", "Command3", "Command4", "Command5"}) {
            QVERIFY2(przycisk(nazwa)->isEnabled(), nazwa);
        }
        QTRY_COMPARE(QApplication::focusWidget(), kontrolka<QComboBox>("Combo1"));
        QVERIFY(kontrolka<QPlainTextEdit>("Text1")->toPlainText().isEmpty());
        QVERIFY(kontrolka<QLineEdit>("Text2")->text().isEmpty());
        QVERIFY(kontrolka<QLineEdit>("Text3")->text().isEmpty());
    }

    void listyStandardow()
    {
        const QStringList nazwy = {"brak",     "Mazovia",    "ISO-Latin-2", "CSK",          "Cyfromat",
                                   "DHN",      "IINTE-ISIS", "IBM-Latin-2", "IEA-Swierk",   "Logic",
                                   "Microvex", "Windows-EE", "Ventura",     "ELWRO-Junior", "AmigaPL",
                                   "WFN",      "ATM",        "UTF-8"};
        for (const char* nazwa : {"Combo1", "Combo2"}) {
            auto* lista = kontrolka<QComboBox>(nazwa);
            QVERIFY(!lista->isEditable());
            QStringList pozycje;
            for (int i = 0; i < lista->count(); ++i) {
                pozycje << lista->itemText(i);
            }
            QCOMPARE(pozycje, nazwy);
        }
    }

    void oknoMaStalyRozmiarIIkone()
    {
        // The client area of 10110 × 6975 twips.
        QCOMPARE(okno->size(), QSize(674, 465));
        QCOMPARE(okno->minimumSize(), okno->maximumSize());
        const Qt::WindowFlags flagi = okno->windowFlags();
        QVERIFY(!(flagi & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flagi & Qt::WindowMaximizeButtonHint));
        QVERIFY(flagi & Qt::WindowCloseButtonHint);
        const QRect ekran = okno->screen()->availableGeometry();
        QVERIFY(qAbs(okno->frameGeometry().center().x() - ekran.center().x()) <= 1);
        QVERIFY(qAbs(okno->frameGeometry().center().y() - ekran.center().y()) <= 1);

        const QImage ikona =
            okno->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(ikona.size(), QSize(32, 32));
        QVERIFY(ikona.pixelColor(0, 0).alpha() == 0);
        QSet<QRgb> kolory;
        int zolte = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QColor kolor = ikona.pixelColor(x, y);
                kolory.insert(kolor.rgba());
                zolte += kolor == QColor(Qt::yellow) ? 1 : 0;
            }
        }
        QVERIFY(kolory.size() <= 16);
        QVERIFY(zolte > 100);
    }

    void polozenieKontrolek_data()
    {
        QTest::addColumn<QString>("nazwa");
        QTest::addColumn<QString>("kontener");
        QTest::addColumn<QRect>("polozenie");
        for (const Polozenie& p : POLOZENIA) {
            QTest::newRow(p.nazwa) << QString::fromLatin1(p.nazwa) << QString::fromLatin1(p.kontener)
                                   << p.piksele;
        }
    }

    void polozenieKontrolek()
    {
        QFETCH(QString, nazwa);
        QFETCH(QString, kontener);
        QFETCH(QRect, polozenie);
        const QList<QWidget*> znalezione = okno->findChildren<QWidget*>(nazwa);
        QCOMPARE(znalezione.size(), 1);
        QWidget* widget = znalezione.constFirst();
        QCOMPARE(widget->parentWidget()->objectName(), kontener);
        QCOMPARE(widget->geometry(), polozenie);
        // Nothing is cut off by the edge of its container.
        QVERIFY(widget->parentWidget()->rect().contains(widget->geometry()));
    }

    void zadnejKontrolkiPozaFormularzem()
    {
        QStringList naFormularzu;
        for (const Polozenie& p : POLOZENIA) {
            naFormularzu << QString::fromLatin1(p.nazwa);
        }
        // Qt names the parts it adds to a control (a box's viewport and scroll bars) with
        // "qt_"; a control of the window lies in the window or in one of its frames.
        const QStringList ramy = {"frmMain", "Frame1", "Frame2", "Frame3"};
        QStringList poza;
        for (QWidget* widget : okno->findChildren<QWidget*>()) {
            const QString nazwa = widget->objectName();
            const bool nazwana = !nazwa.isEmpty() && !nazwa.startsWith(QLatin1String("qt_"));
            if ((nazwana || ramy.contains(widget->parentWidget()->objectName())) &&
                !naFormularzu.contains(nazwa)) {
                poza << (nazwa.isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : nazwa);
            }
        }
        QVERIFY2(poza.isEmpty(), qPrintable(poza.join(QStringLiteral(", "))));
    }

    // Tab walks the controls that take the focus in the form's order, whatever the mode shows.
    void kolejnoscTabulacji()
    {
        const QStringList oczekiwana = {"Combo1",   "Combo2",   "Command2",  "Command1",  "Command3",
                                        "Command4", "Command5", "Toolbar_0", "Toolbar_1", "Text1",
                                        "Text2",    "Text3",    "Command6",  "Command7"};
        QStringList kolejnosc;
        QWidget* w = kontrolka<QWidget>(qPrintable(oczekiwana.constFirst()));
        for (qsizetype i = 0; i < oczekiwana.size(); ++i) {
            kolejnosc << w->objectName();
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty()) {
                w = w->nextInFocusChain();
            }
        }
        QCOMPARE(kolejnosc, oczekiwana);
    }

    // Every caption must be readable whole with the program's fonts.
    void tekstyMieszczaSie()
    {
        QStringList przyciete;
        const auto sprawdz = [&](const QWidget* w, const QString& tekst, int dostepnaSzerokosc) {
            const int szerokosc = w->fontMetrics().horizontalAdvance(tekst);
            if (szerokosc > dostepnaSzerokosc) {
                przyciete << QStringLiteral("%1: %2 > %3")
                                 .arg(w->objectName())
                                 .arg(szerokosc)
                                 .arg(dostepnaSzerokosc);
            }
        };
        for (QLabel* label : okno->findChildren<QLabel*>()) {
            if (label->wordWrap()) {
                const QRect potrzebny = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                                          Qt::TextWordWrap, label->text());
                if (potrzebny.height() > label->height()) {
                    przyciete << label->objectName() + QStringLiteral(" (wysokość)");
                }
                continue;
            }
            QCOMPARE(label->fontMetrics().height() <= label->height(), true);
            int widoczna = label->width();
            // Label1 and Label2 lie partly under the lists.
            for (QComboBox* lista : okno->findChildren<QComboBox*>()) {
                if (lista->parentWidget() == label->parentWidget() && lista->x() > label->x() &&
                    lista->x() < label->x() + label->width()) {
                    widoczna = lista->x() - label->x();
                }
            }
            sprawdz(label, label->text(), widoczna);
        }
        for (QPushButton* button : okno->findChildren<QPushButton*>()) {
            QStyleOptionButton opcja;
            opcja.initFrom(button);
            const int margines = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, &opcja, button);
            sprawdz(button, button->text(), button->width() - margines);
        }
        for (QGroupBox* frame : okno->findChildren<QGroupBox*>()) {
            sprawdz(frame, frame->title(), frame->width() - 20);
        }
        for (QComboBox* lista : okno->findChildren<QComboBox*>()) {
            QStyleOptionComboBox opcja;
            opcja.initFrom(lista);
            const QRect pole = lista->style()->subControlRect(QStyle::CC_ComboBox, &opcja,
                                                              QStyle::SC_ComboBoxEditField, lista);
            for (int i = 0; i < lista->count(); ++i) {
                sprawdz(lista, lista->itemText(i), pole.width());
            }
        }
        QVERIFY2(przyciete.isEmpty(), qPrintable(przyciete.join(QStringLiteral(", "))));
    }

    void przelaczanieTrybu()
    {
        auto* frame2 = kontrolka<QGroupBox>("Frame2");
        auto* frame3 = kontrolka<QGroupBox>("Frame3");

        QTest::mouseClick(przycisk("Toolbar_1"), Qt::LeftButton);
        QVERIFY(!okno->trybTekstowy());
        QVERIFY(przycisk("Toolbar_1")->isChecked());
        QVERIFY(!frame2->isVisible());
        QVERIFY(frame3->isVisible());
        QVERIFY(!przycisk("Command2")->isEnabled());
        QVERIFY(!przycisk("Command3")->isEnabled());

        // Clicking the pressed button changes nothing.
        QTest::mouseClick(przycisk("Toolbar_1"), Qt::LeftButton);
        QVERIFY(przycisk("Toolbar_1")->isChecked());
        QVERIFY(frame3->isVisible());
        QVERIFY(!przycisk("Command2")->isEnabled());

        QTest::mouseClick(przycisk("Toolbar_0"), Qt::LeftButton);
        QVERIFY(okno->trybTekstowy());
        QVERIFY(frame2->isVisible());
        QVERIFY(!frame3->isVisible());
        QVERIFY(przycisk("Command2")->isEnabled());
        QVERIFY(przycisk("Command3")->isEnabled());

        QTest::mouseClick(przycisk("Toolbar_0"), Qt::LeftButton);
        QVERIFY(przycisk("Toolbar_0")->isChecked());
        QVERIFY(frame2->isVisible());
    }

    void przelaczanieNiePrzenosiFokusu()
    {
        auto* combo2 = kontrolka<QComboBox>("Combo2");
        combo2->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), combo2);
        przycisk("Toolbar_1")->click();
        QCOMPARE(QApplication::focusWidget(), combo2);
        przycisk("Toolbar_0")->click();
        QCOMPARE(QApplication::focusWidget(), combo2);
    }

    void enabledX_data()
    {
        QTest::addColumn<bool>("trybPlikowy");
        QTest::newRow("tekst") << false;
        QTest::newRow("plik") << true;
    }

    void enabledX()
    {
        QFETCH(bool, trybPlikowy);
        if (trybPlikowy) {
            przycisk("Toolbar_1")->click();
        }
        const QStringList objete = {"Command1", "Command2", "Command3", "Command4", "Command5", "Text1",
                                    "Frame1",   "Combo1",   "Combo2",   "Label1",   "Label2"};
        const QStringList nieobjete = {"Text2",     "Text3",     "Command6", "Command7",
                                       "Toolbar_0", "Toolbar_1", "Frame3"};

        okno->EnabledX(false);
        for (const QString& nazwa : objete) {
            QVERIFY2(!okno->findChild<QWidget*>(nazwa)->isEnabled(), qPrintable(nazwa));
        }
        for (const QString& nazwa : nieobjete) {
            QVERIFY2(okno->findChild<QWidget*>(nazwa)->isEnabled(), qPrintable(nazwa));
        }

        okno->EnabledX(true);
        for (const QString& nazwa : objete + nieobjete) {
            const bool schowek = nazwa == QLatin1String("Command2") || nazwa == QLatin1String("Command3");
            QCOMPARE(okno->findChild<QWidget*>(nazwa)->isEnabled(), !(schowek && trybPlikowy));
        }
    }

    void postepWTytule()
    {
        QSignalSpy tytuly(okno.get(), &QWidget::windowTitleChanged);
        jobs::PostepOkna postep(*okno);
        // Windows-EE's "ĄŚ" as ISO-Latin-2's bytes, read as Windows-1250.
        const std::u16string wynik =
            engine::KonwertujTekst(u"\u0104\u015A", engine::WINDOWS_EE, engine::ISO_LATIN_2, postep);
        QCOMPARE(QString::fromStdU16String(wynik), QStringLiteral("\u02C7\u00A6"));
        QCOMPARE(tytuly.size(), 18);
        for (int krok = 1; krok <= 18; ++krok) {
            QCOMPARE(tytuly.at(krok - 1).at(0).toString(),
                     QStringLiteral("Znakomat  v 1.2  - krok %1 z 18").arg(krok));
        }
        QCOMPARE(okno->windowTitle(), QStringLiteral("Znakomat  v 1.2  - krok 18 z 18"));
        okno->przywrocTytul();
        QCOMPARE(okno->windowTitle(), QStringLiteral("Znakomat  v 1.2"));
    }

    // The users' page found where the program runs from, as installed: the test programs'
    // build lays it out beside them as the program's build does.
    void wwwOtwieraStroneDomowa()
    {
        OdbiorcaAdresow odbiorca;
        const QStringList schematy = {QStringLiteral("https"), QStringLiteral("http"),
                                      QStringLiteral("file")};
        for (const QString& schemat : schematy) {
            QDesktopServices::setUrlHandler(schemat, &odbiorca, "otworz");
        }
        const auto odrejestruj = qScopeGuard([&schematy] {
            for (const QString& schemat : schematy) {
                QDesktopServices::unsetUrlHandler(schemat);
            }
        });

        QTest::mouseClick(przycisk("Command4"), Qt::LeftButton);
        QCOMPARE(odbiorca.adresy.size(), 1);
        QVERIFY(odbiorca.adresy.constFirst().isLocalFile());
        QFile strona(odbiorca.adresy.constFirst().toLocalFile());
        QFile wzor(QStringLiteral(ZNAKOMAT_STRONA_ZRODLO));
        QVERIFY2(strona.open(QIODevice::ReadOnly), qPrintable(strona.fileName()));
        QVERIFY(wzor.open(QIODevice::ReadOnly));
        QCOMPARE(strona.readAll(), wzor.readAll());
        QTRY_COMPARE(QApplication::focusWidget(), kontrolka<QPlainTextEdit>("Text1"));

        // In the file mode the text box is hidden; the focus stays on the button.
        przycisk("Toolbar_1")->click();
        QTest::mouseClick(przycisk("Command4"), Qt::LeftButton);
        QCOMPARE(odbiorca.adresy.size(), 2);
        QCOMPARE(QApplication::focusWidget(), przycisk("Command4"));

        // Without the page there is nothing to open: the button says where it looked.
        const QString sciezka = strona.fileName();
        const QString odsunieta = sciezka + QStringLiteral(".odsunieta");
        QVERIFY(QFile::rename(sciezka, odsunieta));
        const auto przywroc = qScopeGuard([&] { QFile::rename(odsunieta, sciezka); });
        OknaModalne okna;
        QVERIFY2(okna.odtworz([this] { QTest::mouseClick(przycisk("Command4"), Qt::LeftButton); }),
                 qPrintable(okna.blad()));
        QCOMPARE(odbiorca.adresy.size(), 2);
        QCOMPARE(okna.komunikaty().size(), 1);
        QCOMPARE(okna.komunikaty().constFirst().tytul, QStringLiteral("Błąd"));
        QVERIFY2(okna.komunikaty().constFirst().tekst.endsWith(QLatin1Char(' ') + sciezka),
                 qPrintable(okna.komunikaty().constFirst().tekst));
    }

    // Without any program to show a page (no xdg-open, no browser named), the button says
    // so and where the page is, instead of doing nothing.
    void wwwBezPrzegladarki()
    {
        const QByteArray sciezkaProgramow = qgetenv("PATH");
        const auto przywroc = qScopeGuard([&sciezkaProgramow] { qputenv("PATH", sciezkaProgramow); });
        QTemporaryDir pustyFolder;
        qputenv("PATH", QFile::encodeName(pustyFolder.path()));
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
        OknaModalne okna;
        QVERIFY2(okna.odtworz([this] { QTest::mouseClick(przycisk("Command4"), Qt::LeftButton); }),
                 qPrintable(okna.blad()));
        QCOMPARE(okna.komunikaty().size(), 1);
        const Komunikat pokazany = okna.komunikaty().constFirst();
        QCOMPARE(pokazany.tytul, QStringLiteral("Błąd"));
        const QString strona = pokazany.tekst.section(QStringLiteral(": "), -1);
        QVERIFY2(strona.endsWith(QStringLiteral("/znakomat.html")) && QFileInfo(strona).isFile(),
                 qPrintable(pokazany.tekst));
        QVERIFY2(pokazany.przyczyna.contains(QLatin1String("xdg-utils")), qPrintable(pokazany.przyczyna));
    }

    void koniecKonczyProgram()
    {
        QEventLoop petla;
        QTimer::singleShot(0, this, [this] { QTest::mouseClick(przycisk("Command5"), Qt::LeftButton); });
        QTimer awaryjny;
        awaryjny.setSingleShot(true);
        connect(&awaryjny, &QTimer::timeout, &petla, [&petla] { petla.exit(99); });
        awaryjny.start(10000);
        QCOMPARE(petla.exec(), 0);
        QVERIFY(okno->isVisible());
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestOkno)
#include "test_okno.moc"
