#include "textio/FileReaders.h"
#include "textio/FileError.h"

#include <QStringEncoder>

#include "TempFiles.h"

#include <gtest/gtest.h>

using namespace tagmill;

namespace {

class FileReaders : public test::TempFiles {
protected:
    QString write(const QByteArray& bytes) {
        return TempFiles::write(QString("f%1").arg(m_count++), bytes);
    }
    int m_count = 0;
};

TEST_F(FileReaders, EmptyAndMarkOnlyFilesGiveOneEmptyString) {
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("\xEF\xBB\xBF"), QByteArray("\xFF\xFE")}) {
        const QString path = write(bytes);
        EXPECT_EQ(LoadFileBlocks(path), QStringList{QString()}) << bytes.toHex().constData();
        EXPECT_EQ(LoadFileLines(path), QStringList{QString()}) << bytes.toHex().constData();
    }
}

TEST_F(FileReaders, BlocksHoldAtMost65536Characters) {
    const QString exact = write(QByteArray(BlockSize, 'a'));
    EXPECT_EQ(LoadFileBlocks(exact).size(), 1);
    const QStringList two = LoadFileBlocks(write(QByteArray(BlockSize + 1, 'a')));
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[0].size(), BlockSize);
    EXPECT_EQ(two[1], "a");
    // A file with a UTF-8 mark is one block however long.
    EXPECT_EQ(LoadFileBlocks(write("\xEF\xBB\xBF" + QByteArray(BlockSize * 2, 'b'))).size(), 1);
}

TEST_F(FileReaders, LinesEndAtCrLfLfOrCrInEveryEncoding) {
    const QStringList expected{"one", "two", "", "three", "four"};
    const QByteArray narrow = "one\r\ntwo\n\nthree\rfour\r\n";
    QStringEncoder utf16(QStringConverter::Utf16LE);
    const QByteArray wide = "\xFF\xFE" + QByteArray(utf16(QString::fromLatin1(narrow)));
    for (const QByteArray& bytes : {narrow, "\xEF\xBB\xBF" + narrow, wide})
        EXPECT_EQ(LoadFileLines(write(bytes)), expected) << bytes.toHex().constData();
}

TEST_F(FileReaders, SplitLines) {
    EXPECT_EQ(SplitCrLfLines(""), QStringList{""});
    EXPECT_EQ(SplitCrLfLines("a"), QStringList{"a"});
    EXPECT_EQ(SplitCrLfLines("a\r\n"), QStringList{"a"});
    EXPECT_EQ(SplitCrLfLines("\r\n"), QStringList{""});
    EXPECT_EQ(SplitCrLfLines("a\n\rb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitCrLfLines("  <a>\r\n\r\n"), (QStringList{"  <a>", ""}));
}

TEST_F(FileReaders, EncodingsDecodeByTheirMark) {
    const QString text = QString::fromUtf8("<préis>€</préis>");
    auto encoded = [&](QStringConverter::Encoding e, const QByteArray& mark) {
        QStringEncoder encoder(e);
        return mark + QByteArray(encoder(text));
    };
    const QByteArray files[] = {
        text.toUtf8(),
        encoded(QStringConverter::Utf16BE, "\xFE\xFF"),
        encoded(QStringConverter::Utf32LE, QByteArray("\xFF\xFE\0\0", 4)),
        encoded(QStringConverter::Utf32BE, QByteArray("\0\0\xFE\xFF", 4)),
        QByteArray("<pr\xE9is>\x80</pr\xE9is>"), // Windows-1252
    };
    for (const QByteArray& bytes : files)
        EXPECT_EQ(LoadFileBlocks(write(bytes)), QStringList{text}) << bytes.toHex().constData();
}

TEST_F(FileReaders, MissingFileFailsAndFileExistsNeverDoes) {
    const QString missing = pathOf("missing.xml");
    EXPECT_THROW(LoadFileBlocks(missing), FileError);
    EXPECT_THROW(LoadFileLines(missing), FileError);
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_TRUE(FileExists(write("x")));
}

} // namespace
