#pragma once

#include <string>

namespace cli {

// The system's reason for a failed file operation, in the window's Polish words.
std::string OpisBledu(int numerBledu);

}  // namespace cli
