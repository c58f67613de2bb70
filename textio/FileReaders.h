#pragma once

#include "textio/TextEncoding.h"

#include <QString>
#include <QStringList>

namespace tagmill {

/// Characters in one block of a file read in blocks.
inline constexpr qsizetype BlockSize = 65536;

// Every reader below returns at least one element (an empty text gives one empty string) and
// throws FileError when the file cannot be opened or read.

/// The file as consecutive blocks of BlockSize characters (the last may be shorter).
QStringList ReadFileBlocks(const QString& path, TextEncoding encoding);

/// The file as lines; see SplitCrLfLines for where lines end.
QStringList ReadFileLines(const QString& path, TextEncoding encoding);

/// The whole text of a UTF-8 file, mark excluded.
QString ReadUtf8Text(const QString& path);

/// The lines of a UTF-8 file.
QStringList ReadUtf8Lines(const QString& path);

/// Cuts text into lines. A line ends at CR LF, LF or a lone CR, the break not included; a final
/// break adds no empty line, and an empty text is one empty line.
QStringList SplitCrLfLines(const QString& text);

/// The file's text in blocks: a file with a UTF-8 mark is one block however long.
QStringList LoadFileBlocks(const QString& path);

/// The file's text as lines.
QStringList LoadFileLines(const QString& path);

/// True when the path's last-modified time can be read. Never throws.
bool FileExists(const QString& path);

} // namespace tagmill
