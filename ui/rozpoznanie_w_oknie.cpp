#include "ui/rozpoznanie_w_oknie.h"

#include <QComboBox>
#include <QLineEdit>

#include <optional>
#include <utility>

#include "ui/poletekstowe.h"

namespace okno {

RozpoznanieWOknie::RozpoznanieWOknie(QComboBox* zrodlo, QLineEdit* wejscie, PoleTekstowe* pole,
                                     std::function<bool()> konwersjaTrwa)
    : zrodlo_(zrodlo),
      wejscie_(wejscie),
      pole_(pole),
      konwersjaTrwa_(std::move(konwersjaTrwa)),
      opisWejscia_{wejscie->toolTip(), wejscie->accessibleDescription()},
      opisPola_{pole->toolTip(), pole->accessibleDescription()},
      ustawionyPrzezOkno_(zrodlo->currentIndex())
{
    // Only the user activates the list; the window's own changes do not.
    connect(zrodlo_, &QComboBox::activated, this, [this] { wybranyRecznie_ = true; });
    connect(wejscie_, &QLineEdit::textChanged, this, [this] { zmienionoTekst(wejscie_); });
    connect(pole_, &PoleTekstowe::textChanged, this, [this] { zmienionoTekst(pole_); });
    connect(&tlo_, &zadania::RozpoznawanieWTle::rozpoznano, this, &RozpoznanieWOknie::pokaz);
}

void RozpoznanieWOknie::rozpoznajWejscie()
{
    const QString nazwa = wejscie_->text();
    if (nazwa.isEmpty()) {
        return;
    }
    opisywane_ = wejscie_;
    tlo_.rozpoznaj([nazwa, obecny = zrodlo_->currentIndex()](std::stop_token stop) {
        return zadania::RozpoznajPlik(nazwa, obecny, std::move(stop));
    });
}

void RozpoznanieWOknie::rozpoznajPole(const QString& tekst)
{
    opisywane_ = pole_;
    tlo_.rozpoznaj([tekst, obecny = zrodlo_->currentIndex()](std::stop_token) {
        return zadania::RozpoznajTekst(tekst, obecny);
    });
}

void RozpoznanieWOknie::zmienionoTekst(QWidget* pole)
{
    if (opisywane_ == pole) {
        tlo_.porzuc();
        opisywane_ = nullptr;
    }
    opisz(pole, QString());
}

void RozpoznanieWOknie::pokaz(const zadania::WynikRozpoznania& wynik)
{
    QWidget* pole = std::exchange(opisywane_, nullptr);
    if (pole == nullptr) {
        return;
    }
    const bool ustawionyPrzezOkno = !wybranyRecznie_ && zrodlo_->currentIndex() == ustawionyPrzezOkno_;
    // A running conversion has read the list already: a change now would belie it.
    if (ustawionyPrzezOkno && !konwersjaTrwa_()) {
        if (const std::optional<int> standard = zadania::StandardDoWybrania(wynik)) {
            zrodlo_->setCurrentIndex(*standard);
            ustawionyPrzezOkno_ = *standard;
        }
    }
    const std::optional<int> recznie =
        ustawionyPrzezOkno ? std::nullopt : std::optional<int>(zrodlo_->currentIndex());
    opisz(pole, zadania::OpisRozpoznania(wynik, pole == wejscie_, recznie));
}

void RozpoznanieWOknie::opisz(QWidget* pole, const QString& opis)
{
    const Opis& wlasny = pole == wejscie_ ? opisWejscia_ : opisPola_;
    const auto polacz = [&opis](const QString& pierwszy) {
        return pierwszy.isEmpty() || opis.isEmpty() ? pierwszy + opis : pierwszy + QLatin1Char('\n') + opis;
    };
    pole->setToolTip(polacz(wlasny.podpowiedz));
    pole->setAccessibleDescription(polacz(wlasny.dlaCzytnika));
}

}  // namespace okno
