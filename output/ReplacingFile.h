#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <optional>
#include <stop_token>

#include <sys/stat.h>

namespace tagmill {

/// The one way Tagmill replaces a file whole. A symbolic link, or a chain of them, is followed
/// to the file it names in the end, which is replaced while the links stay. A regular file (or
/// none yet) is written under a temporary name beside it, with the earlier file's permissions,
/// and renamed over it only once complete, so a failure or a stop leaves an earlier file whole
/// and no temporary file behind. A device, a FIFO or a socket is written to directly: it has no
/// contents to keep, and a file put in place of /dev/null would break it for every program.
class ReplacingFile {
public:
    /// How the output is written: through device(), or by a writer that opens fileName() itself.
    enum class Writing { ThroughDevice, ByName };

    explicit ReplacingFile(const QString& path) : m_path(path) {}
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    /// Gets ready to write, refusing before anything is written a target that cannot be
    /// written (a folder, a missing folder, a folder or file the user may not write); gives
    /// the system's reason when it refuses, nothing when ready.
    QString open(Writing writing = Writing::ThroughDevice);
    /// Where the bytes go when written through the device.
    QFile& device() { return m_device; }
    /// The file a writer by name writes, encoded for the file system: the temporary file, or
    /// for a device a private one copied to it at commit().
    const QByteArray& fileName() const { return m_tempName; }
    /// Puts the file in place, or hands a device the last of it; gives the system's reason
    /// when that failed.
    QString commit();
    /// The path as given.
    const QString& path() const { return m_path; }

private:
    QString openDirectly(Writing writing);
    QString createBeside(const struct stat* earlier, Writing writing);
    QString copyToDevice() const;

    QString m_path;
    QByteArray m_target;   // the file the path names once every link is followed
    QByteArray m_tempName; // the temporary file; empty when none, or once put in place
    int m_fd = -1;         // the temporary file, or the device written directly
    bool m_direct = false; // the target is written directly: a device, FIFO or socket
    QFile m_device;
};

/// Writes the file at path through a ReplacingFile; write returns false when it failed or was
/// stopped. Returns the failure as "PATH: reason"; nothing when the file was written, or when
/// stop was requested.
std::optional<QString> replaceFile(const QString& path,
                                   const std::function<bool(QIODevice&)>& write,
                                   std::stop_token stop = {});

} // namespace tagmill
