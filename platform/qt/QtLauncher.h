#pragma once

#include "platform/Launcher.h"

namespace tagmill::platform {

/// Opens addresses with the desktop's default programs through QDesktopServices.
class QtLauncher : public Launcher {
public:
    bool open(const QUrl& url) override;
};

} // namespace tagmill::platform
