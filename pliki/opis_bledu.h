#pragma once

#include <string>

namespace pliki {

// The system's reason for a failed file operation, in Polish, for both front ends. An
// error without a text of its own still gets a Polish one, with its number.
std::string OpisBledu(int numerBledu);

}  // namespace pliki
