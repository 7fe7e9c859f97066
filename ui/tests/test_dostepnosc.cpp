#include <QAccessible>
#include <QAccessibleInterface>
#include <QLabel>
#include <QtTest>

#include "ui/tests/gui_test.h"

using namespace okno;

// What a screen reader learns of each control through Qt's accessibility interface.
class TestDostepnosc : public TestOkna {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(otworzOkno());
        // The file panel's controls are shown, as when the user reads them.
        kliknij("Toolbar_1");
    }

    void cleanup() { zamknijOkno(); }

    void nazwyKontrolek_data()
    {
        QTest::addColumn<QString>("kontrolka");
        QTest::addColumn<int>("rola");
        QTest::addColumn<QString>("nazwa");
        QTest::addColumn<bool>("opis");
        const int przycisk = QAccessible::Button;
        QTest::newRow("Wklej") << "Command2" << przycisk << "Wklej ze schowka" << true;
        QTest::newRow("Konwertuj") << "Command1" << przycisk << "Konwertuj" << true;
        QTest::newRow("Kopiuj") << "Command3" << przycisk << "Kopiuj do schowka" << true;
        QTest::newRow("WWW") << "Command4" << przycisk << "WWW" << true;
        QTest::newRow("Koniec") << "Command5" << przycisk << "Koniec" << true;
        // The mode buttons stay pressed: Qt calls such buttons check boxes.
        const int opcja = QAccessible::CheckBox;
        QTest::newRow("tryb tekstu") << "Toolbar_0" << opcja << "Konwersja tekstu ze schowka" << true;
        QTest::newRow("tryb pliku") << "Toolbar_1" << opcja << "Konwersja pliku tekstowego" << true;
        QTest::newRow("pole tekstu") << "Text1" << int(QAccessible::EditableText) << "Tekst do konwersji"
                                     << false;
        QTest::newRow("plik wejściowy")
            << "Text2" << int(QAccessible::EditableText) << "Plik wejściowy" << false;
        QTest::newRow("plik wyjściowy")
            << "Text3" << int(QAccessible::EditableText) << "Plik wyjściowy" << false;
        QTest::newRow("wybór wejścia") << "Command6" << przycisk << "Wybierz plik wejściowy" << true;
        QTest::newRow("wybór wyjścia") << "Command7" << przycisk << "Wybierz plik wyjściowy" << true;
    }

    void nazwyKontrolek()
    {
        QFETCH(QString, kontrolka);
        QFETCH(int, rola);
        QFETCH(QString, nazwa);
        QFETCH(bool, opis);
        auto* widget = okno->findChild<QWidget*>(kontrolka);
        QVERIFY(widget != nullptr);
        QAccessibleInterface* dostep = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(dostep != nullptr);
        QCOMPARE(int(dostep->role()), rola);
        QCOMPARE(dostep->text(QAccessible::Name), nazwa);
        if (opis) {
            QVERIFY(!dostep->text(QAccessible::Description).isEmpty());
        }
    }

    // Every control of the window is named, and no two controls share a name.
    void wszystkieNazwane()
    {
        QStringList nazwy;
        for (QWidget* widget : okno->findChildren<QWidget*>()) {
            QAccessibleInterface* dostep = QAccessible::queryAccessibleInterface(widget);
            if (dostep == nullptr || !widget->isVisible() || widget->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            const QString nazwa = dostep->text(QAccessible::Name);
            QVERIFY2(!nazwa.isEmpty(), qPrintable(widget->objectName()));
            QVERIFY2(!nazwy.contains(nazwa), qPrintable(nazwa));
            nazwy << nazwa;
        }
        QVERIFY(nazwy.size() >= 12);
    }

    // A list is named for the standard it holds; on Linux, where Qt gives its value as
    // its name, the text before it labels it.
    void nazwyList_data()
    {
        QTest::addColumn<QString>("lista");
        QTest::addColumn<QString>("nazwa");
        QTest::addColumn<QString>("etykieta");
        QTest::newRow("źródłowa") << "Combo1"
                                  << "Standard źródłowy"
                                  << "Konwertowany tekst ma ogonki zapisane w standardzie";
        QTest::newRow("docelowa") << "Combo2"
                                  << "Standard docelowy"
                                  << "chcę je przekonwertować na";
    }

    void nazwyList()
    {
        QFETCH(QString, lista);
        QFETCH(QString, nazwa);
        QFETCH(QString, etykieta);
        auto* widget = okno->findChild<QWidget*>(lista);
        QVERIFY(widget != nullptr);
        QAccessibleInterface* dostep = QAccessible::queryAccessibleInterface(widget);
        QCOMPARE(dostep->role(), QAccessible::ComboBox);
        QCOMPARE(widget->accessibleName(), nazwa);
        QVERIFY(!dostep->text(QAccessible::Description).isEmpty());
        QStringList etykiety;
        for (const auto& [inny, relacja] : dostep->relations(QAccessible::Label)) {
            etykiety << inny->text(QAccessible::Name);
        }
        QVERIFY2(etykiety.contains(etykieta), qPrintable(etykiety.join(QStringLiteral(" / "))));
    }

    // The labels above the file boxes are their buddies, and the browse buttons explain
    // themselves in a tooltip.
    void etykietyIPodpowiedzi()
    {
        QCOMPARE(kontrolka<QLabel>("Label4")->buddy(), kontrolka<QWidget>("Text2"));
        QCOMPARE(kontrolka<QLabel>("Label5")->buddy(), kontrolka<QWidget>("Text3"));
        QCOMPARE(przycisk("Command6")->toolTip(), QStringLiteral("Wybierz plik wejściowy"));
        QCOMPARE(przycisk("Command7")->toolTip(), QStringLiteral("Wybierz plik wyjściowy"));
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestDostepnosc)
#include "test_dostepnosc.moc"
