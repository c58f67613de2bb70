#include "cli/RowFormat.h"

namespace tagmill::cli {

void appendJsonEscaped(std::string& out, std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(text.substr(plain, i - plain));
        plain = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    out.append(text.substr(plain));
}

void appendCsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(text);
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

RowFormat::RowFormat(OutputFormat format, bool withFilename)
    : m_format(format), m_withFilename(withFilename) {}

void RowFormat::appendHeader(std::string& out) const {
    if (m_format == OutputFormat::Csv)
        out += m_withFilename ? "Filename,Results\r\n" : "Results\r\n";
}

void RowFormat::setFile(std::string_view entry) {
    m_filePrefix.clear();
    if (m_format == OutputFormat::Jsonl) {
        m_filePrefix = "{\"file\":\"";
        appendJsonEscaped(m_filePrefix, entry);
        m_filePrefix += "\",\"value\":\"";
    } else if (m_withFilename) {
        appendCsvField(m_filePrefix, entry);
        m_filePrefix += ',';
    }
}

void RowFormat::appendRow(std::string& out, std::string_view value) const {
    out += m_filePrefix;
    if (m_format == OutputFormat::Jsonl) {
        appendJsonEscaped(out, value);
        out += "\"}\n";
    } else {
        appendCsvField(out, value);
        out += "\r\n";
    }
}

} // namespace tagmill::cli
