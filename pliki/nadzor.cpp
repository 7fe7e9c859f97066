#include "pliki/nadzor.h"

namespace pliki {

namespace {

class ZwyklyNadzor final : public Nadzor {};

}  // namespace

Nadzor& BezNadzoru()
{
    static ZwyklyNadzor bezNadzoru;
    return bezNadzoru;
}

}  // namespace pliki
