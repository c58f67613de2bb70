#pragma once

#include "platform/Clipboard.h"

namespace tagmill::platform {

/// The system clipboard through QClipboard.
class QtClipboard : public Clipboard {
public:
    void setText(const QString& text) override;
};

} // namespace tagmill::platform
