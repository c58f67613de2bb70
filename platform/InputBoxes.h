#pragma once

#include <QString>

#include <optional>

namespace tagmill::platform {

/// Asks the user for one line of text.
class InputBoxes {
public:
    virtual ~InputBoxes() = default;
    /// The text typed, or nothing when the user cancelled.
    virtual std::optional<QString> ask(const QString& title, const QString& prompt,
                                       const QString& preset) = 0;
};

} // namespace tagmill::platform
