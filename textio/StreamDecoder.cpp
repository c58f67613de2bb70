#include "textio/StreamDecoder.h"

#include "textio/Utf8Check.h"

#include <QChar>

namespace tagmill {

namespace {

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    return 2;
}

// The bytes still waiting, followed by the new ones.
std::string_view joined(std::string& pending, std::string_view bytes, std::string& scratch) {
    if (pending.empty())
        return bytes;
    scratch.assign(pending).append(bytes);
    pending.clear();
    return scratch;
}

void appendText(std::u16string& out, const QString& text) {
    out.append(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
}

} // namespace

std::size_t wholeUtf8Length(std::string_view bytes) {
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if (byte < 0x80)
            return size;
        if (byte >= 0xC0)
            return utf8SequenceLength(byte) > back ? size - back : size;
    }
    return size;
}

std::size_t StreamDecoder::wholeLength(std::string_view bytes) const {
    switch (m_encoding) {
    case TextEncoding::Narrow:
        return bytes.size();
    case TextEncoding::Utf8:
        return wholeUtf8Length(bytes);
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        std::size_t n = bytes.size() & ~std::size_t(1);
        // A high surrogate waits for the low one that may follow.
        if (n >= 2) {
            const bool bigEndian = m_encoding == TextEncoding::Utf16BE;
            const auto high = static_cast<unsigned char>(bytes[n - (bigEndian ? 2 : 1)]);
            if (high >= 0xD8 && high <= 0xDB)
                n -= 2;
        }
        return n;
    }
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE:
        return bytes.size() & ~std::size_t(3);
    }
    return bytes.size();
}

void StreamDecoder::decode(std::string_view bytes, bool atEnd, std::u16string& out) {
    const std::string_view all = joined(m_pending, bytes, m_joined);
    const std::size_t whole = atEnd ? all.size() : wholeLength(all);
    const QByteArrayView part(all.data(), qsizetype(whole));
    appendText(out, m_encoding == TextEncoding::Narrow ? decodeWindows1252(part)
                                                       : decodeText(part, m_encoding));
    m_pending.assign(all.substr(whole));
}

void Utf8Validator::add(std::string_view bytes, bool atEnd) {
    if (!m_valid)
        return;
    const std::string_view all = joined(m_pending, bytes, m_joined);
    const std::size_t whole = atEnd ? all.size() : wholeUtf8Length(all);
    m_valid = isValidUtf8(all.substr(0, whole));
    m_pending.assign(all.substr(whole));
}

} // namespace tagmill
