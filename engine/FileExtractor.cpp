#include "engine/FileExtractor.h"

#include "engine/Searches.h"
#include "textio/TextEncoding.h"
#include "textio/Utf8Check.h"

#include <QByteArrayView>

namespace tagmill {

namespace {

constexpr std::size_t BatchBytes = 256 * 1024;

// Collects values into batches of a bounded size and hands them on.
class BatchOutput {
public:
    explicit BatchOutput(FileSink& sink) : m_sink(sink) {}
    ~BatchOutput() { flush(); }

    void append(std::string_view utf8) {
        m_batch.append(utf8);
        if (m_batch.byteSize() >= BatchBytes)
            flush();
    }
    void flush() {
        if (!m_batch.empty())
            m_sink.values(std::exchange(m_batch, ValueBatch()));
    }
    FileSink& sink() { return m_sink; }

private:
    FileSink& m_sink;
    ValueBatch m_batch;
};

// Turns byte stretches of a UTF-8 or Windows-1252 file into UTF-8 values. ASCII values are the
// same in both, so the whole file is checked for UTF-8 only when a value needs it.
class ByteValues {
public:
    ByteValues(std::string_view text, TextEncoding encoding, BatchOutput& out)
        : m_text(text), m_encoding(encoding), m_out(out) {}

    bool proceed() { return m_out.sink().proceed(); }
    void failure(const QString& description) {
        m_out.flush();
        m_out.sink().failure(description);
    }
    void value(std::size_t start, std::size_t length) {
        const std::string_view v = m_text.substr(start, length);
        if (isAscii(v))
            m_out.append(v);
        else if (m_encoding == TextEncoding::Utf8)
            appendUtf8(v);
        else if (fileIsUtf8())
            m_out.append(v);
        else
            m_out.append(decodeWindows1252(toView(v)).toUtf8().toStdString());
    }

private:
    static QByteArrayView toView(std::string_view v) { return {v.data(), qsizetype(v.size())}; }

    void appendUtf8(std::string_view v) {
        if (isValidUtf8(v))
            m_out.append(v);
        else
            m_out.append(decodeUtf8(toView(v)).toUtf8().toStdString());
    }
    bool fileIsUtf8() {
        if (!m_isUtf8)
            m_isUtf8 = isValidUtf8(m_text);
        return *m_isUtf8;
    }

    std::string_view m_text;
    TextEncoding m_encoding;
    BatchOutput& m_out;
    std::optional<bool> m_isUtf8;
};

class WideValues {
public:
    WideValues(std::u16string_view text, BatchOutput& out) : m_text(text), m_out(out) {}

    bool proceed() { return m_out.sink().proceed(); }
    void failure(const QString& description) {
        m_out.flush();
        m_out.sink().failure(description);
    }
    void value(std::size_t start, std::size_t length) {
        const QStringView v(m_text.data() + start, qsizetype(length));
        m_out.append(v.toUtf8().toStdString());
    }

private:
    std::u16string_view m_text;
    BatchOutput& m_out;
};

template <typename Char, typename Values>
void runTag(ExtractionOption option, std::basic_string_view<Char> text,
            const detail::TagPatterns<Char>& tag, Values& values) {
    if (option == ExtractionOption::WholeLine)
        detail::extractLinesWithTag(text, tag, values);
    else
        detail::extractBetweenTags(text, tag, option == ExtractionOption::TagAndValue, values);
}

} // namespace

FileExtractor::FileExtractor(ExtractionOption option, const QStringList& tags) : m_option(option) {
    for (const QString& tag : tags)
        m_tags.push_back({detail::bytePatterns(tag), detail::wideTagPatterns(tag)});
}

void FileExtractor::extract(QByteArrayView fileBytes, FileSink& sink) const {
    if (m_option == ExtractionOption::Nothing)
        return;
    const TextEncoding encoding = encodingFromMark(fileBytes, fileBytes.size());
    const QByteArrayView body = fileBytes.sliced(markLength(encoding));
    const std::string_view bytes(body.data(), std::size_t(body.size()));

    // Decoded only when some search needs UTF-16.
    QString decoded;
    bool isDecoded = false;
    auto wideText = [&]() -> std::u16string_view {
        if (!isDecoded) {
            decoded = decodeText(body, encoding);
            isDecoded = true;
        }
        return {reinterpret_cast<const char16_t*>(decoded.utf16()), std::size_t(decoded.size())};
    };

    BatchOutput out(sink);
    ByteValues byteValues(bytes, encoding, out);
    const bool wideFile = isWideEncoding(encoding);

    if (m_option == ExtractionOption::Quoted) {
        if (wideFile) {
            WideValues values(wideText(), out);
            detail::extractQuoted(wideText(), values);
        } else {
            detail::extractQuoted(bytes, byteValues);
        }
        return;
    }
    for (const Tag& tag : m_tags) {
        if (!sink.proceed())
            return;
        if (!wideFile && tag.bytes) {
            runTag(m_option, bytes, *tag.bytes, byteValues);
        } else {
            WideValues values(wideText(), out);
            runTag(m_option, wideText(), tag.wide, values);
        }
    }
}

} // namespace tagmill
