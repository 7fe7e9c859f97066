#pragma once

// What the tests of the window's file mode share: the messages they expect, files written
// and read whole, and the window in the file mode with a folder of its own for each test
// function.

#include <QByteArray>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "engine/standardy.h"
#include "engine/tests/konwersja_bajtow.h"
#include "ui/frmmain.h"
#include "ui/tests/gui_test.h"

using engine::ISO_LATIN_2;
using engine::MAZOVIA;
using engine::UTF8_INDEX;
using engine::WINDOWS_EE;

inline const QString brakNazwyWyjscia = QStringLiteral("Podaj nazwę pliku wyjściowego");
inline const QString brakNazwyWejscia = QStringLiteral("Podaj nazwę pliku wejściowego");
inline const QString taSamaNazwa = QStringLiteral("Plik wyjściowy musi mieć inną nazwę niż plik wejściowy!");
inline const QString nieOtwieram = QStringLiteral("Nie mogę otworzyć pliku tekstowego: ");
inline const QString nieNadpisuje = QStringLiteral("Nie mogę nadpisać (utworzyć) pliku tekstowego: ");
inline const QString zakonczona = QStringLiteral("Konwersja została zakończona!");

inline QByteArray czytaj(const QString& nazwa)
{
    QFile plik(nazwa);
    if (!plik.open(QIODevice::ReadOnly)) {
        return QByteArray("<brak pliku>");
    }
    return plik.readAll();
}

inline void zapisz(const QString& nazwa, const QByteArray& tresc)
{
    QFile plik(nazwa);
    QVERIFY(plik.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(plik.write(tresc), tresc.size());
}

inline QByteArray wszystkieBajty()
{
    QByteArray bajty;
    for (int b = 0; b < 256; ++b) {
        bajty.append(static_cast<char>(b));
    }
    return bajty + QByteArray("\r\nwiersz\nwiersz\rwiersz\r\n\r\n\n\r") + bajty;
}

inline QByteArray skonwertowane(const QByteArray& tekst, int zrodlo, int cel)
{
    return QByteArray::fromStdString(engine::test::KonwertujBajty(tekst.toStdString(), zrodlo, cel));
}

// The window of each test function, in the file mode, and a folder of its own.
class TestTrybuPlikow : public TestOkna {
protected:
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

    // For init().
    void otworzWTrybiePlikow()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        QVERIFY(otworzOkno());
        kliknij("Toolbar_1");
    }

    // For cleanup().
    void zamknijIUsunFolder()
    {
        zamknijOkno();
        folder.reset();
    }
};
