#pragma once

#include <QUrl>

namespace tagmill::platform {

/// Hands folders and web addresses to the desktop's own programs, without waiting for them.
class Launcher {
public:
    virtual ~Launcher() = default;
    /// False when no program could be started for the address.
    virtual bool open(const QUrl& url) = 0;
};

} // namespace tagmill::platform
