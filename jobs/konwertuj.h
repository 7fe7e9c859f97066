#pragma once

#include "okno_konwersji.h"

// The "Konwertuj" button: reads both lists, disables the working controls and runs the
// job of the selected mode.
void KomendaKonwertuj(OknoKonwersji& okno);

// Converts the file named in the window's input box into the file named in its output
// box, reporting every outcome in a message box.
void KonwertujPlik(OknoKonwersji& okno, int zrodlo, int cel);

// Probes: whether the input can be read, and whether the output can be written (the
// output then holds the probe word).
bool qKon1(const OknoKonwersji& okno);
bool qKon2(const OknoKonwersji& okno);
