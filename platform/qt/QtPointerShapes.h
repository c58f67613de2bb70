#pragma once

#include "platform/PointerShapes.h"

#include <QCursor>

namespace tagmill::platform {

/// The window's pointer as the widget's QCursor: the arrow, the busy watch, and the custom
/// pointer loaded from a cursor file.
class QtPointerShapes : public PointerShapes {
public:
    void loadCustom(const QString& path) override;
    void show(QWidget& window, Pointer pointer) override;
    void showIconOver(QWidget& control, const QString& iconFile) override;
    void clearOver(QWidget& control) override;

private:
    QCursor m_custom{Qt::ArrowCursor};
};

} // namespace tagmill::platform
