#include "textio/ReferenceDecoder.h"

namespace tagmill::test {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Windows-1252 at the bytes 0x80 to 0x9F; every other byte is the code point of its value. The
// five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) are the C1 controls
// of the same value, as QStringDecoder("windows-1252") gives them.
constexpr char32_t Windows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned byteAt(const QByteArray& bytes, qsizetype i) {
    return static_cast<unsigned char>(bytes[i]);
}

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

void append(QString& text, char32_t c) {
    if (c < 0x10000) {
        text += QChar(char16_t(c));
    } else {
        text += QChar(char16_t(0xD800 + ((c - 0x10000) >> 10)));
        text += QChar(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
}

struct Sequence {
    char32_t character = 0;
    int length = 0; // 0 when the bytes there are not a well-formed sequence
};

Sequence utf8SequenceAt(const QByteArray& bytes, qsizetype i) {
    const unsigned lead = byteAt(bytes, i);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80)
        return {lead, 1};
    if (lead >= 0xC0 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF7) {
        length = 4;
        c = lead & 0x07;
    } else {
        return {};
    }
    if (i + length > bytes.size())
        return {};
    for (int k = 1; k < length; ++k) {
        const unsigned next = byteAt(bytes, i + k);
        if (next < 0x80 || next > 0xBF)
            return {};
        c = (c << 6) | (next & 0x3F);
    }
    const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000}; // smaller ones are overlong
    if (c < shortest[length] || c > 0x10FFFF || isSurrogate(c))
        return {};
    return {c, length};
}

// Decodes UTF-8 from byte `from` on; `valid` tells whether every byte was well-formed.
QString utf8(const QByteArray& bytes, qsizetype from, bool& valid) {
    QString text;
    valid = true;
    qsizetype i = from;
    while (i < bytes.size()) {
        const Sequence s = utf8SequenceAt(bytes, i);
        if (s.length == 0) {
            valid = false;
            append(text, Replacement);
            ++i;
        } else {
            append(text, s.character);
            i += s.length;
        }
    }
    return text;
}

QString windows1252(const QByteArray& bytes) {
    QString text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned b = byteAt(bytes, i);
        append(text, b >= 0x80 && b <= 0x9F ? Windows1252[b - 0x80] : b);
    }
    return text;
}

unsigned unitAt(const QByteArray& bytes, qsizetype at, int size, bool bigEndian) {
    unsigned unit = 0;
    for (int k = 0; k < size; ++k) {
        const int shift = bigEndian ? 8 * (size - 1 - k) : 8 * k;
        unit |= byteAt(bytes, at + k) << shift;
    }
    return unit;
}

QString utf16(const QByteArray& bytes, qsizetype from, bool bigEndian) {
    QString text;
    qsizetype i = from;
    while (i + 2 <= bytes.size()) {
        const unsigned unit = unitAt(bytes, i, 2, bigEndian);
        i += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 2 <= bytes.size()) {
            const unsigned next = unitAt(bytes, i, 2, bigEndian);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                append(text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        append(text, isSurrogate(unit) ? Replacement : unit);
    }
    if (i < bytes.size()) // a cut last unit
        append(text, Replacement);
    return text;
}

QString utf32(const QByteArray& bytes, qsizetype from, bool bigEndian) {
    QString text;
    qsizetype i = from;
    for (; i + 4 <= bytes.size(); i += 4) {
        const char32_t unit = unitAt(bytes, i, 4, bigEndian);
        append(text, unit > 0x10FFFF || isSurrogate(unit) ? Replacement : unit);
    }
    if (i < bytes.size()) // a cut last unit
        append(text, Replacement);
    return text;
}

bool startsWith(const QByteArray& file, const char* mark, int size) {
    return file.startsWith(QByteArray(mark, size));
}

} // namespace

QString referenceUtf8(const QByteArray& bytes) {
    bool valid = false;
    return utf8(bytes, 0, valid);
}

QString referenceDecode(const QByteArray& file) {
    if (startsWith(file, "\xFF\xFE\x00\x00", 4))
        return utf32(file, 4, false);
    if (startsWith(file, "\x00\x00\xFE\xFF", 4))
        return utf32(file, 4, true);
    if (startsWith(file, "\xEF\xBB\xBF", 3)) {
        bool valid = false;
        return utf8(file, 3, valid);
    }
    if (startsWith(file, "\xFF\xFE", 2))
        return utf16(file, 2, false);
    if (startsWith(file, "\xFE\xFF", 2))
        return utf16(file, 2, true);
    bool valid = false;
    const QString text = utf8(file, 0, valid);
    return valid ? text : windows1252(file);
}

} // namespace tagmill::test
