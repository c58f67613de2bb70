#pragma once

#include <QByteArrayView>
#include <QString>

namespace tagmill {

/// How a file's bytes become text, decided by its byte-order mark.
/// Files without a mark are Narrow: UTF-8 when their bytes are valid UTF-8, Windows-1252 otherwise.
enum class TextEncoding { Narrow, Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

/// The encoding announced by the first bytes of a file of fileSize bytes.
TextEncoding encodingFromMark(QByteArrayView firstBytes, qint64 fileSize);

/// Number of bytes the byte-order mark of this encoding takes at the start of a file.
int markLength(TextEncoding encoding);

/// True for the encodings whose text is not searched byte by byte (UTF-16 and UTF-32).
bool isWideEncoding(TextEncoding encoding);

/// Decodes a file's bytes (mark excluded). Malformed sequences become U+FFFD, one for each byte
/// of malformed UTF-8, each UTF-32 unit that is no code point, each lone surrogate and the cut
/// unit at the end of a UTF-16 or UTF-32 file. A U+FEFF at the start is text like any other.
/// Decoding never fails.
QString decodeText(QByteArrayView bytes, TextEncoding encoding);

/// Decodes UTF-8 bytes as decodeText does: a U+FEFF at the start stays.
QString decodeUtf8(QByteArrayView bytes);

/// Decodes bytes that carry no mark: UTF-8 when valid, else Windows-1252.
QString decodeNarrow(QByteArrayView bytes);

/// Decodes Windows-1252 bytes, for files that are not valid UTF-8.
QString decodeWindows1252(QByteArrayView bytes);

/// Probes the file's first four bytes. Throws FileError when the file cannot be opened.
TextEncoding DetectTextEncoding(const QString& path);

} // namespace tagmill
