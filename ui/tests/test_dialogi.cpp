#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <functional>
#include <memory>

#include "ui/frmmain.h"
#include "ui/opensave.h"
#include "ui/tests/gui_test.h"

using namespace ui;

namespace {

const QString tytulWejscia = QStringLiteral("Wybierz plik wejściowy");
const QString tytulWyjscia = QStringLiteral("Wybierz (lub utwórz nowy) plik wyjściowy");
const QString filtrOkna = QStringLiteral("Pliki tekstowe|*.txt|Wszystkie pliki|*.*");

QLineEdit* poleNazwy(QWidget* dialog)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

QListView* listaPlikow(QWidget* dialog)
{
    return dialog->findChild<QListView*>(QStringLiteral("listView"));
}

// Files the dialog lists in the folder it shows, in name order.
// What the file list shows in one column of the row of a file.
QString kolumnaPliku(QFileDialog* dialog, const QString& nazwa, int kolumna)
{
    QListView* lista = listaPlikow(dialog);
    const QAbstractItemModel* model = lista->model();
    for (int i = 0; i < model->rowCount(lista->rootIndex()); ++i) {
        if (model->index(i, 0, lista->rootIndex()).data().toString() == nazwa) {
            return model->index(i, kolumna, lista->rootIndex()).data().toString();
        }
    }
    return QStringLiteral("<brak %1>").arg(nazwa);
}

QStringList widocznePliki(QFileDialog* dialog)
{
    QListView* lista = listaPlikow(dialog);
    QStringList nazwy;
    for (int i = 0; i < lista->model()->rowCount(lista->rootIndex()); ++i) {
        nazwy << lista->model()->index(i, 0, lista->rootIndex()).data().toString();
    }
    nazwy.sort();
    return nazwy;
}

QStringList pozycjeListy(const QComboBox* lista)
{
    QStringList pozycje;
    for (int i = 0; i < lista->count(); ++i) {
        pozycje << lista->itemText(i);
    }
    return pozycje;
}

void wpiszIZatwierdz(QWidget* dialog, const QString& nazwa)
{
    QLineEdit* pole = poleNazwy(dialog);
    pole->clear();
    QTest::keyClicks(pole, nazwa);
    QTest::keyClick(pole, Qt::Key_Return);
}

QByteArray czytaj(const QString& nazwa)
{
    QFile plik(nazwa);
    return plik.open(QIODevice::ReadOnly) ? plik.readAll() : QByteArray("<brak pliku>");
}

enum class Odpowiedz { Tak, Nie, Enter };

}  // namespace

Q_DECLARE_METATYPE(Odpowiedz)

class TestDialogi : public TestOkna {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder;
    bool wczytany = false;

    QString sciezka(const QString& nazwa) const { return folder->filePath(nazwa); }

    // A file dialog with this title, not yet moved to the test folder.
    static OknaModalne::Warunek dialogPlikow(const QString& tytul)
    {
        return [tytul](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            return dialog != nullptr && dialog->windowTitle() == tytul;
        };
    }

    // Moves the dialog to the test folder; the next step can wait until it is listed.
    OknaModalne::Akcja doFolderu()
    {
        return [this](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            wczytany = false;
            auto* model = dialog->findChild<QFileSystemModel*>();
            connect(model, &QFileSystemModel::directoryLoaded, dialog, [this](const QString& sciezkaFolderu) {
                wczytany = wczytany || QDir(sciezkaFolderu) == QDir(folder->path());
            });
            dialog->setDirectory(folder->path());
        };
    }

    OknaModalne::Warunek folderWczytany()
    {
        return [this](QWidget* w) { return qobject_cast<QFileDialog*>(w) != nullptr && wczytany; };
    }

    static OknaModalne::Warunek zawsze()
    {
        return [](QWidget*) { return true; };
    }

    // The same file dialog again on top, open and waiting.
    static OknaModalne::Warunek wciazOtwarty(const QString& tytul)
    {
        return [tytul](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            return dialog != nullptr && dialog->windowTitle() == tytul && dialog->result() == 0;
        };
    }

    static OknaModalne::Akcja wpisz(const QString& nazwa)
    {
        return [nazwa](QWidget* dialog) { wpiszIZatwierdz(dialog, nazwa); };
    }

