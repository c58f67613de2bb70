#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tagmill {

/// What the user is told when a chosen list file is not there.
inline const QString ListFileNotFound = QStringLiteral("File not found");

/// How a list's entries are told apart.
enum class ListSeparator {
    /// One entry a line, the text decoded as any file searched.
    Lines,
    /// Entries end at NUL bytes, as "find -print0" writes them; each is UTF-8 as it stands.
    Nul,
};

/// The entries of a list's bytes, each unchanged.
/// Lines: blank lines are empty entries. The text is decoded like any file searched: a
/// byte-order mark chooses UTF-8, UTF-16 or UTF-32 and is dropped; without one, UTF-8 when
/// valid, else Windows-1252. A line ends at CR LF, LF or a lone CR; a final line break adds
/// nothing, and an empty list has no entries.
/// Nul: the bytes between two NULs are an empty entry; a final NUL adds nothing and the last
/// entry needs none. No mark and no other encoding is looked for: the entries are names as the
/// system gives them. Throws FileError naming the first entry that is not valid UTF-8, as no
/// name of that entry could reach its file.
QStringList ListEntries(QByteArray bytes, ListSeparator separator);

/// The entries of a list file, as ListEntries reads its lines. Only regular files are read.
/// Nothing when the file does not exist; throws FileError when it exists but cannot be read.
std::optional<QStringList> LoadListFromTextFile(const QString& path);

} // namespace tagmill
