#include "lists/ListFile.h"

#include "textio/FileBytes.h"
#include "textio/FileReaders.h"
#include "textio/TextEncoding.h"

namespace tagmill {

namespace {

// The bytes go as soon as they are decoded: a list file may be hundreds of megabytes.
QString readListText(const QString& path) {
    QByteArray bytes;
    readWholeFile(path, bytes);
    const TextEncoding encoding = encodingFromMark(bytes, bytes.size());
    return decodeText(QByteArrayView(bytes).sliced(markLength(encoding)), encoding);
}

} // namespace

std::optional<QStringList> LoadListFromTextFile(const QString& path) {
    if (!FileExists(path))
        return std::nullopt;
    const QString text = readListText(path);
    if (text.isEmpty())
        return QStringList();
    return SplitCrLfLines(text);
}

} // namespace tagmill
