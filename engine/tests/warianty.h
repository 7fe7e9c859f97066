#pragma once

// Runs a test body once with each variant of the byte pass this build and processor have,
// so the plain one and every vector one are checked against the same expectations.

#include <gtest/gtest.h>

#include <string>

#include "engine/tests/wymuszany_wariant.h"

namespace engine::test {

template <class F>
void dlaKazdegoWariantu(F&& f)
{
    for (const Wariant wariant : DostepneWarianty()) {
        SCOPED_TRACE("wariant " + std::string(NazwaWariantu(wariant)));
        {
            const WymuszonyWariant wymuszony(wariant);
            f();
        }
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

}  // namespace engine::test
