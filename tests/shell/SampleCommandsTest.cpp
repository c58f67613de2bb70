#include "FormFixture.h"

#include "lists/SampleFiles.h"
#include "platform/qt/IniSettings.h"
#include "shell/Settings.h"

#include <QRadioButton>
#include <QSettings>

using namespace tagmill;
using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

const Message OpenFolderQuestion{
    "Tagmill",
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?",
    MessageButtons::YesNo, MessageIcon::None};

class SampleCommandsTest : public FormFixture {
protected:
    QString samplePath(const QString& name) const {
        return m_programFolder.path() + "/Samples/" + name;
    }
    void placeSamples(const QStringList& names) {
        for (const QString& name : names)
            placeFile("Samples/" + name, "<test>" + name.toUtf8() + "</test>");
    }
    QString snapshot() { return m_desktop.settings.values[QString(keys::Snapshot)]; }
    QStringList files() { return m_form->fileList().entries(); }
    QStringList tags() { return m_form->tagList().entries(); }
    std::vector<Message>& shown() { return m_desktop.messages.shown; }
    QUrl samplesFolderUrl() const {
        return QUrl::fromLocalFile(m_programFolder.path() + "/Samples/");
    }
};

TEST_F(SampleCommandsTest, TheFirstStartRecordsTheSamplesOnce) {
    placeSamples({"b.xml", "a.xml", "c.xml"});
    open();
    const QString recorded = snapshot();
    EXPECT_EQ(UnscrambleText(recorded, SnapshotKey),
              samplePath("a.xml") + "|" + samplePath("b.xml") + "|" + samplePath("c.xml"));
    EXPECT_NE(recorded, UnscrambleText(recorded, SnapshotKey)) << "stored scrambled";

    placeSamples({"d.xml"});
    open();
    EXPECT_EQ(snapshot(), recorded) << "later samples never join the snapshot";
}

TEST_F(SampleCommandsTest, WithoutSamplesEveryStartTriesAgain) {
    open();
    EXPECT_EQ(snapshot(), "");
    placeSamples({"a.xml"});
    open();
    EXPECT_EQ(UnscrambleText(snapshot(), SnapshotKey), samplePath("a.xml"));
}

TEST_F(SampleCommandsTest, LoadsTheSamplesTheTagAndOptionOne) {
    placeSamples({"a.xml", "b.xml", "c.xml"});
    open();
    click("Option3");
    click("PushButton13");
    EXPECT_EQ(files(),
              QStringList({samplePath("a.xml"), samplePath("b.xml"), samplePath("c.xml")}));
    EXPECT_EQ(tags(), QStringList{"test"});
    EXPECT_TRUE(control<QRadioButton>("Option1").isChecked());
    EXPECT_EQ(m_desktop.settings.values[QString(keys::Option)], "1");
    EXPECT_EQ(shown(), std::vector<Message>{OpenFolderQuestion});
    EXPECT_EQ(m_desktop.launcher.opened, std::vector<QUrl>{samplesFolderUrl()});
}

// Selecting option 1 is a step of the command: what fails there is the command's to report,
// at its own statement, and the option stays selected.
TEST_F(SampleCommandsTest, AFailedOptionStepIsReportedAtTheCommand) {
    open();
    m_desktop.settings.failWrites = true;
    click("PushButton13");
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[0], OpenFolderQuestion);
    EXPECT_EQ(shown()[1].title, "Application Error");
    EXPECT_EQ(shown()[1].text,
              "The settings file could not be written.\r\nin "
              "Gleaner2021/08/31.Form1.PushButton13_Click at line 106\r\rPlease email screenshot "
              "of this message to support@veldcraft.example");
    EXPECT_TRUE(control<QRadioButton>("Option1").isChecked());
}

// Entries already there stay first and in order; nothing is added twice; the question comes
// every time, and No opens nothing.
TEST_F(SampleCommandsTest, AddsOnlyWhatIsMissingAndAsksEveryTime) {
    placeSamples({"a.xml", "b.xml"});
    open();
    m_form->fileList().append({"/data/mine.xml", samplePath("b.xml")});
    m_form->tagList().append({"Test"});
    m_desktop.messages.answers = {MessageAnswer::No, MessageAnswer::No};
    click("PushButton13");
    click("PushButton13");
    EXPECT_EQ(files(), QStringList({"/data/mine.xml", samplePath("b.xml"), samplePath("a.xml")}));
    EXPECT_EQ(tags(), QStringList({"Test", "test"})) << "the tag counts case";
    EXPECT_EQ(shown(), std::vector<Message>(2, OpenFolderQuestion));
    EXPECT_TRUE(m_desktop.launcher.opened.empty());
}

TEST_F(SampleCommandsTest, SamplesDeletedSinceAreSkipped) {
    placeSamples({"a.xml", "b.xml"});
    open();
    QFile::remove(samplePath("a.xml"));
    click("PushButton13");
    EXPECT_EQ(files(), QStringList{samplePath("b.xml")});
}

// The snapshot keeps the paths of the first start: after a move they name nothing, while the
// question opens the samples folder where the program is now.
TEST_F(SampleCommandsTest, AMovedProgramLoadsNothingButOpensItsOwnSamplesFolder) {
    placeSamples({"a.xml"});
    m_desktop.settings.values[QString(keys::Snapshot)] =
        ScrambleText("/old/place/Samples/a.xml", SnapshotKey);
    open();
    click("PushButton13");
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(tags(), QStringList{"test"});
    EXPECT_EQ(m_desktop.launcher.opened, std::vector<QUrl>{samplesFolderUrl()});
}

TEST_F(SampleCommandsTest, WithoutAnySnapshotTheTagAndOptionStillCome) {
    open();
    m_desktop.settings.values.erase(QString(keys::Snapshot));
    click("Option2");
    click("PushButton13");
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(tags(), QStringList{"test"});
    EXPECT_TRUE(control<QRadioButton>("Option1").isChecked());
    EXPECT_EQ(shown(), std::vector<Message>{OpenFolderQuestion});
}

// The scrambled snapshot holds characters U+0001 to U+00FF: the settings file must give every
// one of them back as it was.
TEST(SampleSnapshotStore, TheSettingsFileKeepsEveryScrambledCharacter) {
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    QByteArray bytes;
    for (int round = 0; round < 8; ++round)
        for (int code = 1; code <= 255; ++code)
            bytes.append(char(code));
    const QString scrambled = scrambleBytes(bytes, SnapshotKey);
    {
        platform::IniSettings backend;
        Settings(backend).WriteSetting(keys::Snapshot, scrambled);
    }
    platform::IniSettings backend;
    EXPECT_EQ(Settings(backend).ReadSetting(keys::Snapshot, {}), scrambled);
    EXPECT_TRUE(QFile::exists(folder.filePath("Veldcraft.ini")));
}

} // namespace
