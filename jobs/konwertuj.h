#pragma once

#include <QString>

#include <string>

#include "jobs/okno_konwersji.h"

namespace zadania {

// The path the file library is given for a name typed in the window. The library reads "-"
// as standard input or output; in the window every name is a file's, so "-" is the file of
// that name in the current folder.
std::string SciezkaPliku(const QString& nazwa);

// The "Konwertuj" button: reads both lists, disables the working controls and runs the
// job of the selected mode.
void KomendaKonwertuj(OknoKonwersji& okno);

// Converts the file named in the window's input box into the file named in its output
// box, reporting every outcome in a message box.
void KonwertujPlik(OknoKonwersji& okno, int zrodlo, int cel);

// Converts the text box in place and selects the same positions again.
void KonwertujTekstPola(OknoKonwersji& okno, int zrodlo, int cel);

// The two clipboard buttons.
void WklejZeSchowka(OknoKonwersji& okno);
void KopiujDoSchowka(OknoKonwersji& okno);

// Probes: whether the input can be read, and whether the output can be written (the
// output then holds the probe word).
bool qKon1(const OknoKonwersji& okno);
bool qKon2(const OknoKonwersji& okno);

}  // namespace zadania
