#pragma once

#include "platform/Clipboard.h"

namespace tagmill::platform {

/// Keeps the clipboard's text in memory.
class FakeClipboard : public Clipboard {
public:
    void setText(const QString& newText) override {
        text = newText;
        ++changes;
    }

    QString text;
    int changes = 0;
};

} // namespace tagmill::platform
