#include "shell/SettingValues.h"
#include "shell/ApplicationTitle.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tagmill;

namespace {

TEST(SettingValues, LeadingNumber) {
    const struct {
        QString text;
        double number;
    } cases[] = {
        {"3", 3}, {"3abc", 3}, {"  4", 4}, {"\t2x", 2}, {"2.5", 2.5}, {"-1", -1}, {"+5", 5},
        {"", 0},  {"abc", 0},  {"x3", 0},  {".5", 0.5}, {"12", 12},   {"7", 7},   {"0", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingNumber(c.text), c.number) << c.text.toStdString();
}

TEST(SettingValues, WholeNumberRoundsHalvesToEven) {
    const struct {
        QString text;
        int number;
    } cases[] = {
        {"0", 0},   {"1", 1},    {" 1 ", 1},  {"0.5", 0},  {"1.5", 2},
        {"2.5", 2}, {"0.51", 1}, {"-0.5", 0}, {"1.49", 1}, {"1e0", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wholeNumber(c.text), c.number) << c.text.toStdString();
}

TEST(SettingValues, WholeNumberRefusesWhatIsNoNumber) {
    for (const QString text : {"a", "", "1a", "one", "99999999999"})
        EXPECT_THROW(wholeNumber(text), std::runtime_error) << text.toStdString();
}

// Only a finite number is a number: the C locale would also read these as doubles.
TEST(SettingValues, WholeNumberRefusesWhatIsNoFiniteNumber) {
    for (const QString text : {"nan", "NaN", "-nan", "inf", "-inf", "+inf", "infinity", "-Infinity",
                               "1e999", "-1e999"}) {
        SCOPED_TRACE(text.toStdString());
        try {
            wholeNumber(text);
            ADD_FAILURE() << "taken for a number";
        } catch (const std::runtime_error& failure) {
            EXPECT_EQ(std::string(failure.what()),
                      ("Type mismatch: \"" + text + "\" is not a number").toStdString());
        }
    }
}

TEST(SettingValues, SavedTags) {
    const QString sep = "||MySeparator12||";
    const struct {
        QString saved;
        QStringList tags;
    } cases[] = {
        {"", {}},
        {"td", {"td"}},
        {"td" + sep + "tr", {"td", "tr"}},
        {"a" + sep + sep + "b", {"a", "", "b"}},
        {sep, {"", ""}},
        {" x " + sep + "<y>", {" x ", "<y>"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitTags(c.saved), c.tags) << c.saved.toStdString();
        EXPECT_EQ(joinTags(c.tags), c.saved) << c.saved.toStdString();
    }
}

TEST(ApplicationTitle, TheDesktopListsTheProgramAsTagmill) {
    const QString name = QCoreApplication::applicationName();
    const QString organisation = QCoreApplication::organizationName();
    nameApplication();
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "Tagmill");
    EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "example.veldcraft.tagmill");
    EXPECT_EQ(QCoreApplication::applicationName(), name);
    EXPECT_EQ(QCoreApplication::organizationName(), organisation);
}

TEST(ApplicationTitle, CutWordByWordToFortyCharacters) {
    EXPECT_EQ(applicationTitle("Tagmill"), "Tagmill");
    // 50 characters whose last words have 6 and 7 characters.
    const QString fifty = "Abcdefghij Abcdefghij Abcdefghij Ab abcdef abcdefg";
    ASSERT_EQ(fifty.size(), 50);
    EXPECT_EQ(applicationTitle(fifty), "Abcdefghij Abcdefghij Abcdefghij Ab");
    // The first cut is made even when the name is short enough already.
    EXPECT_EQ(applicationTitle("Tag Mill"), "Tag");
}

} // namespace
