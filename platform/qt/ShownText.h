#pragma once

#include <QString>

namespace tagmill::platform {

/// Our texts break lines with CR LF or a lone CR, as the messages have always been written;
/// Qt's labels break lines only at LF.
inline QString shownText(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}

} // namespace tagmill::platform
