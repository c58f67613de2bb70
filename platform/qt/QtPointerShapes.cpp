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

} // namespace tagmill::platform
