#include "cli/Destination.h"

#include "textio/SystemError.h"

#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tagmill::cli {

namespace {

bool isRegularFile(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

// The destination as a device. The table writers gather a megabyte before each write, so it
// needs no buffer of its own, and its writes take the same way as the streamed rows': through
// stdio for standard output, keeping the order of what reaches it.
class Destination::Device : public QIODevice {
public:
    explicit Device(Destination& destination) : m_destination(destination) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (m_destination.writeAll(data, std::size_t(size)))
            return size;
        setErrorString(m_destination.error());
        return -1;
    }

private:
    Destination& m_destination;
};

Destination::Destination(const std::optional<QString>& path)
    : m_name(path.value_or(QStringLiteral("standard output"))),
      m_device(std::make_unique<Device>(*this)) {
    if (path)
        m_file = std::make_unique<ReplacingFile>(*path);
    else
        m_streams = !isRegularFile(STDOUT_FILENO);
    // The rows come gathered already; through a buffer of the standard library's each write
    // would take two or three system calls.
    if (!m_file)
        std::setvbuf(stdout, nullptr, _IONBF, 0);
}

int Destination::watchedDescriptor() const {
    return m_streams ? STDOUT_FILENO : -1;
}

bool Destination::open() {
    if (!m_file)
        return true;
    if (const QString reason = m_file->open(); !reason.isEmpty())
        fail(reason);
    return ok();
}

bool Destination::write(std::string& bytes) {
    writeAll(bytes.data(), bytes.size());
    bytes.clear();
    return ok();
}

bool Destination::write(std::string_view bytes) {
    return writeAll(bytes.data(), bytes.size());
}

bool Destination::write(std::span<const std::string_view> pieces) {
    if (!m_file)
        return writeAllToStandardOutput(pieces);
    for (const std::string_view piece : pieces)
        writeAll(piece.data(), piece.size());
    return ok();
}

// Standard output is unbuffered, so nothing of the library's waits to go before these.
bool Destination::writeAllToStandardOutput(std::span<const std::string_view> pieces) {
    if (m_makeWay)
        m_makeWay();
    std::vector<iovec> left;
    for (const std::string_view piece : pieces)
        if (!piece.empty())
            left.push_back({const_cast<char*>(piece.data()), piece.size()});
    std::size_t first = 0;
    while (ok() && first < left.size()) {
        const int count = int(std::min<std::size_t>(left.size() - first, IOV_MAX));
        ssize_t written = ::writev(STDOUT_FILENO, left.data() + first, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO; // no progress, and no reason given
            failStandardOutput();
            break;
        }
        // A write that stops short goes on where it stopped.
        for (; first < left.size() && std::size_t(written) >= left[first].iov_len; ++first)
            written -= ssize_t(left[first].iov_len);
        if (first < left.size()) {
            left[first].iov_base = static_cast<char*>(left[first].iov_base) + written;
            left[first].iov_len -= std::size_t(written);
        }
    }
    return ok();
}

void Destination::flush() {
    if (!m_file && ok() && std::fflush(stdout) != 0)
        failStandardOutput();
}

bool Destination::finish() {
    if (!m_file) {
        flush();
        return ok();
    }
    // A file not put in place is thrown away with its device, and the earlier one stays.
    if (!ok())
        return false;
    if (const QString reason = m_file->commit(); !reason.isEmpty())
        fail(reason);
    return ok();
}

void Destination::fail(const QString& description) {
    if (ok())
        m_error = description.isEmpty() ? QStringLiteral("Unknown error") : description;
}

// Reached only when SIGPIPE is ignored: a reader that went away is no failure to report.
void Destination::failStandardOutput() {
    if (errno == EPIPE)
        endForGoneReader();
    fail(systemErrorText(errno));
}

bool Destination::writeAll(const char* data, std::size_t size) {
    if (!ok())
        return false;
    if (!m_file) {
        if (m_makeWay)
            m_makeWay();
        if (std::fwrite(data, 1, size, stdout) != size)
            failStandardOutput();
        return ok();
    }
    // A write that stops short (the disk filled up) gives its reason only when the rest is
    // tried again.
    while (size > 0) {
        const qint64 written = m_file->device().write(data, qint64(size));
        if (written <= 0) {
            fail(m_file->device().errorString());
            break;
        }
        data += written;
        size -= std::size_t(written);
    }
    return ok();
}

void endForGoneReader() {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
    // Only a blocked signal comes back here; the status is the one a shell shows for it.
    std::_Exit(128 + SIGPIPE);
}

} // namespace tagmill::cli
