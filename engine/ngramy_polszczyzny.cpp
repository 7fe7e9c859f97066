// The table itself is generated: engine/ngramy_polszczyzny.inc.
#include "engine/ngramy_polszczyzny.h"

namespace engine::model {

namespace {

constexpr NGram ngramy[] = {
#include "engine/ngramy_polszczyzny.inc"
};

}  // namespace

const std::span<const NGram> NGRAMY = ngramy;

}  // namespace engine::model
