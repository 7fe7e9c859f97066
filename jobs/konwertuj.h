#pragma once

#include <QString>

#include <string>

#include "jobs/okno_konwersji.h"

namespace jobs {

// The path the file library is given for a name typed in the window. The library reads "-"
// as standard input or output; in the window every name is a file's, so "-" is the file of
// that name in the current folder.
std::string SciezkaPliku(const QString& nazwa);

// The "Konwertuj" button: reads both lists, disables the working controls and runs the
// job of the selected mode.
void KomendaKonwertuj(OknoKonwersji& okno);

// Converts the file named `wejscie` into the file named `wyjscie`, as typed in the
// window's boxes, reporting every outcome in a message box.
void KonwertujPlik(OknoZadania& okno, const QString& wejscie, const QString& wyjscie, int zrodlo, int cel);

// Converts the text box in place and selects the same positions again.
void KonwertujTekstPola(OknoZadania& okno, PoleKonwersji& pole, int zrodlo, int cel);

// The two clipboard buttons. The paste gives back the text it put in the box.
QString WklejZeSchowka(PoleKonwersji& pole);
void KopiujDoSchowka(PoleKonwersji& pole);

// Probes: whether the input can be read, and whether the output can be written (the
// output then holds the probe word, made as readable as the input allows).
bool qKon1(const QString& wejscie);
bool qKon2(const QString& wyjscie, const QString& wejscie);

}  // namespace jobs
