#include "textio/FileBytes.h"

#include "textio/FileError.h"

#include <QFile>
#include <QFileInfo>

namespace tagmill {

namespace {

void openForReading(QFile& file) {
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw FileError(file.errorString());
}

// Fills `into` from the open file, which may change size while we read.
void readUpTo(QFile& file, qint64 size, QByteArray& into) {
    into.resize(size);
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(into.data() + done, size - done);
        if (got < 0)
            throw FileError(file.errorString());
        if (got == 0)
            break;
        done += got;
    }
    into.resize(done);
}

} // namespace

void readWholeFile(const QString& path, QByteArray& into) {
    QFile file(path);
    openForReading(file);
    readUpTo(file, file.size(), into);
}

qint64 readFileHead(const QString& path, qint64 maxBytes, QByteArray& into) {
    QFile file(path);
    openForReading(file);
    const qint64 size = file.size();
    readUpTo(file, std::min(size, maxBytes), into);
    return size;
}

qint64 fileLength(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw FileError(QStringLiteral("No such file or directory"));
    return info.size();
}

} // namespace tagmill
