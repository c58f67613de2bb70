#pragma once

#include <QMargins>
#include <QRect>
#include <QStyle>

namespace tagmill {

/// Where a window's client area goes so that the whole window, its frame and title bar
/// included, stands centred in the available part of the screen.
inline QRect centredClientArea(QSize client, QMargins frame, QRect available) {
    const QRect whole =
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client.grownBy(frame), available);
    return whole.marginsRemoved(frame);
}

} // namespace tagmill
