#pragma once

#include "platform/RandomNumbers.h"

#include <deque>

namespace tagmill::platform {

/// Hands out scripted fractions, then 0.
class FakeRandomNumbers : public RandomNumbers {
public:
    double fraction() override {
        if (fractions.empty())
            return 0.0;
        const double next = fractions.front();
        fractions.pop_front();
        return next;
    }

    std::deque<double> fractions;
};

} // namespace tagmill::platform
