#include "platform/qt/QtLauncher.h"

#include <QDesktopServices>

namespace tagmill::platform {

bool QtLauncher::open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace tagmill::platform
