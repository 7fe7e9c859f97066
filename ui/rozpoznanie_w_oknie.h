#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

#include "jobs/rozpoznanie_zrodla.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace ui {

class PoleTekstowe;

// The window recognises the source standard of the file named in the input box once a
// name comes in whole (the dialog, the command line, a drop; not while the user types),
// and of the text box after a paste. The source list follows a verdict only while it shows
// what the window set there itself (the start default or an earlier verdict); a choice the
// user made in the list stays. Every verdict is told in the box's tooltip and accessible
// description. The window never waits for it but at "Konwertuj".
class RozpoznanieWOknie : public QObject {
    Q_OBJECT

public:
    RozpoznanieWOknie(QComboBox* zrodlo, QLineEdit* wejscie, PoleTekstowe* pole,
                      std::function<bool()> konwersjaTrwa);

    void rozpoznajWejscie();
    // `tekst` is what the box was given, and so exactly what it holds.
    void rozpoznajPole(const QString& tekst);

    // Before a conversion of the file (`plik`) or of the text box: a verdict still under
    // way for it is waited for, and a file that changed since its verdict is read again,
    // so that the conversion starts from what the list will show.
    void przedKonwersja(bool plik);
    // A verdict that came while a conversion ran is applied now.
    void poKonwersji();
    // The other mode's box is in use: the list shows what the window chose for this one.
    void zmienionoTryb(bool plik);

private:
    // The verdict on the box the recognition under way was about.
    void pokaz(const jobs::WynikRozpoznania& wynik);
    void zastosuj(QWidget* pole, const jobs::WynikRozpoznania& wynik);
    // A new text in the box: what was said of the old one no longer holds.
    void zmienionoTekst(QWidget* pole);
    // The verdict after what the box says of itself, if anything.
    void opisz(QWidget* pole, const QString& opis);
    bool ustawionyPrzezOkno() const;
    void ustaw(int standard);
    // The box's slot in wybraneDla_.
    static int miejsce(bool plik) { return plik ? 1 : 0; }

    QComboBox* zrodlo_;
    QLineEdit* wejscie_;
    PoleTekstowe* pole_;
    std::function<bool()> konwersjaTrwa_;
    // Each box's own tooltip and description, from before any verdict.
    struct Opis {
        QString podpowiedz;
        QString dlaCzytnika;
    };
    Opis opisWejscia_;
    Opis opisPola_;
    const int domyslny_;
    int ustawionyPrzezOkno_;
    bool wybranyRecznie_ = false;
    bool trybPliku_ = false;
    // What the window chose for the text box and for the file, after their verdicts.
    std::optional<int> wybraneDla_[2];
    // The box the recognition under way is about.
    QWidget* opisywane_ = nullptr;
    // A verdict that came during a conversion, with its box.
    std::optional<jobs::WynikRozpoznania> odlozony_;
    QWidget* odlozonyDla_ = nullptr;
    // The input file's state when its verdict was taken, and its name.
    std::optional<jobs::StanPliku> stanWejscia_;
    QString nazwaWejscia_;
    jobs::RozpoznawanieWTle tlo_;
};

}  // namespace ui
