#pragma once

#include "platform/Launcher.h"

#include <vector>

namespace tagmill::platform {

/// Records every address handed to the desktop.
class FakeLauncher : public Launcher {
public:
    bool open(const QUrl& url) override {
        opened.push_back(url);
        return succeeds;
    }

    std::vector<QUrl> opened;
    bool succeeds = true;
};

} // namespace tagmill::platform
