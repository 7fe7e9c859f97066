#pragma once

#include <string>

#include "pliki/konwersja_pliku.h"

namespace pliki {

// The system's reason for a failed file operation, in Polish, for both front ends. An
// error without a text of its own still gets a Polish one, with its number.
std::string OpisBledu(int numerBledu);

// Why a conversion of every character stopped and where, in Polish, for both front ends:
// "bajt 81 (szesnastkowo) na pozycji 5, licząc od 0, nie jest znakiem standardu Windows-EE".
std::string OpisZatrzymania(const ZatrzymanaKonwersja& zatrzymana, int cel);

}  // namespace pliki
