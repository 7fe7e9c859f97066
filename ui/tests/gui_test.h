#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "pliki/sygnaly.h"
#include "ui/aplikacja.h"
#include "ui/frmmain.h"

// What a modal message box showed before it was answered.
struct Komunikat {
    QString tytul;
    QString tekst;
    QMessageBox::Icon ikona = QMessageBox::NoIcon;
    // The informative text beneath the text.
    QString przyczyna;
};

// While it lives, answers the modal windows that appear, from a timer that polls the
// active modal window, so it keeps working inside the nested event loops of a running
// job and of the windows themselves.
//
// Steps given with krok() are played in order: each waits until the active modal window
// meets its condition, then acts on it. A message box that the next step does not take is
// answered with Enter and recorded in komunikaty(). A step not reached, or a window left
// open, within ten seconds is an error (blad()); every modal window is then rejected, so
// that the action that opened them returns.
class OknaModalne {
public:
    using Warunek = std::function<bool(QWidget*)>;
    using Akcja = std::function<void(QWidget*)>;
    struct Krok {
        QString opis;
        Warunek warunek;
        Akcja akcja;
    };

    explicit OknaModalne(QList<Krok> kroki = {});

    OknaModalne& krok(const QString& opis, Warunek warunek, Akcja akcja);

    // Calls wyzwalacz, which opens the first window and returns once all are closed.
    // False when a step was not reached (blad() says which).
    bool odtworz(const std::function<void()>& wyzwalacz);

    const QString& blad() const { return blad_; }
    const QList<Komunikat>& komunikaty() const { return komunikaty_; }

private:
    void sprawdz();
    void wykonaj(QWidget* okno, Akcja akcja);

    QList<Krok> kroki_;
    qsizetype nastepny_ = 0;
    bool czekaNaAkcje_ = false;
    QPointer<QMessageBox> ostatniKomunikat_;
    QList<Komunikat> komunikaty_;
    QElapsedTimer zegar_;
    QString blad_;
    // Owns the queued actions: those still pending when this goes are dropped with it.
    QObject wlasciciel_;
    QTimer timer_;
};

// A control of the window by its name; a missing one ends the test run at once, since
// every later step would only fail on a null pointer.
template <class T>
T* znajdzKontrolke(const QWidget& okno, const char* nazwa)
{
    T* znaleziona = okno.findChild<T*>(QString::fromLatin1(nazwa));
    if (znaleziona == nullptr) {
        qFatal("No control %s", nazwa);
    }
    return znaleziona;
}

// Shows a window and makes it the active one; Xvfb has no window manager to do it.
bool pokazAktywne(QWidget& okno);

// What every window test derives from: the program's window, made afresh for each test
// function as the program makes it, and its controls by name.
class TestOkna : public QObject {
protected:
    std::unique_ptr<ui::frmMain> okno;

    // For init(): a new window, centred, shown and active.
    bool otworzOkno();
    // For cleanup().
    void zamknijOkno() { okno.reset(); }

    template <class T>
    T* kontrolka(const char* nazwa)
    {
        return znajdzKontrolke<T>(*okno, nazwa);
    }

    QPushButton* przycisk(const char* nazwa) { return kontrolka<QPushButton>(nazwa); }
    void kliknij(const char* nazwa) { QTest::mouseClick(przycisk(nazwa), Qt::LeftButton); }
};

// The tests run with the look and translations of the real program.
#define ZNAKOMAT_GUI_TEST_MAIN(Klasa)                               \
    int main(int argc, char* argv[])                                \
    {                                                               \
        pliki::PrzygotujSygnaly(pliki::ZamknietyPotok::JestBledem); \
        QApplication aplikacja(argc, argv);                         \
        przygotujAplikacje(aplikacja);                              \
        Klasa test;                                                 \
        return QTest::qExec(&test, argc, argv);                     \
    }
