#pragma once

#include "platform/InputBoxes.h"

namespace tagmill::platform {

/// Input boxes as QInputDialog, over the active window.
class QtInputBoxes : public InputBoxes {
public:
    std::optional<QString> ask(const QString& title, const QString& prompt,
                               const QString& preset) override;
};

} // namespace tagmill::platform
