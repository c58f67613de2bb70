#include "shell/Settings.h"
#include "platform/qt/IniSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tagmill;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path()); }

    QString storePath() const { return m_dir.filePath("Veldcraft.ini"); }

    QByteArray storeBytes() const {
        QFile file(storePath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    void writeStore(const QByteArray& bytes) {
        QFile file(storePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir m_dir;
    platform::IniSettings m_backend;
    Settings m_settings{m_backend};
};

TEST_F(SettingsTest, AbsentKeysGiveTheDefault) {
    EXPECT_EQ(m_settings.ReadSetting("Option", "1"), "1");
    EXPECT_EQ(m_settings.ReadSetting("Extension", "xml"), "xml");
    EXPECT_FALSE(QFile::exists(storePath())) << "reading creates nothing";
}

TEST_F(SettingsTest, ValuesAreTextInTheTagmillSection) {
    m_settings.WriteSetting("Option", "3");
    m_settings.WriteSetting("Check1", "1");
    m_settings.WriteSetting("Tags", "td||MySeparator12||tr");
    EXPECT_EQ(storeBytes(), "[Tagmill]\n"
                            "Check1=1\n"
                            "Option=3\n"
                            "Tags=td||MySeparator12||tr\n");
    m_settings.WriteSetting("Option", "2");
    EXPECT_EQ(m_settings.ReadSetting("Option", "1"), "2");
}

TEST_F(SettingsTest, AnyTextComesBackUnchanged) {
    const QString texts[] = {
        "",           "  padded  ", "a,b",           "a, b; c", "\"quoted\"", "back\\slash",
        "@String(x)", "é ü 中文",   "line\r\nbreak", "=;#[x]"};
    for (const QString& text : texts) {
        m_settings.WriteSetting("Tags", text);
        EXPECT_EQ(m_settings.ReadSetting("Tags", "absent"), text) << text.toStdString();
    }
}

TEST_F(SettingsTest, HandEditedValues) {
    writeStore("[Tagmill]\nTags=a,b\nOption=3abc\n");
    EXPECT_EQ(m_settings.ReadSetting("Tags", ""), "a,b");
    EXPECT_EQ(m_settings.ReadSetting("Option", "1"), "3abc");
}

TEST_F(SettingsTest, DamagedStoreCountsAsEmpty) {
    writeStore("[Tagmill\nOption=3\n");
    EXPECT_EQ(m_settings.ReadSetting("Option", "1"), "1");
}

TEST_F(SettingsTest, UnwritableStoreIsAFailure) {
    // A folder where the file should be cannot be written, even by root.
    ASSERT_TRUE(QDir().mkpath(storePath()));
    EXPECT_THROW(m_settings.WriteSetting("Option", "2"), std::runtime_error);
    EXPECT_EQ(m_settings.ReadSetting("Option", "1"), "1");
}

} // namespace
