#pragma once

#include "platform/MessageBoxes.h"

namespace tagmill::platform {

/// Message boxes as QMessageBox, over the active window.
class QtMessageBoxes : public MessageBoxes {
public:
    MessageAnswer show(const Message& message) override;
};

} // namespace tagmill::platform
