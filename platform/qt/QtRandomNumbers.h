#pragma once

#include "platform/RandomNumbers.h"

namespace tagmill::platform {

/// Fractions from the system's generator, seeded anew on every start.
class QtRandomNumbers : public RandomNumbers {
public:
    double fraction() override;
};

} // namespace tagmill::platform
