#include "textio/FileReaders.h"

#include "textio/FileBytes.h"

#include <QFileInfo>

namespace tagmill {

namespace {

QString readText(const QString& path, TextEncoding encoding) {
    QByteArray bytes;
    readWholeFile(path, bytes);
    // The mark is never part of the text; a file read with another encoding than its mark
    // announces keeps all its bytes.
    const int skip = encodingFromMark(bytes, bytes.size()) == encoding ? markLength(encoding) : 0;
    return decodeText(QByteArrayView(bytes).sliced(skip), encoding);
}

} // namespace

QStringList ReadFileBlocks(const QString& path, TextEncoding encoding) {
    const QString text = readText(path, encoding);
    QStringList blocks;
    for (qsizetype at = 0; at < text.size(); at += BlockSize)
        blocks.append(text.mid(at, BlockSize));
    if (blocks.isEmpty())
        blocks.append(QString());
    return blocks;
}

QStringList ReadFileLines(const QString& path, TextEncoding encoding) {
    return SplitCrLfLines(readText(path, encoding));
}

QString ReadUtf8Text(const QString& path) {
    return readText(path, TextEncoding::Utf8);
}

QStringList ReadUtf8Lines(const QString& path) {
    return SplitCrLfLines(ReadUtf8Text(path));
}

QStringList SplitCrLfLines(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n || lines.isEmpty())
        lines.append(text.mid(start));
    return lines;
}

QStringList LoadFileBlocks(const QString& path) {
    const TextEncoding encoding = DetectTextEncoding(path);
    if (encoding == TextEncoding::Utf8)
        return {ReadUtf8Text(path)};
    return ReadFileBlocks(path, encoding);
}

QStringList LoadFileLines(const QString& path) {
    const TextEncoding encoding = DetectTextEncoding(path);
    if (encoding == TextEncoding::Utf8)
        return ReadUtf8Lines(path);
    return ReadFileLines(path, encoding);
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

} // namespace tagmill
