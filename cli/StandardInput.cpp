#include "cli/StandardInput.h"

#include "textio/FileBytes.h"
#include "textio/FileError.h"
#include "textio/SystemError.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tagmill::cli {

namespace {

[[noreturn]] void failWith(int error) {
    throw FileError(systemErrorText(error));
}

void requireReadable() {
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0 && errno == EBADF)
        throw FileError(QStringLiteral("Standard input is closed"));
    if (::isatty(STDIN_FILENO))
        throw FileError(QStringLiteral("Standard input is a terminal"));
}

// An unlinked file: nothing is left behind, whatever ends the program.
int unnamedTemporaryFile() {
    QByteArray name = QFile::encodeName(QDir::tempPath() + QStringLiteral("/tagmill-cli-XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        failWith(errno);
    ::unlink(name.constData());
    return fd;
}

void writeAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, bytes, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            failWith(errno);
        bytes += put;
        size -= std::size_t(put);
    }
}

void copyStandardInput(int fd) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failWith(errno);
        if (got == 0)
            return;
        writeAll(fd, buffer.data(), std::size_t(got));
    }
}

} // namespace

QByteArray readStandardInput() {
    requireReadable();
    QByteArray bytes;
    readToEnd(STDIN_FILENO, bytes);
    return bytes;
}

StandardInputCopy::StandardInputCopy() {
    requireReadable();
    m_fd = unnamedTemporaryFile();
    try {
        copyStandardInput(m_fd);
    } catch (...) {
        ::close(m_fd);
        throw;
    }
}

StandardInputCopy::~StandardInputCopy() {
    ::close(m_fd);
}

QString StandardInputCopy::path() const {
    return QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

} // namespace tagmill::cli
