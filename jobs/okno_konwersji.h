#pragma once

#include <QString>

namespace jobs {

// A selection in editor positions.
struct Zaznaczenie {
    int poczatek;
    int dlugosc;
    bool operator==(const Zaznaczenie&) const = default;
};

// The text box as the text jobs see it.
class PoleKonwersji {
public:
    // The box's exact text.
    virtual QString tekst() const = 0;
    // The whole text replaced as one edit that Ctrl+Z takes back. A long text goes in
    // piece by piece, with the window's events between the pieces.
    virtual void zastapTekst(const QString& tekst) = 0;
    virtual Zaznaczenie zaznaczenie() const = 0;
    // Cuts the start to the text's length and the length to what remains after it.
    virtual void zaznacz(Zaznaczenie zaznaczenie) = 0;
    // Only when the box is visible: in the file mode it is hidden.
    virtual void ustawFokus() = 0;

protected:
    ~PoleKonwersji() = default;
};

// The window while a job runs: its working controls, its caption, its events and its
// message boxes.
class OknoZadania {
public:
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
    // The information box's `objasnienie`, when there is one, goes beneath the text, and its
    // `dzialanie`, when there is one, names a second button beside OK, which stays the
    // default; true when that button was pressed.
    virtual bool informacja(const QString& tytul, const QString& tekst, const QString& objasnienie,
                            const QString& dzialanie) = 0;

protected:
    ~OknoZadania() = default;
};

// What the convert command reads from the window. The window reads its controls at the
// moment the command asks, so nothing is kept between runs.
class OknoKonwersji : public OknoZadania {
public:
    virtual int pozycjaZrodla() const = 0;
    virtual int pozycjaCelu() const = 0;
    virtual bool trybTekstowy() const = 0;
    virtual QString nazwaWejscia() const = 0;
    virtual QString nazwaWyjscia() const = 0;
    virtual PoleKonwersji& pole() = 0;

protected:
    ~OknoKonwersji() = default;
};

}  // namespace jobs
