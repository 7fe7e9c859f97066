#include <QAccessible>
#include <QAccessibleInterface>
#include <QtTest>

#include "ui/tests/gui_test.h"

using namespace ui;

// What a screen reader learns of each control through Qt's accessibility interface.
class TestDostepnosc : public TestOkna {
    Q_OBJECT

private slots:
    void init() { QVERIFY(otworzOkno()); }

    void cleanup() { zamknijOkno(); }

    // Each control by its name, or, for a list, whose value Qt gives as its name on Linux,
    // by the label that labels it; a description where the name says too little.
    void nazwyKontrolek_data()
    {
        QTest::addColumn<QString>("kontrolka");
        QTest::addColumn<QString>("nazwa");
        QTest::addColumn<QString>("etykieta");
        QTest::addColumn<bool>("opis");
        QTest::newRow("lista źródłowa") << "Combo1"
                                        << "Standard źródłowy"
                                        << "Konwertowany tekst ma ogonki zapisane w standardzie" << true;
        QTest::newRow("lista docelowa") << "Combo2"
                                        << "Standard docelowy"
                                        << "chcę je przekonwertować na" << true;
        QTest::newRow("Konwertuj") << "Command1"
                                   << "Konwertuj"
                                   << "" << true;
        QTest::newRow("WWW") << "Command4"
                             << "WWW"
                             << "" << true;
        QTest::newRow("tryb pliku") << "Toolbar_1"
                                    << "Konwersja pliku tekstowego"
                                    << "" << true;
        QTest::newRow("pole tekstu") << "Text1"
                                     << "Tekst do konwersji"
                                     << "" << false;
        QTest::newRow("plik wejściowy") << "Text2"
                                        << "Plik wejściowy"
                                        << "Plik wejściowy" << false;
        QTest::newRow("plik wyjściowy") << "Text3"
                                        << "Plik wyjściowy"
                                        << "Plik wyjściowy" << false;
        QTest::newRow("wybór wejścia") << "Command6"
                                       << "Wybierz plik wejściowy"
                                       << "" << true;
        QTest::newRow("wybór wyjścia") << "Command7"
                                       << "Wybierz plik wyjściowy"
                                       << "" << true;
    }

    void nazwyKontrolek()
    {
        QFETCH(QString, kontrolka);
        QFETCH(QString, nazwa);
        QFETCH(QString, etykieta);
        QFETCH(bool, opis);
        auto* widget = okno->findChild<QWidget*>(kontrolka);
        QAccessibleInterface* dostep = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(dostep != nullptr);
        if (dostep->role() == QAccessible::ComboBox) {
            QCOMPARE(widget->accessibleName(), nazwa);
        } else {
            QCOMPARE(dostep->text(QAccessible::Name), nazwa);
        }
        QStringList etykiety;
        for (const auto& [inny, relacja] : dostep->relations(QAccessible::Label)) {
            etykiety << inny->text(QAccessible::Name);
        }
        QVERIFY2(etykieta.isEmpty() || etykiety.contains(etykieta), qPrintable(etykiety.join(" / ")));
        QVERIFY(!opis || !dostep->text(QAccessible::Description).isEmpty());
        // The browse buttons, whose caption is "...", show their name as a tooltip too.
        const auto* przycisk = qobject_cast<QPushButton*>(widget);
        if (przycisk != nullptr && przycisk->text() == QLatin1String("...")) {
            QCOMPARE(widget->toolTip(), nazwa);
        }
    }

    // The mode buttons are one choice of two: radio buttons, the selected one checked. Tab
    // reaches the selected one; an arrow moves to the other and selects it, as radio buttons do.
    void przyciskiTrybu_data()
    {
        QTest::addColumn<QString>("wybrany");
        QTest::addColumn<QString>("drugi");
        QTest::addColumn<int>("strzalka");
        QTest::newRow("tekst, w prawo") << "Toolbar_0"
                                        << "Toolbar_1" << int(Qt::Key_Right);
        QTest::newRow("plik, w lewo") << "Toolbar_1"
                                      << "Toolbar_0" << int(Qt::Key_Left);
    }

    void przyciskiTrybu()
    {
        QFETCH(QString, wybrany);
        QFETCH(QString, drugi);
        QFETCH(int, strzalka);
        const auto zaznaczony = [this](const QString& nazwa) {
            QAccessibleInterface* dostep = QAccessible::queryAccessibleInterface(przycisk(qPrintable(nazwa)));
            if (dostep == nullptr || dostep->role() != QAccessible::RadioButton ||
                !dostep->state().checkable) {
                qWarning("%s is not a radio button", qPrintable(nazwa));
                return -1;
            }
            return dostep->state().checked ? 1 : 0;
        };
        przycisk(qPrintable(wybrany))->click();
        QCOMPARE(zaznaczony(wybrany), 1);
        QCOMPARE(zaznaczony(drugi), 0);

        przycisk("Command5")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), przycisk("Command5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), przycisk(qPrintable(wybrany)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(strzalka));
        QTRY_COMPARE(QApplication::focusWidget(), przycisk(qPrintable(drugi)));
        QCOMPARE(zaznaczony(drugi), 1);
        QCOMPARE(zaznaczony(wybrany), 0);
        QCOMPARE(okno->trybTekstowy(), drugi == QLatin1String("Toolbar_0"));
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestDostepnosc)
#include "test_dostepnosc.moc"
