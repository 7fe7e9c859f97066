#pragma once

#include <QString>

namespace zadania {

// What the convert command and its jobs need of the window. The window reads its
// controls at the moment a job asks, so nothing is kept between runs.
class OknoKonwersji {
public:
    virtual int pozycjaZrodla() const = 0;
    virtual int pozycjaCelu() const = 0;
    virtual bool trybTekstowy() const = 0;

    virtual void EnabledX(bool x) = 0;
    // The caption while step `krok` (1..18) of a conversion runs, and the window's own.
    virtual void pokazKrok(int krok) = 0;
    virtual void przywrocTytul() = 0;
    virtual void przetworzZdarzenia() = 0;
    // The user asked to close the window: a running job stops and leaves everything as
    // it found it.
    virtual bool zamkniecieZadane() const = 0;

    // Modal boxes with an OK button: a warning titled "Błąd", or an information box.
    // The warning's `przyczyna`, when there is one, is the system's reason, shown beneath
    // the text.
    void ostrzezenie(const QString& tekst) { ostrzezenie(tekst, QString()); }
    virtual void ostrzezenie(const QString& tekst, const QString& przyczyna) = 0;
    virtual void informacja(const QString& tytul, const QString& tekst) = 0;

    virtual QString nazwaWejscia() const = 0;
    virtual QString nazwaWyjscia() const = 0;

    // The text box: its exact text, the selection in editor positions, the focus.
    virtual QString tekstPola() const = 0;
    virtual void ustawTekstPola(const QString& tekst) = 0;
    virtual int dlugoscTekstuPola() const = 0;
    virtual int poczatekZaznaczenia() const = 0;
    virtual int dlugoscZaznaczenia() const = 0;
    // Cuts the start to the text's length and the length to what remains after it.
    virtual void zaznacz(int poczatek, int dlugosc) = 0;
    // Only when the box is visible: in the file mode it is hidden.
    virtual void fokusNaPole() = 0;

protected:
    ~OknoKonwersji() = default;
};

}  // namespace zadania
