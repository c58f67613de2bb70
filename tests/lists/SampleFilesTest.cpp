#include "lists/SampleFiles.h"

#include "TempFiles.h"

#include <QDir>

using namespace tagmill;

namespace {

// Each byte meets each letter of the key: 255 and 8 share no factor, so eight rounds of every
// byte pair every byte with every key position.
TEST(SampleSnapshot, ScramblingRoundTripsEveryByteWithEveryKeyLetter) {
    QByteArray bytes;
    for (int round = 0; round < 8; ++round)
        for (int code = 1; code <= 255; ++code)
            bytes.append(char(code));
    const QString scrambled = scrambleBytes(bytes, SnapshotKey);
    ASSERT_EQ(scrambled.size(), bytes.size());
    for (const QChar c : scrambled)
        ASSERT_TRUE(c.unicode() >= 1 && c.unicode() <= 255) << int(c.unicode());
    EXPECT_NE(scrambled.toLatin1(), bytes);
    EXPECT_EQ(unscrambleBytes(scrambled, SnapshotKey), bytes);
}

TEST(SampleSnapshot, ScrambledTextUsesTheKeyAndComesBackWhole) {
    EXPECT_EQ(SnapshotKey.size(), 8);
    for (const QChar c : SnapshotKey)
        EXPECT_TRUE(c >= u'a' && c <= u'z');
    // 'a' + 'q' = 97 + 113 = 210; 'Z' + 'u' = 90 + 117 = 207; '~' + 'i' = 126 + 105 = 231 - 255.
    EXPECT_EQ(ScrambleText("aZ~", SnapshotKey), QString(QChar(210)) + QChar(207) + QChar(231));
    const QString paths = QString::fromUtf8("/opt/caf\xC3\xA9/Samples/\xF0\x9F\x98\x80.xml|/b");
    EXPECT_EQ(UnscrambleText(ScrambleText(paths, SnapshotKey), SnapshotKey), paths);
    EXPECT_EQ(ScrambleText({}, SnapshotKey), QString());
    EXPECT_EQ(UnscrambleText({}, SnapshotKey), QString());
}

class SampleListTest : public test::TempFiles {};

TEST_F(SampleListTest, NamesEveryFileOfTheSamplesFolder) {
    QDir(m_dir.path()).mkpath("Samples/folder");
    write("Samples/b.xml", "1");
    write("Samples/a.xml", "1");
    write("Samples/.hidden", "");
    const QString folder = m_dir.path() + "/Samples/";
    EXPECT_EQ(sampleList(m_dir.path()), folder + ".hidden|" + folder + "a.xml|" + folder + "b.xml");
    EXPECT_EQ(sampleList(m_dir.filePath("elsewhere")), "") << "no samples folder";
}

} // namespace
