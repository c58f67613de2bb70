#include "textio/FileBytes.h"

#include "textio/FileError.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tagmill {

namespace detail {

int FileCalls::stat(const char* path, struct stat& info) {
    return ::stat(path, &info);
}

int FileCalls::open(const char* path, int flags) {
    return ::open(path, flags);
}

int FileCalls::fstat(int fd, struct stat& info) {
    return ::fstat(fd, &info);
}

ssize_t FileCalls::read(int fd, void* buffer, std::size_t size) {
    return ::read(fd, buffer, size);
}

int FileCalls::close(int fd) {
    return ::close(fd);
}

} // namespace detail

namespace {

detail::FileCalls systemCalls;
std::atomic<detail::FileCalls*> currentCalls{&systemCalls};

detail::FileCalls& calls() {
    return *currentCalls.load(std::memory_order_acquire);
}

// strerror_r comes in two kinds: glibc's returns the text, POSIX's fills the buffer.
[[maybe_unused]] const char* errorText(const char* text, const char*) {
    return text;
}
[[maybe_unused]] const char* errorText(int, const char* buffer) {
    return buffer;
}

[[noreturn]] void failWith(int error) {
    char buffer[256] = {};
    throw FileError(
        QString::fromLocal8Bit(errorText(strerror_r(error, buffer, sizeof buffer), buffer)));
}

void requireRegularFile(const struct stat& info) {
    if (S_ISDIR(info.st_mode))
        failWith(EISDIR);
    if (!S_ISREG(info.st_mode))
        throw FileError(QString::fromLatin1(NotARegularFile));
}

QByteArray nativePath(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    // The system would end the name at the NUL and look for another file.
    if (native.contains('\0'))
        failWith(ENOENT);
    return native;
}

struct stat regularFileInfo(const QByteArray& native) {
    struct stat info {};
    if (calls().stat(native.constData(), info) != 0)
        failWith(errno);
    requireRegularFile(info);
    return info;
}

// A descriptor closed when it goes, also when the file is found wanting after it was opened.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0)
            calls().close(fd);
    }
};

// A regular file open for reading.
class OpenFile {
public:
    explicit OpenFile(const QString& path) {
        const QByteArray native = nativePath(path);
        // Checked before opening, so that no device is ever opened: opening some has effects
        // of its own (a tape rewinds, a serial line hangs up).
        regularFileInfo(native);
        // Should the file be swapped for a FIFO after the check, O_NONBLOCK keeps the open from
        // waiting for a writer, and the check of the open file below catches it. On a regular
        // file the flag changes nothing.
        m_fd.fd = calls().open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (m_fd.fd < 0)
            failWith(errno);
        struct stat info {};
        if (calls().fstat(m_fd.fd, info) != 0)
            failWith(errno);
        requireRegularFile(info);
        m_size = info.st_size;
    }

    // The length when the file was opened.
    qint64 size() const { return m_size; }

    // Fills `into` with at most `size` bytes from the start. A file cut short meanwhile gives
    // what is left of it; bytes added after the file was opened are left out, so a file that
    // keeps growing cannot keep us reading.
    void readUpTo(qint64 size, QByteArray& into) {
        into.resize(size);
        qint64 done = 0;
        while (done < size) {
            const ssize_t got = calls().read(m_fd.fd, into.data() + done, std::size_t(size - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                failWith(errno);
            if (got == 0)
                break;
            done += got;
        }
        into.resize(done);
    }

private:
    Descriptor m_fd;
    qint64 m_size = 0;
};

} // namespace

namespace detail {

FileCalls* setFileCalls(FileCalls* calls) {
    FileCalls* before = currentCalls.exchange(calls ? calls : &systemCalls);
    return before == &systemCalls ? nullptr : before;
}

} // namespace detail

void readWholeFile(const QString& path, QByteArray& into) {
    OpenFile file(path);
    file.readUpTo(file.size(), into);
}

qint64 readFileHead(const QString& path, qint64 maxBytes, QByteArray& into) {
    OpenFile file(path);
    file.readUpTo(std::min(file.size(), maxBytes), into);
    return file.size();
}

void requireExists(const QString& path) {
    struct stat info {};
    if (calls().stat(nativePath(path).constData(), info) != 0)
        failWith(errno);
}

qint64 fileLength(const QString& path) {
    return regularFileInfo(nativePath(path)).st_size;
}

} // namespace tagmill
