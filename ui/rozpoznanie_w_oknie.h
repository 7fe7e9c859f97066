#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "jobs/rozpoznanie_zrodla.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace okno {

class PoleTekstowe;

// The window recognises the source standard of the file named in the input box once a
// name comes in whole (the dialog, the command line, a drop; not while the user types),
// and of the text box after a paste. The source list follows a certain verdict only while
// it shows what the window set there itself (the start default or an earlier verdict); a
// choice the user made in the list stays. Every verdict is told in the box's tooltip and
// accessible description. The window never waits for it.
class RozpoznanieWOknie : public QObject {
    Q_OBJECT

public:
    RozpoznanieWOknie(QComboBox* zrodlo, QLineEdit* wejscie, PoleTekstowe* pole,
                      std::function<bool()> konwersjaTrwa);

    void rozpoznajWejscie();
    // `tekst` is what the box was given, and so exactly what it holds.
    void rozpoznajPole(const QString& tekst);

private:
    void pokaz(const zadania::WynikRozpoznania& wynik);
    // A new text in the box: what was said of the old one no longer holds.
    void zmienionoTekst(QWidget* pole);
    // The verdict after what the box says of itself, if anything.
    void opisz(QWidget* pole, const QString& opis);

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
    int ustawionyPrzezOkno_;
    bool wybranyRecznie_ = false;
    // The box the recognition under way is about.
    QWidget* opisywane_ = nullptr;
    zadania::RozpoznawanieWTle tlo_;
};

}  // namespace okno
