#pragma once

// For tests and measurements only: the variant of the byte pass every conversion uses, chosen
// by hand. A program linking the library `wymuszany_wariant` gets this choice in place of the
// engine's own, which always takes the best variant available.

#include <optional>

#include "engine/przebieg.h"

namespace engine {

// Makes every conversion use `wariant` (nullopt: the best one again). Throws
// std::invalid_argument for a variant not available here. Not meant to be switched while
// conversions run on other threads.
void WymusWariant(std::optional<Wariant> wariant);

// Forces `wariant` for as long as it lives, then the best one again.
class WymuszonyWariant {
public:
    explicit WymuszonyWariant(Wariant wariant) { WymusWariant(wariant); }
    ~WymuszonyWariant() { WymusWariant(std::nullopt); }
    WymuszonyWariant(const WymuszonyWariant&) = delete;
    WymuszonyWariant& operator=(const WymuszonyWariant&) = delete;
};

}  // namespace engine
