#include "textio/TextEncoding.h"
#include "textio/Utf8Check.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tagmill;

namespace {

TEST(TextEncoding, MarksInProbeOrder) {
    struct Case {
        QByteArray bytes;
        TextEncoding expected;
    };
    const Case cases[] = {
        {QByteArray(), TextEncoding::Narrow},
        {QByteArray("abc"), TextEncoding::Narrow},
        {QByteArray("\xFF\xFE\x00\x00", 4), TextEncoding::Utf32LE},
        {QByteArray("\x00\x00\xFE\xFF", 4), TextEncoding::Utf32BE},
        {QByteArray("\xEF\xBB\xBF"), TextEncoding::Utf8},
        {QByteArray("\xEF\xBB"), TextEncoding::Narrow},
        {QByteArray("\xFF\xFE"), TextEncoding::Utf16LE},
        {QByteArray("\xFF\xFE\x00", 3), TextEncoding::Utf16LE}, // too short for UTF-32
        {QByteArray("\xFE\xFF"), TextEncoding::Utf16BE},
        {QByteArray("\xFE"), TextEncoding::Narrow},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encodingFromMark(c.bytes, c.bytes.size()), c.expected)
            << c.bytes.toHex().constData();
}

TEST(TextEncoding, NarrowIsUtf8WhenValidElseWindows1252) {
    EXPECT_EQ(decodeNarrow("caf\xC3\xA9"), QString::fromUtf8("café"));
    EXPECT_EQ(decodeNarrow("caf\xE9 \x80"), QString::fromUtf8("café €"));
}

TEST(TextEncoding, MalformedSequencesBecomeReplacementCharacters) {
    const QString fffd(QChar::ReplacementCharacter);
    EXPECT_EQ(decodeText(QByteArray("a\xFF", 2), TextEncoding::Utf8), "a" + fffd);
    EXPECT_EQ(decodeText(QByteArray("\x00\xD8"
                                    "a\x00",
                                    4),
                         TextEncoding::Utf16LE),
              fffd + "a");
    EXPECT_EQ(decodeText(QByteArray("\xD8\x00\x00"
                                    "a",
                                    4),
                         TextEncoding::Utf16BE),
              fffd + "a");
    EXPECT_EQ(decodeText(QByteArray("\x3D\xD8\x00\xDE", 4), TextEncoding::Utf16LE),
              QString::fromUtf8("\xF0\x9F\x98\x80")); // a valid pair stays
}

TEST(Utf8Check, EdgesOfWellFormedUtf8) {
    struct Case {
        QByteArray bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain ascii text that is longer than sixteen bytes", true},
        {"\xC3\xA9", true},
        {"\xC3", false},         // cut short
        {"\xC0\xAF", false},     // overlong
        {"\xE0\x80\xAF", false}, // overlong
        {"\xED\xA0\x80", false}, // surrogate
        {"\xEF\xBF\xBD", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\x80", false},
        {QByteArray(20, 'a') + "\xE9" + QByteArray(20, 'b'), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes.toStdString()), c.valid) << c.bytes.toHex().constData();
}

TEST(Utf8Check, AgreesWithQtOnRandomBytes) {
    QRandomGenerator random(5);
    const char alphabet[] = {'a',    '<',    '\x80', '\xBF', '\xC3', '\xA9', '\xE2', '\x82',
                             '\xAC', '\xED', '\xA0', '\xF0', '\x9F', '\xF4', '\x90', '\xFF'};
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        for (int i = 0, n = int(random.bounded(40)); i < n; ++i)
            bytes += alphabet[random.bounded(int(sizeof alphabet))];
        ASSERT_EQ(isValidUtf8(bytes.toStdString()), QByteArrayView(bytes).isValidUtf8())
            << bytes.toHex().constData();
    }
}

} // namespace
