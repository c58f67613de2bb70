#pragma once

#include <QByteArray>
#include <QCursor>

namespace tagmill::platform {

/// A cursor made from the bytes of a cursor file (.cur, or any image Qt reads), with the hot spot
/// that a .cur file names in its header; other images get Qt's default, the centre. Throws
/// std::runtime_error when the bytes hold no image.
QCursor cursorFromFile(const QByteArray& bytes);

} // namespace tagmill::platform
