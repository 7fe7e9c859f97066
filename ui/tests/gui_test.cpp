#include "ui/tests/gui_test.h"

#include <QDialog>

namespace {

// Long enough for a file dialog to list a folder in a sanitized build.
constexpr qint64 LIMIT_MS = 10000;

}  // namespace

OknaModalne::OknaModalne(QList<Krok> kroki) : kroki_(std::move(kroki))
{
    zegar_.start();
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, &wlasciciel_, [this] { sprawdz(); });
    timer_.start();
}

OknaModalne& OknaModalne::krok(const QString& opis, Warunek warunek, Akcja akcja)
{
    kroki_.append({opis, std::move(warunek), std::move(akcja)});
    return *this;
}

bool OknaModalne::odtworz(const std::function<void()>& wyzwalacz)
{
    zegar_.start();
    wyzwalacz();
    if (blad_.isEmpty() && nastepny_ < kroki_.size()) {
        blad_ = QStringLiteral("okna zamknięte przed krokiem: ") + kroki_.at(nastepny_).opis;
    }
    return blad_.isEmpty();
}

void OknaModalne::sprawdz()
{
    QWidget* okno = QApplication::activeModalWidget();
    if (!blad_.isEmpty()) {
        if (auto* dialog = qobject_cast<QDialog*>(okno)) {
            dialog->reject();
        }
        return;
    }
    if (czekaNaAkcje_) {
        return;
    }
    const bool czekaNaKrok = nastepny_ < kroki_.size();
    if (okno != nullptr && okno->isVisible()) {
        if (czekaNaKrok && kroki_.at(nastepny_).warunek(okno)) {
            wykonaj(okno, kroki_.at(nastepny_++).akcja);
            return;
        }
        auto* komunikat = qobject_cast<QMessageBox*>(okno);
        if (komunikat != nullptr && komunikat != ostatniKomunikat_) {
            ostatniKomunikat_ = komunikat;
            komunikaty_.append({komunikat->windowTitle(), komunikat->text(), komunikat->icon(),
                                komunikat->informativeText()});
            wykonaj(komunikat, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Enter); });
            return;
        }
    } else if (!czekaNaKrok) {
        return;
    }
    if (zegar_.hasExpired(LIMIT_MS)) {
        blad_ = czekaNaKrok ? QStringLiteral("nie doczekano się: ") + kroki_.at(nastepny_).opis
                            : QStringLiteral("okno otwarte po ostatnim kroku");
    }
}

// Actions run from a queued call, never from the polling timer itself: an action that
// opens another modal window runs a nested event loop, and a timer is not fired again
// while its slot still runs.
void OknaModalne::wykonaj(QWidget* okno, Akcja akcja)
{
    czekaNaAkcje_ = true;
    QMetaObject::invokeMethod(
        &wlasciciel_,
        [this, okno = QPointer<QWidget>(okno), akcja = std::move(akcja)] {
            czekaNaAkcje_ = false;
            zegar_.start();
            if (okno != nullptr) {
                akcja(okno);
            }
        },
        Qt::QueuedConnection);
}

bool pokazAktywne(QWidget& okno)
{
    okno.show();
    if (!QTest::qWaitForWindowExposed(&okno)) {
        return false;
    }
    okno.activateWindow();
    return QTest::qWaitForWindowActive(&okno);
}

bool TestOkna::otworzOkno()
{
    okno = std::make_unique<ui::frmMain>();
    wysrodkuj(*okno);
    return pokazAktywne(*okno);
}
