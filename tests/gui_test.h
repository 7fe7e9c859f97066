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

// Answers the next modal message box with OK as soon as it appears, recording what it
// showed. Call before the action that opens the box.
inline void odpowiedzNaKomunikat(Komunikat& zapis, int limitMs = 10000)
{
    QTimer::singleShot(0, [&zapis, limitMs] {
        QMessageBox* box = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) != nullptr, limitMs);
        zapis.tytul = box->windowTitle();
        zapis.tekst = box->text();
        zapis.ikona = box->icon();
        QTest::keyClick(box, Qt::Key_Enter);
    });
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
