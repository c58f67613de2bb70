#include "output/spreadsheet/ReplacingFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tagmill {

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray randomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(".");
    for (int i = 0; i < 8; ++i)
        suffix += kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters - 1))];
    return suffix;
}

int flushToDisk(const QByteArray& name) {
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

} // namespace

ReplacingFile::~ReplacingFile() {
    if (!m_tempName.isEmpty())
        ::unlink(m_tempName.constData());
}

QString ReplacingFile::create() {
    const QByteArray base = QFile::encodeName(m_path);
    // A name nobody can guess, made by this call alone (O_EXCL); created with mode 0666 so the
    // umask gives the workbook the permissions any new file gets.
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = base + randomSuffix();
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            m_tempName = name;
            return {};
        }
        if (errno != EEXIST || attempt == 100)
            return systemReason(errno);
    }
}

QString ReplacingFile::putInPlace() {
    if (const int error = flushToDisk(m_tempName))
        return systemReason(error);
    if (::rename(m_tempName.constData(), QFile::encodeName(m_path).constData()) != 0)
        return systemReason(errno);
    m_tempName.clear();
    return {};
}

} // namespace tagmill
