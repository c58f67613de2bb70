#pragma once

namespace tagmill::platform {

/// Pseudo-random numbers.
class RandomNumbers {
public:
    virtual ~RandomNumbers() = default;
    /// A uniform fraction in [0, 1).
    virtual double fraction() = 0;
};

} // namespace tagmill::platform
