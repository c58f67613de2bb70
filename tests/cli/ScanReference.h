#pragma once

// The folder scan's rules restated a second way, level by level with std::filesystem, so that
// tagmill-cli's scans can be checked against them.

#include <QString>
#include <QStringList>

namespace tagmill::test {

/// The paths a scan of `start` adds, in order: files whose names end with "." and the
/// extension, ignoring case, or every file when the extension is "*" or unset (empty).
QStringList referenceScan(const QString& start, const QString& extension);

} // namespace tagmill::test
