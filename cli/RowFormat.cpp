#include "cli/RowFormat.h"

#include "cli/JsonRows.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::cli {

namespace {

bool isCsvSpecial(char c) {
    return c == ',' || c == '"' || c == '\r' || c == '\n';
}

// True when the field holds a comma, a quotation mark, CR or LF; values are mostly plain, so 16
// bytes are tested at once.
bool needsCsvQuotes(std::string_view text) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const __m128i special =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, quote)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (_mm_movemask_epi8(special) != 0)
            return true;
    }
#endif
    for (; i < text.size(); ++i)
        if (isCsvSpecial(text[i]))
            return true;
    return false;
}

// Position of the next quotation mark at or after `from`, 16 bytes at a time as above.
std::size_t findQuote(std::string_view text, std::size_t from) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)); mask != 0)
            return i + std::size_t(__builtin_ctz(unsigned(mask)));
    }
#endif
    for (; i < text.size(); ++i)
        if (text[i] == '"')
            return i;
    return text.size();
}

char* put(char* to, std::string_view bytes) {
    std::memcpy(to, bytes.data(), bytes.size());
    return to + bytes.size();
}

std::size_t countQuotes(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = findQuote(text, 0); i < text.size(); i = findQuote(text, i + 1))
        ++count;
    return count;
}

// The most room a field of this text takes: quoted, each quotation mark doubled.
std::size_t csvFieldBound(std::string_view text) {
    return text.size() + 2 + countQuotes(text);
}

// Writes the field at `to`, which has room for csvFieldBound bytes; returns its end.
char* writeCsvField(char* to, std::string_view text) {
    if (!needsCsvQuotes(text))
        return put(to, text);
    *to++ = '"';
    // Each run of bytes up to a quotation mark goes in whole, and the mark once more after it.
    std::size_t plain = 0;
    for (std::size_t i = findQuote(text, 0); i < text.size(); i = findQuote(text, i + 1)) {
        to = put(to, text.substr(plain, i + 1 - plain));
        plain = i;
    }
    to = put(to, text.substr(plain));
    *to++ = '"';
    return to;
}

void writeCsvRows(std::string& out, std::size_t at, std::string_view prefix,
                  const ValueBatch& values) {
    constexpr std::string_view end = "\r\n";
    out.resize(at + values.textSize() + countQuotes(values.text()) +
               values.count() * (prefix.size() + 2 + end.size()));
    char* to = out.data() + at;
    for (std::size_t i = 0; i < values.count(); ++i) {
        to = put(to, prefix);
        to = writeCsvField(to, values.value(i));
        to = put(to, end);
    }
    out.resize(std::size_t(to - out.data()));
}

} // namespace

void appendCsvField(std::string& out, std::string_view text) {
    const std::size_t at = out.size();
    out.resize(at + csvFieldBound(text));
    out.resize(std::size_t(writeCsvField(out.data() + at, text) - out.data()));
}

RowFormat::RowFormat(OutputFormat format, bool withFilename)
    : m_format(format), m_withFilename(withFilename), m_commaLines(withFilename ? 2 : 1) {}

void RowFormat::appendHeader(std::string& out) const {
    if (m_format == OutputFormat::Csv)
        out += m_withFilename ? "Filename,Results\r\n" : "Results\r\n";
    if (m_format == OutputFormat::Comma) {
        QStringList headers;
        for (int column = 0; column < (m_withFilename ? 2 : 1); ++column)
            headers.append(resultsHeader(m_withFilename, column));
        m_commaLines.appendHeader(out, headers);
    }
}

std::string RowFormat::filePrefix(std::string_view entry) const {
    std::string prefix;
    if (m_format == OutputFormat::Jsonl) {
        prefix = "{\"file\":\"";
        appendJsonEscaped(prefix, entry);
        prefix += "\",\"value\":\"";
    } else if (m_format == OutputFormat::Csv && m_withFilename) {
        appendCsvField(prefix, entry);
        prefix += ',';
    }
    return prefix;
}

void RowFormat::setFile(std::string_view entry) {
    m_filePrefix = filePrefix(entry);
    m_entry.assign(entry);
}

void RowFormat::appendRow(std::string& out, std::string_view value) {
    if (m_format == OutputFormat::Comma) {
        const std::string_view cells[] = {m_entry, value};
        m_commaLines.appendRow(out, m_withFilename ? std::span(cells) : std::span(cells + 1, 1));
    } else {
        appendRowAfterAnother(out, m_filePrefix, m_entry, value);
    }
}

void RowFormat::appendRows(std::string& out, std::string_view entry,
                           const ValueBatch& values) const {
    writeRowsFrom(out, out.size(), entry, values);
}

void RowFormat::writeRows(std::string& out, std::string_view entry,
                          const ValueBatch& values) const {
    writeRowsFrom(out, 0, entry, values);
}

void RowFormat::writeRowsFrom(std::string& out, std::size_t at, std::string_view entry,
                              const ValueBatch& values) const {
    const std::string prefix = filePrefix(entry);
    if (m_format == OutputFormat::Jsonl) {
        writeJsonRows(out, at, prefix, values);
    } else if (m_format == OutputFormat::Csv) {
        writeCsvRows(out, at, prefix, values);
    } else {
        out.resize(at);
        for (std::size_t i = 0; i < values.count(); ++i)
            appendRowAfterAnother(out, prefix, entry, values.value(i));
    }
}

std::string_view RowFormat::joinRows(std::string_view rows) {
    return m_format == OutputFormat::Comma ? m_commaLines.joinRows(rows) : rows;
}

// Only a comma row of one column reads differently as the first row.
void RowFormat::appendRowAfterAnother(std::string& out, std::string_view prefix,
                                      std::string_view entry, std::string_view value) const {
    switch (m_format) {
    case OutputFormat::Jsonl:
        out += prefix;
        appendJsonEscaped(out, value);
        out += "\"}\n";
        break;
    case OutputFormat::Csv:
        out += prefix;
        appendCsvField(out, value);
        out += "\r\n";
        break;
    case OutputFormat::Comma: {
        const std::string_view cells[] = {entry, value};
        m_commaLines.appendFollowingRow(out, m_withFilename ? std::span(cells)
                                                            : std::span(cells + 1, 1));
        break;
    }
    case OutputFormat::Tab:
        m_tabLine.appendRow(out, m_withFilename ? entry : value);
        break;
    case OutputFormat::Report:
    case OutputFormat::Xlsx:
        break;
    }
}

void RowFormat::finish(std::string& out) const {
    if (m_format == OutputFormat::Comma)
        m_commaLines.finish(out);
    if (m_format == OutputFormat::Tab)
        m_tabLine.finish(out);
}

} // namespace tagmill::cli