    static OknaModalne::Warunek pytanieNaWierzchu()
    {
        return [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; };
    }

private slots:
    void initTestCase()
    {
        // The file dialog keeps its state in the user's settings; not the tester's.
        QStandardPaths::setTestModeEnabled(true);
    }

    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        for (const char* nazwa : {"wejscie.txt", "istniejacy.txt", "inny.dat", "CZYTAJ"}) {
            QFile plik(sciezka(QString::fromLatin1(nazwa)));
            QVERIFY(plik.open(QIODevice::WriteOnly));
            QCOMPARE(plik.write("bez zmian"), 9);
        }
        QVERIFY(otworzOkno());
        kliknij("Toolbar_1");
        QVERIFY(kontrolka<QPushButton>("Command6")->isVisible());
    }

    void cleanup()
    {
        zamknijOkno();
        folder.reset();
    }

    // The dialogs keep nothing between runs: Qt's settings file, where they would keep
    // their folder, history and view, is neither read nor written.
    void bezUstawienMiedzyUruchomieniami()
    {
        const QString konfiguracja = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString ustawienia = konfiguracja + QStringLiteral("/QtProject.conf");
        QVERIFY(QDir().mkpath(konfiguracja));
        const QString odwiedzony = sciezka(QStringLiteral("odwiedzony"));
        QVERIFY(QDir().mkpath(odwiedzony));
        const QByteArray zapisane = "[FileDialog]\nhistory=" + QUrl::fromLocalFile(odwiedzony).toEncoded() +
                                    "\nlastVisited=" + QUrl::fromLocalFile(odwiedzony).toEncoded() +
                                    "\nviewMode=Detail\n";
        const auto zapisz = [&](const QByteArray& tresc) {
            QFile plik(ustawienia);
            return plik.open(QIODevice::WriteOnly | QIODevice::Truncate) && plik.write(tresc) == tresc.size();
        };
        const auto cleanup = qScopeGuard([&] { QFile::remove(ustawienia); });

        for (const bool istnieje : {true, false}) {
            QFile::remove(ustawienia);
            if (istnieje) {
                QVERIFY(zapisz(zapisane));
            }
            QStringList historia;
            OknaModalne scenariusz;
            scenariusz.krok(QStringLiteral("dialog"), dialogPlikow(tytulWejscia), [&](QWidget* w) {
                auto* dialog = qobject_cast<QFileDialog*>(w);
                historia = dialog->history();
                dialog->setViewMode(QFileDialog::List);
                dialog->setDirectory(folder->path());
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
            QVERIFY2(scenariusz.odtworz([this] { kliknij("Command6"); }), qPrintable(scenariusz.blad()));
            QVERIFY2(!historia.contains(odwiedzony), qPrintable(historia.join(QLatin1Char(' '))));
            if (istnieje) {
                QCOMPARE(czytaj(ustawienia), zapisane);
            } else {
                QVERIFY(!QFile::exists(ustawienia));
            }
        }
    }

    void filtryDialogu_data()
    {
        QTest::addColumn<QString>("filtr");
        QTest::addColumn<QStringList>("filtry");
        QTest::newRow("dwie pary") << filtrOkna
                                   << QStringList{"Pliki tekstowe (*.txt)", "Wszystkie pliki (*)"};
        QTest::newRow("kreska na końcu") << "Pliki tekstowe|*.txt|" << QStringList{"Pliki tekstowe (*.txt)"};
        QTest::newRow("bez kreski") << "Pliki tekstowe" << QStringList{"Pliki tekstowe (*)"};
        QTest::newRow("nazwa bez wzorca na końcu")
            << "Pliki tekstowe|*.txt|Wszystkie pliki"
            << QStringList{"Pliki tekstowe (*.txt)", "Wszystkie pliki (*)"};
        QTest::newRow("kilka wzorców") << "Teksty|*.txt;*.asc" << QStringList{"Teksty (*.txt *.asc)"};
        QTest::newRow("wzorzec bez nazwy") << "|*.txt" << QStringList{"*.txt (*.txt)"};
        QTest::newRow("pusty") << "" << QStringList{};
    }

    void filtryDialogu()
    {
        QFETCH(QString, filtr);
        QFETCH(QStringList, filtry);
        QCOMPARE(OpenSave::filtryDialogu(filtr), filtry);
    }

    // What Qt makes of the filters: the list it shows and the files it lets through.
    void filtryWDialogu_data()
    {
        QTest::addColumn<QString>("filtr");
        QTest::addColumn<QStringList>("pokazane");
        QTest::addColumn<QStringList>("pliki");
        // The list shows the names alone, without their patterns.
        QTest::newRow("tekstowe") << filtrOkna << QStringList{"Pliki tekstowe", "Wszystkie pliki"}
                                  << QStringList{"istniejacy.txt", "wejscie.txt"};
        QTest::newRow("bez kreski") << "Pliki tekstowe" << QStringList{"Pliki tekstowe"}
                                    << QStringList{"CZYTAJ", "inny.dat", "istniejacy.txt", "wejscie.txt"};
        QTest::newRow("wszystkie pliki")
            << "Wszystkie pliki|*.*" << QStringList{"Wszystkie pliki"}
            << QStringList{"CZYTAJ", "inny.dat", "istniejacy.txt", "wejscie.txt"};
        QTest::newRow("kilka wzorców")
            << "Dane|*.dat;*.bin" << QStringList{"Dane"} << QStringList{"inny.dat"};
    }

    void filtryWDialogu()
    {
        QFETCH(QString, filtr);
        QFETCH(QStringList, pokazane);
        QFETCH(QStringList, pliki);
        QStringList pokazaneWDialogu;
        QStringList plikiWDialogu;
        QString rozmiar;
        OknaModalne scenariusz;
        scenariusz.krok(QStringLiteral("dialog"), dialogPlikow(QStringLiteral("Filtry")), doFolderu())
            .krok(QStringLiteral("lista plików"), folderWczytany(), [&](QWidget* w) {
                auto* dialog = qobject_cast<QFileDialog*>(w);
                pokazaneWDialogu =
                    pozycjeListy(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")));
                plikiWDialogu = widocznePliki(dialog);
                rozmiar = kolumnaPliku(dialog, QStringLiteral("inny.dat"), 1);
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
        QString wynik = QStringLiteral("<nie wrócił>");
        QVERIFY2(scenariusz.odtworz([&] {
            wynik = OpenSave::ShowOpen(okno.get(), filtr, QStringLiteral("Filtry"), QString());
        }),
                 qPrintable(scenariusz.blad()));
        QCOMPARE(pokazaneWDialogu, pokazane);
        QCOMPARE(plikiWDialogu, pliki);
        QCOMPARE(wynik, QString());
        // Sizes are Polish whatever the system's locale.
        if (pliki.contains(QStringLiteral("inny.dat"))) {
            QCOMPARE(rozmiar,
                     QLocale(QLocale::Polish).formattedDataSize(QFileInfo(sciezka("inny.dat")).size()));
            QVERIFY2(!rozmiar.contains(QLatin1String("byte")), qPrintable(rozmiar));
        }
    }

    // Titles, and Qt's own captions in Polish: the translation catalogue must be loaded.
    // The output's dialog opens beside the input file.
    void wygladDialogow_data()
    {
        QTest::addColumn<QString>("przycisk");
        QTest::addColumn<QString>("tytul");
        QTest::addColumn<QString>("zatwierdz");
        QTest::addColumn<bool>("obokWejscia");
        QTest::newRow("wejście") << "Command6" << tytulWejscia << "&Otwórz" << false;
        QTest::newRow("wyjście") << "Command7" << tytulWyjscia << "&Zachowaj" << true;
    }

    void wygladDialogow()
    {
        QFETCH(QString, przycisk);
        QFETCH(QString, tytul);
        QFETCH(QString, zatwierdz);
        QFETCH(bool, obokWejscia);
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("wejscia")));
        okno->findChild<QLineEdit*>(QStringLiteral("Text2"))
            ->setText(sciezka(QStringLiteral("wejscia/we.txt")));
        QStringList napisy;
        QStringList filtry;
        QString folderDialogu;
        bool natywny = true;
        OknaModalne scenariusz;
        scenariusz.krok(QStringLiteral("dialog"), dialogPlikow(tytul), [&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            folderDialogu = dialog->directory().absolutePath();
            natywny = !dialog->testOption(QFileDialog::DontUseNativeDialog);
            for (auto etykieta : {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::FileType,
                                  QFileDialog::Accept, QFileDialog::Reject}) {
                napisy << dialog->labelText(etykieta);
            }
            filtry = pozycjeListy(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY2(scenariusz.odtworz(
                     [&] { QTest::mouseClick(okno->findChild<QPushButton*>(przycisk), Qt::LeftButton); }),
                 qPrintable(scenariusz.blad()));
        QVERIFY(!natywny);
        QCOMPARE(napisy, (QStringList{"Szukaj w:", "Nazwa &pliku:", "Pliki rodzaju:", zatwierdz, "Anuluj"}));
        QCOMPARE(filtry, (QStringList{"Pliki tekstowe", "Wszystkie pliki"}));
        QCOMPARE(folderDialogu == sciezka(QStringLiteral("wejscia")), obokWejscia);
    }

    void wyborPlikuWejsciowego_data()
    {
        QTest::addColumn<QString>("wpisana");
        QTest::newRow("nazwa") << "wejscie.txt";
        QTest::newRow("spacje na końcu") << "wejscie.txt   ";
    }

    void wyborPlikuWejsciowego()
    {
        QFETCH(QString, wpisana);
        auto* text2 = kontrolka<QLineEdit>("Text2");
        auto* text3 = kontrolka<QLineEdit>("Text3");
        text3->setText(QStringLiteral("wyjscie.txt"));
        OknaModalne scenariusz;
        scenariusz.krok(QStringLiteral("dialog"), dialogPlikow(tytulWejscia), doFolderu())
            .krok(QStringLiteral("nazwa pliku"), zawsze(), wpisz(wpisana));
        QVERIFY2(scenariusz.odtworz([this] { kliknij("Command6"); }), qPrintable(scenariusz.blad()));
        QCOMPARE(text2->text(), sciezka(QStringLiteral("wejscie.txt")));
        QCOMPARE(text3->text(), QStringLiteral("wyjscie.txt"));
        QCOMPARE(okno->focusWidget(), text2);
        QVERIFY(pokazAktywne(*okno));
        QCOMPARE(QApplication::focusWidget(), text2);
    }

    // The open dialog takes only a file that exists: Qt warns, and the dialog stays open
    // for another name.
    void brakujacyPlikWejsciowy()
    {
        auto* text2 = kontrolka<QLineEdit>("Text2");
        Komunikat ostrzezenie;
        QString poOstrzezeniu = QStringLiteral("<nie sprawdzono>");
        OknaModalne scenariusz;
        scenariusz.krok(QStringLiteral("dialog"), dialogPlikow(tytulWejscia), doFolderu())
            .krok(QStringLiteral("brakujący plik"), zawsze(), wpisz(QStringLiteral("brak.txt")))
            .krok(QStringLiteral("ostrzeżenie"), pytanieNaWierzchu(),
                  [&](QWidget* w) {
                      auto* box = qobject_cast<QMessageBox*>(w);
                      ostrzezenie = {box->windowTitle(), box->text(), box->icon(), box->informativeText()};
                      QTest::keyClick(box, Qt::Key_Return);
                  })
            .krok(QStringLiteral("dialog otwarty po ostrzeżeniu"), wciazOtwarty(tytulWejscia),
                  [&](QWidget* dialog) {
                      poOstrzezeniu = text2->text();
                      // What a window manager does when the box goes: the dialog is
                      // active again, and its name box takes the typing.
                      dialog->activateWindow();
                  })
            .krok(
                QStringLiteral("dialog znów aktywny"),
                [](QWidget* dialog) { return dialog->isActiveWindow(); },
                wpisz(QStringLiteral("istniejacy.txt")));
        QVERIFY2(scenariusz.odtworz([this] { kliknij("Command6"); }), qPrintable(scenariusz.blad()));
        QCOMPARE(ostrzezenie.tytul, tytulWejscia);
        QCOMPARE(ostrzezenie.tekst, QStringLiteral("brak.txt\nBrak pliku.\nSprawdź podaną nazwę pliku."));
        QCOMPARE(ostrzezenie.ikona, QMessageBox::Warning);
        QCOMPARE(poOstrzezeniu, QString());
        QCOMPARE(text2->text(), sciezka(QStringLiteral("istniejacy.txt")));
    }

    void anulowanie_data()
    {
        QTest::addColumn<QString>("przycisk");
        QTest::addColumn<QString>("tytul");
        QTest::newRow("wejście") << "Command6" << tytulWejscia;
        QTest::newRow("wyjście") << "Command7" << tytulWyjscia;
    }

    void anulowanie()
    {
        QFETCH(QString, przycisk);
        QFETCH(QString, tytul);
        auto* text2 = kontrolka<QLineEdit>("Text2");
        auto* text3 = kontrolka<QLineEdit>("Text3");
        text2->setText(QStringLiteral("stare.txt"));
        text3->setText(QStringLiteral("stare2.txt"));
        auto* wybierz = okno->findChild<QPushButton*>(przycisk);
        wybierz->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), wybierz);

        OknaModalne scenariusz;
        // A name typed, then thrown away.
        scenariusz.krok(QStringLiteral("dialog"), dialogPlikow(tytul), doFolderu())
            .krok(QStringLiteral("anulowanie"), zawsze(), [](QWidget* dialog) {
                QTest::keyClicks(poleNazwy(dialog), QStringLiteral("wejscie.txt"));
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
        QVERIFY2(scenariusz.odtworz([wybierz] { QTest::mouseClick(wybierz, Qt::LeftButton); }),
                 qPrintable(scenariusz.blad()));
        QCOMPARE(text2->text(), QStringLiteral("stare.txt"));
        QCOMPARE(text3->text(), QStringLiteral("stare2.txt"));
        QCOMPARE(okno->focusWidget(), wybierz);
    }

    // Qt asks before replacing a file, the program before creating one; No keeps the
    // dialog open, Enter takes the safe answer for a replacement.
    void pytaniaDialoguZapisu_data()
    {
        QTest::addColumn<QString>("wpisana");
        QTest::addColumn<Odpowiedz>("odpowiedz");
        QTest::addColumn<QString>("pytanie");
        QTest::addColumn<bool>("wybrany");
        const QString zastapic = QStringLiteral("istniejacy.txt już istnieje.\nCzy chcesz go zastąpić?");
        const QString utworzyc = QStringLiteral("Plik nowy.txt nie istnieje.\nCzy chcesz go utworzyć?");
        QTest::newRow("zastąpić: tak") << "istniejacy.txt" << Odpowiedz::Tak << zastapic << true;
        QTest::newRow("zastąpić: nie") << "istniejacy.txt" << Odpowiedz::Nie << zastapic << false;
        QTest::newRow("zastąpić: Enter") << "istniejacy.txt" << Odpowiedz::Enter << zastapic << false;
        QTest::newRow("zastąpić ze spacjami: tak")
            << "istniejacy.txt  " << Odpowiedz::Tak << zastapic << true;
        QTest::newRow("utworzyć: tak") << "nowy.txt" << Odpowiedz::Tak << utworzyc << true;
        QTest::newRow("utworzyć: nie") << "nowy.txt" << Odpowiedz::Nie << utworzyc << false;
        QTest::newRow("utworzyć: Enter") << "nowy.txt" << Odpowiedz::Enter << utworzyc << true;
        QTest::newRow("utworzyć ze spacjami: tak") << "nowy.txt " << Odpowiedz::Tak << utworzyc << true;
    }

    void pytaniaDialoguZapisu()
    {
        QFETCH(QString, wpisana);
        QFETCH(Odpowiedz, odpowiedz);
        QFETCH(QString, pytanie);
        QFETCH(bool, wybrany);
        auto* text2 = kontrolka<QLineEdit>("Text2");
        auto* text3 = kontrolka<QLineEdit>("Text3");
        auto* command7 = kontrolka<QPushButton>("Command7");
        command7->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), command7);

        Komunikat pokazane;
        QStringList przyciski;
        OknaModalne scenariusz;
        scenariusz.krok(QStringLiteral("dialog"), dialogPlikow(tytulWyjscia), doFolderu())
            .krok(QStringLiteral("nazwa pliku"), zawsze(), wpisz(wpisana))
            .krok(QStringLiteral("pytanie"), pytanieNaWierzchu(), [&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                pokazane = {box->windowTitle(), box->text(), box->icon(), box->informativeText()};
                for (QAbstractButton* przycisk : box->buttons()) {
                    przyciski << przycisk->text();
                }
                if (odpowiedz == Odpowiedz::Enter) {
                    QTest::keyClick(box, Qt::Key_Return);
                } else {
                    QTest::mouseClick(
                        box->button(odpowiedz == Odpowiedz::Tak ? QMessageBox::Yes : QMessageBox::No),
                        Qt::LeftButton);
                }
            });
        if (!wybrany) {
            scenariusz.krok(QStringLiteral("dialog otwarty po odmowie"), wciazOtwarty(tytulWyjscia),
                            [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        }
        QVERIFY2(scenariusz.odtworz([this] { kliknij("Command7"); }), qPrintable(scenariusz.blad()));

        QCOMPARE(pokazane.tytul, tytulWyjscia);
        QCOMPARE(pokazane.tekst, pytanie);
        przyciski.sort();
        QCOMPARE(przyciski, (QStringList{"&Nie", "&Tak"}));
        const QString plik = sciezka(wpisana.trimmed());
        QCOMPARE(text3->text(), wybrany ? plik : QString());
        QCOMPARE(okno->focusWidget(), wybrany ? static_cast<QWidget*>(text3) : command7);
        QVERIFY(text2->text().isEmpty());
        // Choosing only names the file; nothing is written until the conversion.
        QCOMPARE(czytaj(sciezka(QStringLiteral("istniejacy.txt"))), QByteArray("bez zmian"));
        QVERIFY(!QFile::exists(sciezka(QStringLiteral("nowy.txt"))));
    }
};

ZNAKOMAT_GUI_TEST_MAIN(TestDialogi)
#include "test_dialogi.moc"
