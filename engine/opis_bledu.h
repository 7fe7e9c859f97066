#pragma once

#include <string>

namespace znakomat {

// The system's reason for a failed file operation, in Polish, for both front ends.
std::string OpisBledu(int numerBledu);

}  // namespace znakomat
