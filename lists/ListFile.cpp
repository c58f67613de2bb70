#include "lists/ListFile.h"

#include "textio/FileBytes.h"
#include "textio/FileReaders.h"
#include "textio/TextEncoding.h"

namespace tagmill {

std::optional<QStringList> LoadListFromTextFile(const QString& path) {
    if (!FileExists(path))
        return std::nullopt;
    QByteArray bytes;
    readWholeFile(path, bytes);
    const TextEncoding encoding = encodingFromMark(bytes, bytes.size());
    const QString text = decodeText(QByteArrayView(bytes).sliced(markLength(encoding)), encoding);
    if (text.isEmpty())
        return QStringList();
    return SplitCrLfLines(text);
}

} // namespace tagmill
