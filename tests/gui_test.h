#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTest>
#include <QTimer>

#include <functional>

#include "aplikacja.h"

// What a modal message box showed before the test answered it.
struct Komunikat {
    QString tytul;
    QString tekst;
    QMessageBox::Icon ikona = QMessageBox::NoIcon;
};

// While it lives, answers every modal message box with Enter as soon as it appears and
// records what each showed. Polling from a timer keeps it working inside the nested
// event loops of a running job.
class OdpowiedziNaKomunikaty {
public:
    OdpowiedziNaKomunikaty()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { odpowiedz(); });
        timer_.start();
    }

    const QList<Komunikat>& komunikaty() const { return komunikaty_; }

private:
    void odpowiedz()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || box == ostatni_) {
            return;
        }
        ostatni_ = box;
        komunikaty_.append({box->windowTitle(), box->text(), box->icon()});
        QTest::keyClick(box, Qt::Key_Enter);
    }

    QTimer timer_;
    QPointer<QMessageBox> ostatni_;
    QList<Komunikat> komunikaty_;
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
inline bool pokazAktywne(QWidget& okno)
{
    okno.show();
    if (!QTest::qWaitForWindowExposed(&okno)) {
        return false;
    }
    okno.activateWindow();
    return QTest::qWaitForWindowActive(&okno);
}

// The tests run with the look and translations of the real program.
#define ZNAKOMAT_GUI_TEST_MAIN(Klasa)           \
    int main(int argc, char* argv[])            \
    {                                           \
        QApplication aplikacja(argc, argv);     \
        przygotujAplikacje(aplikacja);          \
        Klasa test;                             \
        return QTest::qExec(&test, argc, argv); \
    }
