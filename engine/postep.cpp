#include "engine/postep.h"

namespace znakomat {

namespace {

class PustyPostep final : public Postep {};

}  // namespace

Postep& BezPostepu()
{
    static PustyPostep pusty;
    return pusty;
}

}  // namespace znakomat
