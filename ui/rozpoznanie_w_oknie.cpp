#include "ui/rozpoznanie_w_oknie.h"

#include <QComboBox>
#include <QLineEdit>

#include <utility>

#include "ui/poletekstowe.h"

namespace ui {

RozpoznanieWOknie::RozpoznanieWOknie(QComboBox* zrodlo, QLineEdit* wejscie, PoleTekstowe* pole,
                                     std::function<bool()> konwersjaTrwa)
    : zrodlo_(zrodlo),
      wejscie_(wejscie),
      pole_(pole),
      konwersjaTrwa_(std::move(konwersjaTrwa)),
      opisWejscia_{wejscie->toolTip(), wejscie->accessibleDescription()},
      opisPola_{pole->toolTip(), pole->accessibleDescription()},
      domyslny_(zrodlo->currentIndex()),
      ustawionyPrzezOkno_(domyslny_)
{
    // Only the user activates the list; the window's own changes do not.
    connect(zrodlo_, &QComboBox::activated, this, [this] { wybranyRecznie_ = true; });
    connect(wejscie_, &QLineEdit::textChanged, this, [this] { zmienionoTekst(wejscie_); });
    connect(pole_, &PoleTekstowe::textChanged, this, [this] { zmienionoTekst(pole_); });
    connect(&tlo_, &jobs::RozpoznawanieWTle::rozpoznano, this, &RozpoznanieWOknie::pokaz);
}

void RozpoznanieWOknie::rozpoznajWejscie()
{
    const QString nazwa = wejscie_->text();
    if (nazwa.isEmpty()) {
        return;
    }
    opisywane_ = wejscie_;
    nazwaWejscia_ = nazwa;
    tlo_.rozpoznaj([nazwa, obecny = zrodlo_->currentIndex()](std::stop_token stop) {
        return jobs::RozpoznajPlik(nazwa, obecny, std::move(stop));
    });
}

void RozpoznanieWOknie::rozpoznajPole(const QString& tekst)
{
    opisywane_ = pole_;
    tlo_.rozpoznaj([tekst, obecny = zrodlo_->currentIndex()](std::stop_token) {
        return jobs::RozpoznajTekst(tekst, obecny);
    });
}

void RozpoznanieWOknie::przedKonwersja(bool plik)
{
    QWidget* pole = plik ? static_cast<QWidget*>(wejscie_) : pole_;
    bool rozpoznacTeraz = tlo_.trwa() && opisywane_ == pole;
    if (plik && stanWejscia_ && nazwaWejscia_ == wejscie_->text()) {
        rozpoznacTeraz |= jobs::StanPlikuTeraz(nazwaWejscia_) != stanWejscia_;
    }
    if (!rozpoznacTeraz) {
        return;
    }
    tlo_.porzuc();
    opisywane_ = nullptr;
    // One mebibyte read and judged: the window waits for it as for the conversion itself.
    const int obecny = zrodlo_->currentIndex();
    zastosuj(pole, plik ? jobs::RozpoznajPlik(nazwaWejscia_, obecny)
                        : jobs::RozpoznajTekst(pole_->tekst(), obecny));
}

void RozpoznanieWOknie::poKonwersji()
{
    if (odlozony_) {
        const jobs::WynikRozpoznania wynik = *std::exchange(odlozony_, std::nullopt);
        zastosuj(std::exchange(odlozonyDla_, nullptr), wynik);
    }
    zmienionoTryb(trybPliku_);
}

void RozpoznanieWOknie::zmienionoTryb(bool plik)
{
    trybPliku_ = plik;
    if (ustawionyPrzezOkno() && !konwersjaTrwa_()) {
        ustaw(wybraneDla_[miejsce(plik)].value_or(domyslny_));
    }
}

void RozpoznanieWOknie::zmienionoTekst(QWidget* pole)
{
    if (opisywane_ == pole) {
        tlo_.porzuc();
        opisywane_ = nullptr;
    }
    if (odlozonyDla_ == pole) {
        odlozony_.reset();
        odlozonyDla_ = nullptr;
    }
    if (pole == wejscie_) {
        stanWejscia_.reset();
    }
    opisz(pole, QString());
}

bool RozpoznanieWOknie::ustawionyPrzezOkno() const
{
    return !wybranyRecznie_ && zrodlo_->currentIndex() == ustawionyPrzezOkno_;
}

void RozpoznanieWOknie::ustaw(int standard)
{
    zrodlo_->setCurrentIndex(standard);
    ustawionyPrzezOkno_ = standard;
}

void RozpoznanieWOknie::pokaz(const jobs::WynikRozpoznania& wynik)
{
    if (QWidget* pole = std::exchange(opisywane_, nullptr)) {
        zastosuj(pole, wynik);
    }
}

void RozpoznanieWOknie::zastosuj(QWidget* pole, const jobs::WynikRozpoznania& wynik)
{
    const bool plik = pole == wejscie_;
    if (plik) {
        stanWejscia_ = wynik.stanPliku;
    }
    const bool ustawionyPrzezOkno = this->ustawionyPrzezOkno();
    const std::optional<int> standard = jobs::StandardDoWybrania(wynik);
    if (ustawionyPrzezOkno && standard) {
        // A running conversion has read the list already: a change now would belie it.
        if (konwersjaTrwa_()) {
            odlozony_ = wynik;
            odlozonyDla_ = pole;
            opisz(pole, jobs::OpisRozpoznania(wynik, plik, std::nullopt, true));
            return;
        }
        wybraneDla_[miejsce(plik)] = standard;
        // A verdict on the other mode's box waits until that mode is chosen.
        if (plik == trybPliku_) {
            ustaw(*standard);
        }
    } else if (ustawionyPrzezOkno && plik == trybPliku_) {
        wybraneDla_[miejsce(plik)] = ustawionyPrzezOkno_;
    }
    const std::optional<int> recznie =
        ustawionyPrzezOkno ? std::nullopt : std::optional<int>(zrodlo_->currentIndex());
    opisz(pole, jobs::OpisRozpoznania(wynik, plik, recznie));
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

}  // namespace ui
