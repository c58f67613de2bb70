#include "textio/TextEncoding.h"

#include "textio/FileBytes.h"
#include "textio/Utf8Check.h"

#include <QStringDecoder>

namespace tagmill {

namespace {

bool startsWith(QByteArrayView bytes, std::initializer_list<unsigned char> mark) {
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char b : mark)
        if (static_cast<unsigned char>(bytes[i++]) != b)
            return false;
    return true;
}

// A surrogate that is not half of a pair encodes no character.
void replaceLoneSurrogates(QString& text) {
    const qsizetype n = text.size();
    QChar* d = text.data();
    for (qsizetype i = 0; i < n; ++i) {
        if (d[i].isHighSurrogate() && i + 1 < n && d[i + 1].isLowSurrogate())
            ++i;
        else if (d[i].isSurrogate())
            d[i] = QChar::ReplacementCharacter;
    }
}

char32_t unitAt(const char* p, int size, bool bigEndian) {
    char32_t unit = 0;
    for (int k = 0; k < size; ++k) {
        const auto byte = static_cast<unsigned char>(p[bigEndian ? k : size - 1 - k]);
        unit = (unit << 8) | byte;
    }
    return unit;
}

// Written here rather than with QStringDecoder, which drops a cut last unit and lets a lone
// surrogate through; bytes left over after the last whole unit are one U+FFFD.
QString decodeUtf16(QByteArrayView bytes, bool bigEndian) {
    const qsizetype units = bytes.size() / 2;
    const bool cut = bytes.size() % 2 != 0;
    QString text(units + (cut ? 1 : 0), Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < units; ++i)
        d[i] = char16_t(unitAt(bytes.data() + 2 * i, 2, bigEndian));
    if (cut)
        d[units] = QChar::ReplacementCharacter;
    replaceLoneSurrogates(text);
    return text;
}

// QStringDecoder turns a UTF-32 unit above U+10FFFF into two surrogates and two surrogate units
// into a pair; each such unit is one U+FFFD here, and so is a cut last unit.
QString decodeUtf32(QByteArrayView bytes, bool bigEndian) {
    const qsizetype units = bytes.size() / 4;
    const bool cut = bytes.size() % 4 != 0;
    QString text(2 * units + (cut ? 1 : 0), Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(text.data());
    qsizetype length = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const char32_t c = unitAt(bytes.data() + 4 * i, 4, bigEndian);
        if (c > 0x10FFFF || QChar::isSurrogate(c)) {
            d[length++] = QChar::ReplacementCharacter;
        } else if (QChar::requiresSurrogates(c)) {
            d[length++] = QChar::highSurrogate(c);
            d[length++] = QChar::lowSurrogate(c);
        } else {
            d[length++] = char16_t(c);
        }
    }
    if (cut)
        d[length++] = QChar::ReplacementCharacter;
    text.truncate(length);
    return text;
}

} // namespace

TextEncoding encodingFromMark(QByteArrayView b, qint64 fileSize) {
    if (fileSize >= 4 && startsWith(b, {0xFF, 0xFE, 0x00, 0x00}))
        return TextEncoding::Utf32LE;
    if (fileSize >= 4 && startsWith(b, {0x00, 0x00, 0xFE, 0xFF}))
        return TextEncoding::Utf32BE;
    if (fileSize >= 3 && startsWith(b, {0xEF, 0xBB, 0xBF}))
        return TextEncoding::Utf8;
    if (fileSize >= 2 && startsWith(b, {0xFF, 0xFE}))
        return TextEncoding::Utf16LE;
    if (fileSize >= 2 && startsWith(b, {0xFE, 0xFF}))
        return TextEncoding::Utf16BE;
    return TextEncoding::Narrow;
}

int markLength(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Narrow:
        return 0;
    case TextEncoding::Utf8:
        return 3;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return 2;
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE:
        return 4;
    }
    return 0;
}

bool isWideEncoding(TextEncoding encoding) {
    return encoding != TextEncoding::Narrow && encoding != TextEncoding::Utf8;
}

QString decodeWindows1252(QByteArrayView bytes) {
    QStringDecoder decoder("windows-1252");
    return decoder(bytes);
}

QString decodeUtf8(QByteArrayView bytes) {
    // QString::fromUtf8 drops a U+FEFF at the start, but after the mark it is text. Stateless
    // makes a sequence cut short at the end U+FFFD instead of waiting for more bytes.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

QString decodeNarrow(QByteArrayView bytes) {
    return isValidUtf8({bytes.data(), std::size_t(bytes.size())}) ? decodeUtf8(bytes)
                                                                  : decodeWindows1252(bytes);
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Narrow:
        return decodeNarrow(bytes);
    case TextEncoding::Utf8:
        return decodeUtf8(bytes);
    case TextEncoding::Utf16LE:
        return decodeUtf16(bytes, false);
    case TextEncoding::Utf16BE:
        return decodeUtf16(bytes, true);
    case TextEncoding::Utf32LE:
        return decodeUtf32(bytes, false);
    case TextEncoding::Utf32BE:
        return decodeUtf32(bytes, true);
    }
    return {};
}

TextEncoding DetectTextEncoding(const QString& path) {
    QByteArray head;
    const qint64 size = readFileHead(path, 4, head);
    return encodingFromMark(head, size);
}

} // namespace tagmill
