#include "output/ReplacingFile.h"

#include "textio/SystemError.h"

#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace tagmill {

namespace {

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMostLinks = 40;

// Follows path through every symbolic link to the name it ends at, which need not exist yet:
// 0, or the system's error.
int followLinks(QByteArray& path) {
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(status.st_mode))
            return 0;
        char target[PATH_MAX];
        const ssize_t size = ::readlink(path.constData(), target, sizeof target);
        if (size < 0)
            return errno;
        if (size == ssize_t(sizeof target))
            return ENAMETOOLONG;
        const QByteArray link(target, qsizetype(size));
        // A relative link counts from the folder that holds it.
        path = link.startsWith('/') ? link : path.left(path.lastIndexOf('/') + 1) + link;
    }
    return ELOOP;
}

QByteArray randomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(".");
    for (int i = 0; i < 8; ++i)
        suffix += kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters - 1))];
    return suffix;
}

// Creates a file named base and a suffix nobody can guess, made by this call alone (O_EXCL):
// its descriptor, or -1 with errno set.
int createTemporary(const QByteArray& base, mode_t mode, QByteArray& name) {
    for (int attempt = 0;; ++attempt) {
        name = base + randomSuffix();
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST || attempt == 100) {
            if (fd < 0)
                name.clear();
            return fd;
        }
    }
}

// Only root may give a file away; anyone else's new file is theirs, as every file they make.
// The set-id bits are not carried over to data.
int keepOwnerAndPermissions(int fd, const struct stat& earlier) {
    if (::geteuid() == 0 && ::fchown(fd, earlier.st_uid, earlier.st_gid) != 0)
        return errno;
    return ::fchmod(fd, earlier.st_mode & 0777) == 0 ? 0 : errno;
}

// Writes every byte, going on after a write that stops short: 0, or the system's error.
int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        size -= std::size_t(written);
    }
    return 0;
}

} // namespace

ReplacingFile::~ReplacingFile() {
    m_device.close();
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_tempName.isEmpty())
        ::unlink(m_tempName.constData());
}

QString ReplacingFile::open(Writing writing) {
    m_target = QFile::encodeName(m_path);
    if (const int error = followLinks(m_target))
        return systemErrorText(error);
    struct stat status {};
    if (::stat(m_target.constData(), &status) != 0) {
        if (errno != ENOENT)
            return systemErrorText(errno);
        return createBeside(nullptr, writing);
    }
    if (S_ISDIR(status.st_mode))
        return systemErrorText(EISDIR);
    if (!S_ISREG(status.st_mode))
        return openDirectly(writing);
    // The rename would replace a file the user may not write; refuse it as writing it would.
    if (::access(m_target.constData(), W_OK) != 0)
        return systemErrorText(errno);
    return createBeside(&status, writing);
}

// A writer by name opens its file itself and cannot write to a device, so it writes a private
// file that goes to the device once complete.
QString ReplacingFile::openDirectly(Writing writing) {
    m_direct = true;
    m_fd = ::open(m_target.constData(), O_WRONLY | O_CLOEXEC);
    if (m_fd < 0)
        return systemErrorText(errno);
    if (writing == Writing::ByName) {
        const int fd = createTemporary(QFile::encodeName(QDir::tempPath() + "/tagmill-output"),
                                       0600, m_tempName);
        if (fd < 0)
            return systemErrorText(errno);
        ::close(fd);
        return {};
    }
    // Unbuffered: every write reaches the target at once, so a failing one is seen when it
    // happens and never left to a flush at the end.
    m_device.open(m_fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    return {};
}

// A new file gets the permissions the umask gives any new file; a replaced one keeps its own,
// given while the file is still empty and private.
QString ReplacingFile::createBeside(const struct stat* earlier, Writing writing) {
    m_fd = createTemporary(m_target, earlier ? 0600 : 0666, m_tempName);
    if (m_fd < 0)
        return systemErrorText(errno);
    if (earlier) {
        if (const int error = keepOwnerAndPermissions(m_fd, *earlier))
            return systemErrorText(error);
    }
    if (writing == Writing::ThroughDevice)
        m_device.open(m_fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                      QFileDevice::DontCloseHandle);
    return {};
}

QString ReplacingFile::copyToDevice() const {
    QFile written(QFile::decodeName(m_tempName));
    if (!written.open(QIODevice::ReadOnly))
        return written.errorString();
    while (!written.atEnd()) {
        const QByteArray piece = written.read(1 << 20);
        if (piece.isEmpty())
            return written.errorString();
        if (const int error = writeAll(m_fd, piece.constData(), std::size_t(piece.size())))
            return systemErrorText(error);
    }
    return {};
}

QString ReplacingFile::commit() {
    m_device.close();
    if (m_direct && !m_tempName.isEmpty()) {
        if (const QString reason = copyToDevice(); !reason.isEmpty())
            return reason;
    }
    // A device takes no fsync; a file must be on the disk before its name is.
    if (!m_direct && ::fsync(m_fd) != 0)
        return systemErrorText(errno);
    const int closing = ::close(std::exchange(m_fd, -1));
    if (closing != 0)
        return systemErrorText(errno);
    if (m_direct)
        return {};
    if (::rename(m_tempName.constData(), m_target.constData()) != 0)
        return systemErrorText(errno);
    m_tempName.clear();
    return {};
}

// The file goes with its ReplacingFile unless committed, and the earlier one stays.
std::optional<QString> replaceFile(const QString& path,
                                   const std::function<bool(QIODevice&)>& write,
                                   std::stop_token stop) {
    ReplacingFile file(path);
    const auto failure = [&](const QString& reason) {
        return path + QStringLiteral(": ") + reason;
    };
    if (const QString reason = file.open(); !reason.isEmpty())
        return failure(reason);
    if (!write(file.device())) {
        if (stop.stop_requested())
            return std::nullopt;
        return failure(file.device().errorString());
    }
    if (const QString reason = file.commit(); !reason.isEmpty())
        return failure(reason);
    return std::nullopt;
}

} // namespace tagmill
