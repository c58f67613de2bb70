#include "textio/FileBytes.h"

#include "textio/FileError.h"
#include "textio/SystemError.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
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

off_t FileCalls::lseek(int fd, off_t offset, int whence) {
    return ::lseek(fd, offset, whence);
}

ssize_t FileCalls::pread(int fd, void* buffer, std::size_t size, off_t offset) {
    return ::pread(fd, buffer, size, offset);
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

[[noreturn]] void failWith(int error) {
    throw FileError(systemErrorText(error));
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

// Reads `size` bytes by calling readSome(done) until they are all there or the file
// ends; readSome reads the bytes from `done` on and answers as read(2). Throws FileError.
template <typename ReadSome> std::size_t readFully(std::size_t size, ReadSome readSome) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = readSome(done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failWith(errno);
        if (got == 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

} // namespace

namespace detail {

FileCalls* setFileCalls(FileCalls* calls) {
    FileCalls* before = currentCalls.exchange(calls ? calls : &systemCalls);
    return before == &systemCalls ? nullptr : before;
}

} // namespace detail

FileStream::FileStream(const QString& path) {
    const QByteArray native = nativePath(path);
    // Checked before opening, so that no device is ever opened: opening some has effects of
    // their own (a tape rewinds, a serial line hangs up).
    regularFileInfo(native);
    // Should the file be swapped for a FIFO after the check, O_NONBLOCK keeps the open from
    // waiting for a writer, and the check of the open file below catches it. On a regular file
    // the flag changes nothing.
    m_fd = calls().open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0)
        failWith(errno);
    try {
        struct stat info {};
        if (calls().fstat(m_fd, info) != 0)
            failWith(errno);
        requireRegularFile(info);
        m_size = info.st_size;
    } catch (...) {
        calls().close(m_fd);
        throw;
    }
}

FileStream::~FileStream() {
    calls().close(m_fd);
}

std::size_t FileStream::read(char* into, std::size_t size) {
    const auto wanted = std::size_t(std::min<qint64>(qint64(size), m_size - m_done));
    const std::size_t got = readFully(
        wanted, [&](std::size_t done) { return calls().read(m_fd, into + done, wanted - done); });
    m_done += qint64(got);
    // Cut short since it was opened: nothing more will come.
    if (got < wanted)
        m_done = m_size;
    return got;
}

void FileStream::rewind() {
    if (calls().lseek(m_fd, 0, SEEK_SET) != 0)
        failWith(errno);
    m_done = 0;
}

std::size_t FileStream::readAt(std::uint64_t offset, char* into, std::size_t size) {
    return readFully(size, [&](std::size_t done) {
        return calls().pread(m_fd, into + done, size - done, off_t(offset + done));
    });
}

void readWholeFile(const QString& path, QByteArray& into) {
    FileStream file(path);
    into.resize(file.size());
    into.resize(qsizetype(file.read(into.data(), std::size_t(file.size()))));
}

qint64 readFileHead(const QString& path, qint64 maxBytes, QByteArray& into) {
    FileStream file(path);
    into.resize(std::min(file.size(), maxBytes));
    into.resize(qsizetype(file.read(into.data(), std::size_t(into.size()))));
    return file.size();
}

void readToEnd(int fd, QByteArray& into) {
    constexpr qsizetype Piece = 1 << 20;
    for (;;) {
        // Room grows by doubling, so the bytes are moved a few times in all, not once a piece.
        if (into.capacity() - into.size() < Piece)
            into.reserve(std::max(2 * into.capacity(), into.size() + Piece));
        const qsizetype done = into.size();
        into.resize(into.capacity());
        const ssize_t got = calls().read(fd, into.data() + done, std::size_t(into.size() - done));
        into.resize(done + std::max<qsizetype>(got, 0));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failWith(errno);
        if (got == 0)
            return;
    }
}

bool readWholeStream(const QString& path, QByteArray& into) {
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty() || native.contains('\0'))
        return false;
    // No O_NONBLOCK: a FIFO is read once its writer comes, as a pipe from "find" is.
    const int fd = calls().open(native.constData(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR))
        return false;
    if (fd < 0)
        failWith(errno);
    try {
        readToEnd(fd, into);
    } catch (...) {
        calls().close(fd);
        throw;
    }
    calls().close(fd);
    return true;
}

void requireExists(const QString& path) {
    struct stat info {};
    if (calls().stat(nativePath(path).constData(), info) != 0)
        failWith(errno);
}

} // namespace tagmill
