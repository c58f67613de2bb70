#pragma once

#include <QByteArray>
#include <QString>

namespace tagmill {

/// A new file written under a temporary name beside its path, then renamed over the path, so a
/// file of that name stays whole until the new one is complete. The temporary file is removed
/// unless it was put in place.
class ReplacingFile {
public:
    explicit ReplacingFile(const QString& path) : m_path(path) {}
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    /// Creates the empty temporary file; gives the system's reason when it cannot.
    QString create();
    /// The temporary file's name, encoded for the file system.
    const QByteArray& tempName() const { return m_tempName; }
    /// Flushes the temporary file to disk and renames it over the path; gives the system's
    /// reason when either fails.
    QString putInPlace();

private:
    QString m_path;
    QByteArray m_tempName; // empty until created, and again once put in place
};

} // namespace tagmill
