// Any bytes make a list file the loader reads to the end: one entry per line, none holding a
// line break, and the same entries as its lines decoded the way searched files are.

#include "FuzzInput.h"
#include "lists/ListFile.h"
#include "textio/FileReaders.h"
#include "textio/TextEncoding.h"

#include <QFile>
#include <QTemporaryDir>

using namespace tagmill;
using namespace tagmill::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath("list.txt");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QFile file(path);
    expect(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the list file is written");
    expect(file.write(bytes) == bytes.size(), "the list file is written whole");
    file.close();

    const std::optional<QStringList> entries = LoadListFromTextFile(path);
    expect(entries.has_value(), "an existing list file is read");
    for (const QString& entry : *entries)
        expect(!entry.contains(u'\r') && !entry.contains(u'\n'), "no break inside an entry");
    const TextEncoding encoding = encodingFromMark(bytes, bytes.size());
    const QString text = decodeText(QByteArrayView(bytes).sliced(markLength(encoding)), encoding);
    const QStringList lines = text.isEmpty() ? QStringList() : SplitCrLfLines(text);
    expect(*entries == lines, "the entries are the lines of the decoded text; none for no text");
    return 0;
}
