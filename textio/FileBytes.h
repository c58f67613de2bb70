#pragma once

#include <QByteArray>
#include <QString>

namespace tagmill {

/// Reads the whole file into `into`, reusing its capacity. Throws FileError on failure.
void readWholeFile(const QString& path, QByteArray& into);

/// Reads at most maxBytes from the start of the file into `into` and returns the file's
/// length. Throws FileError on failure.
qint64 readFileHead(const QString& path, qint64 maxBytes, QByteArray& into);

/// The file's length in bytes. Throws FileError when the file cannot be found.
qint64 fileLength(const QString& path);

} // namespace tagmill
