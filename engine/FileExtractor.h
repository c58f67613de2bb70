#pragma once

#include "engine/ExtractionOption.h"
#include "engine/TagPatterns.h"
#include "engine/ValueBatch.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

namespace tagmill {

class ByteSource;
class HeldValues;

/// Receives what one file gives, in order.
class FileSink {
public:
    virtual ~FileSink() = default;
    /// Asked between pieces of the file; false abandons the file (the run was cancelled).
    virtual bool proceed() = 0;
    virtual void values(ValueBatch&& batch) = 0;
    virtual void failure(const QString& description) = 0;
};

/// Searches a file with one option and tag list, as one continuous text, reading it piece by
/// piece: memory holds a piece, what an element, line or quoted stretch still open needs, and
/// the values waiting for their turn. All tags are searched in one pass. UTF-8 and Windows-1252
/// files are searched as bytes and only the values are decoded; UTF-16 and UTF-32 files, and
/// any file when a tag has non-ASCII letters, are searched in UTF-16. Values come out in UTF-8.
class FileExtractor {
public:
    static constexpr std::size_t DefaultPieceSize = 256 * 1024;

    FileExtractor(ExtractionOption option, const QStringList& tags,
                  std::size_t pieceSize = DefaultPieceSize);
    ~FileExtractor();

    /// Reads the source to its end. Throws FileError when reading fails. The buffers stay from
    /// one file to the next, so that memory is not fetched and cleared anew for each.
    void extract(ByteSource& source, FileSink& sink);
    /// The same over bytes in memory.
    void extract(QByteArrayView fileBytes, FileSink& sink);

private:
    ExtractionOption m_option;
    std::size_t m_pieceSize;
    bool m_tagsAscii = true;
    std::vector<detail::TagPatterns<char>> m_byteTags; // only when every tag is ASCII
    std::vector<detail::TagPatterns<char16_t>> m_wideTags;
    struct Searches;
    std::unique_ptr<Searches> m_searches; // laid out once, used for every file
    std::unique_ptr<HeldValues> m_held;
    ValueBatch m_batch;
    QByteArray m_bytes;
    std::u16string m_wide;
};

} // namespace tagmill
