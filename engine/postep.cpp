#include "engine/postep.h"

namespace engine {

namespace {

class PustyPostep final : public Postep {};

}  // namespace

Postep& BezPostepu()
{
    static PustyPostep pusty;
    return pusty;
}

}  // namespace engine
