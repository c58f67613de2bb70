#include "platform/qt/QtPointerShapes.h"

#include "platform/qt/CursorFile.h"

#include <QFile>
#include <QWidget>

#include <stdexcept>

namespace tagmill::platform {

void QtPointerShapes::loadCustom(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString() + ": " + path.toStdString());
    m_custom = cursorFromFile(file.readAll());
}

void QtPointerShapes::show(QWidget& window, Pointer pointer) {
    switch (pointer) {
    case Pointer::Arrow:
        window.setCursor(Qt::ArrowCursor);
        return;
    case Pointer::Busy:
        window.setCursor(Qt::WaitCursor);
        return;
    case Pointer::Custom:
        window.setCursor(m_custom);
        return;
    }
}

// The icon is read afresh each time, so a replaced file shows at the next use.
void QtPointerShapes::showIconOver(QWidget& control, const QString& iconFile) {
    QFile file(iconFile);
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("unreadable");
        control.setCursor(cursorFromFile(file.readAll()));
    } catch (const std::runtime_error&) {
        // Moving entries works without the picture; the system's own move pointer stands in.
        control.setCursor(Qt::DragMoveCursor);
    }
}

void QtPointerShapes::clearOver(QWidget& control) {
    control.unsetCursor();
}

} // namespace tagmill::platform
