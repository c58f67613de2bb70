#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tagmill {

/// What the user is told when a chosen list file is not there.
inline const QString ListFileNotFound = QStringLiteral("File not found");

/// The entries of a list file, one per line, each unchanged (blank lines are empty entries).
/// The text is decoded like any file searched: a byte-order mark chooses UTF-8, UTF-16 or
/// UTF-32 and is dropped; without one, UTF-8 when valid, else Windows-1252. A line ends at
/// CR LF, LF or a lone CR; a final line break adds nothing, and an empty file has no entries.
/// Nothing when the file does not exist; throws FileError when it exists but cannot be read.
std::optional<QStringList> LoadListFromTextFile(const QString& path);

} // namespace tagmill
