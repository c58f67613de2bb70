#pragma once

// A second decoder of whole files, written plainly from the decoding rules and sharing no code
// with the program's, so that tests can check the program's text against something other than
// itself.

#include <QByteArray>
#include <QString>

namespace tagmill::test {

/// The text of a file: the byte-order mark picks UTF-8, UTF-16 or UTF-32 and is not text; a
/// file without one is UTF-8 when all of it is well-formed UTF-8, else Windows-1252.
QString referenceDecode(const QByteArray& file);

/// UTF-8 bytes as text, with no mark taken off: each byte that does not start a well-formed
/// sequence becomes U+FFFD.
QString referenceUtf8(const QByteArray& bytes);

} // namespace tagmill::test
