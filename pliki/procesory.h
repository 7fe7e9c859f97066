#pragma once

#include <cstddef>

namespace pliki {

// How many processors this process may run on, at least 1.
std::size_t LiczbaProcesorow();

}  // namespace pliki
