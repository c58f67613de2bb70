// Paths as the adding commands build them: the separator rules and the open dialog's limit.

#include "lists/DialogSelection.h"
#include "lists/PathNormaliser.h"

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace tagmill;

namespace {

TEST(CollapseDoubleBackslashes, WindowsPathsKeepTheirRules) {
    const struct {
        const char* path;
        const char* collapsed;
    } cases[] = {
        {R"(C:\\data\\\a.xml)", R"(C:\data\\a.xml)"}, // one pass: three become two
        {R"(C:\a\\\\b)", R"(C:\a\\b)"},               // four become two
        {R"(\\\server\\share\a.xml)", R"(\\server\share\a.xml)"},
        {R"(\data\a.xml)", R"(\\data\a.xml)"}, // any leading run becomes two
        {R"(\\)", R"(\\)"},
        {R"(\\\\\)", R"(\\)"},
        {R"(\)", R"(\\)"},
        {"", ""},
        {R"(C:\a.xml)", R"(C:\a.xml)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CollapseDoubleBackslashes(c.path), QString(c.collapsed)) << c.path;
}

TEST(CollapseDoubleBackslashes, SlashPathsCollapseEveryPairOnce) {
    const struct {
        const char* path;
        const char* collapsed;
    } cases[] = {
        {"//a.xml", "/a.xml"},
        {"/data//a.xml", "/data/a.xml"},
        {"///data///a.xml", "//data//a.xml"},
        {"////x", "//x"},
        {"data//a.xml", "data/a.xml"},
        {R"(/data/a\\b.xml)", R"(/data/a\\b.xml)"}, // a backslash is part of a name here
        {R"(\\/x)", R"(\\/x)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CollapseDoubleBackslashes(c.path), QString(c.collapsed)) << c.path;
}

TEST(ChosenPaths, OneFileStaysAsChosenSeveralAreJoinedToTheirFolder) {
    EXPECT_EQ(chosenPaths({"//data/a.xml"}), QStringList{"//data/a.xml"});
    EXPECT_EQ(chosenPaths({"/data/a.xml", "/data/b.xml"}),
              QStringList({"/data/a.xml", "/data/b.xml"}));
    EXPECT_EQ(chosenPaths({"/a.xml", "/b.xml"}), QStringList({"/a.xml", "/b.xml"}));
    EXPECT_TRUE(chosenPaths({}).isEmpty());
}

TEST(OpenDialogResult, CountsAsTheDialogDoes) {
    const QString folder = "/data/" + QString(20, u'f'); // 26 characters
    // Folder, NUL, names each with a NUL, and one more NUL: 26 + 1 + 2 * (n + 1) + 1.
    const qsizetype nameFits = (260 - 26 - 1 - 1) / 2 - 1; // 115: exactly 260
    EXPECT_TRUE(fitsOpenDialogResult(
        {folder + "/" + QString(nameFits, u'a'), folder + "/" + QString(nameFits, u'b')}));
    EXPECT_FALSE(fitsOpenDialogResult(
        {folder + "/" + QString(nameFits + 1, u'a'), folder + "/" + QString(nameFits, u'b')}));
    EXPECT_TRUE(fitsOpenDialogResult({QString(259, u'p')}));
    EXPECT_FALSE(fitsOpenDialogResult({QString(260, u'p')}));
    QStringList many;
    for (int i = 0; i < 30; ++i)
        many.append(QString("/data/file%1.xml").arg(i, 2, 10, QChar(u'0')));
    // "/data", two NULs and 11 characters a name: 23 names take 260, 24 take 271.
    EXPECT_TRUE(fitsOpenDialogResult(many.mid(0, 23)));
    EXPECT_FALSE(fitsOpenDialogResult(many.mid(0, 24)));
}

} // namespace
