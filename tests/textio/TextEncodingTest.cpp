#include "textio/TextEncoding.h"

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
        EXPECT_EQ(encodingFromMark(c.bytes, c.bytes.size()), c.expected) << c.bytes.toHex().constData();
}

TEST(TextEncoding, NarrowIsUtf8WhenValidElseWindows1252) {
    EXPECT_EQ(decodeNarrow("caf\xC3\xA9"), QString::fromUtf8("café"));
    EXPECT_EQ(decodeNarrow("caf\xE9 \x80"), QString::fromUtf8("café €"));
}

TEST(TextEncoding, MalformedSequencesBecomeReplacementCharacters) {
    const QString fffd(QChar::ReplacementCharacter);
    EXPECT_EQ(decodeText(QByteArray("a\xFF", 2), TextEncoding::Utf8), "a" + fffd);
    EXPECT_EQ(decodeText(QByteArray("\x00\xD8" "a\x00", 4), TextEncoding::Utf16LE), fffd + "a");
    EXPECT_EQ(decodeText(QByteArray("\xD8\x00\x00" "a", 4), TextEncoding::Utf16BE), fffd + "a");
    EXPECT_EQ(decodeText(QByteArray("\x3D\xD8\x00\xDE", 4), TextEncoding::Utf16LE),
              QString::fromUtf8("\xF0\x9F\x98\x80")); // a valid pair stays
}

} // namespace
