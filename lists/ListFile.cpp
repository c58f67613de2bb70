#include "lists/ListFile.h"

#include "textio/FileBytes.h"
#include "textio/FileError.h"
#include "textio/FileReaders.h"
#include "textio/TextEncoding.h"
#include "textio/Utf8Check.h"

namespace tagmill {

namespace {

// The bytes go as soon as they are decoded: a list may be hundreds of megabytes.
QStringList linesOf(QByteArray bytes) {
    const TextEncoding encoding = encodingFromMark(bytes, bytes.size());
    const QString text = decodeText(QByteArrayView(bytes).sliced(markLength(encoding)), encoding);
    bytes = QByteArray();
    if (text.isEmpty())
        return QStringList();
    return SplitCrLfLines(text);
}

QStringList nulSeparated(const QByteArray& bytes) {
    QStringList entries;
    const QByteArrayView all(bytes);
    for (qsizetype start = 0; start < all.size();) {
        qsizetype end = all.indexOf('\0', start);
        if (end < 0)
            end = all.size();
        const QByteArrayView entry = all.sliced(start, end - start);
        if (!isValidUtf8(std::string_view(entry.data(), std::size_t(entry.size()))))
            throw FileError(QStringLiteral("Entry %1 is not valid UTF-8").arg(entries.size() + 1));
        entries.append(decodeUtf8(entry));
        start = end + 1;
    }
    return entries;
}

} // namespace

QStringList ListEntries(QByteArray bytes, ListSeparator separator) {
    return separator == ListSeparator::Nul ? nulSeparated(bytes) : linesOf(std::move(bytes));
}

std::optional<QStringList> LoadListFromTextFile(const QString& path) {
    if (!FileExists(path))
        return std::nullopt;
    QByteArray bytes;
    readWholeFile(path, bytes);
    return ListEntries(std::move(bytes), ListSeparator::Lines);
}

} // namespace tagmill
