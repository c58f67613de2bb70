#pragma once

#include "engine/ExtractionOption.h"
#include "engine/TagPatterns.h"
#include "engine/ValueBatch.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tagmill {

/// Receives what one file gives, in order.
class FileSink {
public:
    virtual ~FileSink() = default;
    /// Asked before every search step; false abandons the file (the run was cancelled).
    virtual bool proceed() = 0;
    virtual void values(ValueBatch&& batch) = 0;
    virtual void failure(const QString& description) = 0;
};

/// Searches a whole file's bytes with one option and tag list, as one continuous text. UTF-8 and
/// Windows-1252 files are searched as bytes and only the values are decoded; UTF-16 and UTF-32
/// files, and tags with non-ASCII letters, are searched in UTF-16. Values come out in UTF-8.
class FileExtractor {
public:
    FileExtractor(ExtractionOption option, const QStringList& tags);

    void extract(QByteArrayView fileBytes, FileSink& sink) const;

private:
    struct Tag {
        std::optional<detail::TagPatterns<char>> bytes;
        detail::TagPatterns<char16_t> wide;
    };
    ExtractionOption m_option;
    std::vector<Tag> m_tags;
};

} // namespace tagmill
