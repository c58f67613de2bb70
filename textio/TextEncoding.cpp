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

// Lone surrogates survive Qt's UTF-16 and UTF-32 decoders; they would turn into "?" on the way
// out, so they become U+FFFD here like every other malformed sequence.
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

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding);
    QString text = decoder(bytes);
    replaceLoneSurrogates(text);
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

QString decodeNarrow(QByteArrayView bytes) {
    return isValidUtf8({bytes.data(), std::size_t(bytes.size())}) ? QString::fromUtf8(bytes)
                                                                  : decodeWindows1252(bytes);
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Narrow:
        return decodeNarrow(bytes);
    case TextEncoding::Utf8:
        return QString::fromUtf8(bytes);
    case TextEncoding::Utf16LE:
        return decodeWith(QStringConverter::Utf16LE, bytes);
    case TextEncoding::Utf16BE:
        return decodeWith(QStringConverter::Utf16BE, bytes);
    case TextEncoding::Utf32LE:
        return decodeWith(QStringConverter::Utf32LE, bytes);
    case TextEncoding::Utf32BE:
        return decodeWith(QStringConverter::Utf32BE, bytes);
    }
    return {};
}

TextEncoding DetectTextEncoding(const QString& path) {
    QByteArray head;
    const qint64 size = readFileHead(path, 4, head);
    return encodingFromMark(head, size);
}

} // namespace tagmill
