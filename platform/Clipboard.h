#pragma once

#include <QString>

namespace tagmill::platform {

/// The desktop's clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    /// Replaces the clipboard's content by plain text.
    virtual void setText(const QString& text) = 0;
};

} // namespace tagmill::platform
