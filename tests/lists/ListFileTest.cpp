#include "lists/ListFile.h"

#include "TempFiles.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace tagmill;

namespace {

class ListFile : public test::TempFiles {};

QByteArray encoded(QStringConverter::Encoding encoding, const QString& text) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder(text);
}

TEST_F(ListFile, EveryLineIsAnEntryWhateverItsEnd) {
    const struct {
        const char* bytes;
        QStringList entries;
    } cases[] = {
        {"C:\\a.xml\r\n\r\nC:\\b.xml\r\n", {"C:\\a.xml", "", "C:\\b.xml"}},
        {"C:\\a.xml\n\nC:\\b.xml\n", {"C:\\a.xml", "", "C:\\b.xml"}},
        {"C:\\a.xml\r\rC:\\b.xml\r", {"C:\\a.xml", "", "C:\\b.xml"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"", {}},
        {"\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"  td \t\n<td>\n", {"  td \t", "<td>"}},
    };
    for (const auto& c : cases) {
        const auto entries = LoadListFromTextFile(write("list.txt", c.bytes));
        ASSERT_TRUE(entries.has_value());
        EXPECT_EQ(*entries, c.entries) << QByteArray(c.bytes).toPercentEncoding().toStdString();
    }
}

TEST_F(ListFile, MarksChooseTheEncodingAndNeverJoinTheFirstEntry) {
    const QString text = QString::fromUtf8("/data/é.xml\r\n/data/日本.xml\n");
    const QStringList expected{QString::fromUtf8("/data/é.xml"),
                               QString::fromUtf8("/data/日本.xml")};
    const QStringConverter::Encoding encodings[] = {
        QStringConverter::Utf8,    QStringConverter::Utf16LE, QStringConverter::Utf16BE,
        QStringConverter::Utf32LE, QStringConverter::Utf32BE,
    };
    for (const auto encoding : encodings) {
        SCOPED_TRACE(int(encoding));
        const auto entries = LoadListFromTextFile(write("list.txt", encoded(encoding, text)));
        ASSERT_TRUE(entries.has_value());
        EXPECT_EQ(*entries, expected);
    }
    const auto plain = LoadListFromTextFile(write("plain.txt", text.toUtf8()));
    EXPECT_EQ(*plain, expected) << "UTF-8 without a mark";
    const auto legacy = LoadListFromTextFile(write("legacy.txt", "caf\xe9.xml\r\n\x93q\x94.xml"));
    EXPECT_EQ(*legacy, QStringList({QString::fromUtf8("café.xml"), QString::fromUtf8("“q”.xml")}))
        << "not UTF-8: Windows-1252";
    const auto onlyMark = LoadListFromTextFile(write("mark.txt", "\xEF\xBB\xBF"));
    EXPECT_TRUE(onlyMark->isEmpty());
}

TEST_F(ListFile, BinaryBytesBecomeEntriesWithoutLoss) {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    const auto entries = LoadListFromTextFile(write("binary.bin", bytes));
    ASSERT_TRUE(entries.has_value());
    // LF (byte 10) and CR (byte 13) end the first two lines; every other byte is kept.
    ASSERT_EQ(entries->size(), 3);
    EXPECT_EQ((*entries)[0].size(), 10);
    EXPECT_EQ((*entries)[1].size(), 2);
    EXPECT_EQ((*entries)[2].size(), 256 - 14);
}

// NUL lists as find -print0 writes them: line breaks and marks are parts of names, two NULs in a
// row hold an empty entry, and the last entry needs no NUL.
TEST_F(ListFile, NulSeparatedEntriesAreTheBytesBetweenNuls) {
    using namespace Qt::StringLiterals;
    const struct {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"a\0b\0"_ba, {"a", "b"}},
        {"a\0b"_ba, {"a", "b"}},
        {"a\0\0b\0"_ba, {"a", "", "b"}},
        {"\0"_ba, {""}},
        {"\0\0"_ba, {"", ""}},
        {"", {}},
        {"one\r\ntwo\n\0"_ba, {"one\r\ntwo\n"}},
        {"\xEF\xBB\xBF/d/\xC3\xA9\0"_ba, {QChar(0xFEFF) + QString::fromUtf8("/d/é")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toPercentEncoding().toStdString());
        EXPECT_EQ(ListEntries(c.bytes, ListSeparator::Nul), c.entries);
    }
}

TEST_F(ListFile, ANulSeparatedEntryThatIsNotUtf8IsNamed) {
    using namespace Qt::StringLiterals;
    const QByteArray cases[] = {"caf\xe9"_ba, "ok\0caf\xe9\0"_ba, "\0\0\xFF\xFE"_ba};
    const char* const messages[] = {"Entry 1 is not valid UTF-8", "Entry 2 is not valid UTF-8",
                                    "Entry 3 is not valid UTF-8"};
    for (int i = 0; i < 3; ++i) {
        try {
            ListEntries(cases[i], ListSeparator::Nul);
            ADD_FAILURE() << messages[i];
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), messages[i]);
        }
    }
}

TEST_F(ListFile, MissingFileIsNotFoundAndAFolderCannotBeRead) {
    EXPECT_FALSE(LoadListFromTextFile(pathOf("absent.txt")).has_value());
    EXPECT_FALSE(LoadListFromTextFile("").has_value());
    EXPECT_THROW(LoadListFromTextFile(m_dir.path()), std::runtime_error);
}

} // namespace
