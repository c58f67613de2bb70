#include "platform/qt/CursorFile.h"

#include <QPixmap>
#include <QtEndian>

#include <stdexcept>

namespace tagmill::platform {

namespace {

// A .cur file is an .ico file of type 2 whose first directory entry keeps the hot spot where
// an icon keeps its colour planes and bit count.
constexpr qsizetype TypeOffset = 2;
constexpr qsizetype HotSpotXOffset = 10;
constexpr qsizetype HotSpotYOffset = 12;
constexpr quint16 CursorType = 2;

bool isCursorFile(const QByteArray& bytes) {
    return bytes.size() > HotSpotYOffset + 1 &&
           qFromLittleEndian<quint16>(bytes.data() + TypeOffset) == CursorType;
}

} // namespace

QCursor cursorFromFile(const QByteArray& bytes) {
    QPixmap image;
    // Qt's .ico reader also reads .cur files.
    if (!image.loadFromData(bytes))
        throw std::runtime_error("Invalid picture");
    if (!isCursorFile(bytes))
        return QCursor(image);
    const int x = qFromLittleEndian<quint16>(bytes.data() + HotSpotXOffset);
    const int y = qFromLittleEndian<quint16>(bytes.data() + HotSpotYOffset);
    return QCursor(image, x, y);
}

} // namespace tagmill::platform
