#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tagmill::platform {

void QtClipboard::setText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

} // namespace tagmill::platform
