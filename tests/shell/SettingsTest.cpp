#include "shell/Settings.h"
#include "platform/qt/IniSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "../QtPrinters.h"

#include <csignal>
#include <functional>
#include <stdexcept>

#include <sys/resource.h>

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

// The failure names the file and says why, as the error box shows it; the store stays as it was.
TEST_F(SettingsTest, UnwritableStoreIsAFailureWithThePathAndTheReason) {
    const QString fileAsFolder = m_dir.filePath("folder");
    struct Case {
        const char* name;
        std::function<void()> spoil;
        QString path;
        QString reason;
    };
    const Case cases[] = {
        // A folder where the file should be cannot be written, even by root.
        {"folder in the way", [&] { ASSERT_TRUE(QDir().mkpath(storePath())); }, storePath(),
         "Filename refers to a directory"},
        {"file in the way of the folder",
         [&] {
             QFile file(fileAsFolder);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, fileAsFolder);
         },
         fileAsFolder + "/Veldcraft.ini", "Not a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.spoil();
        try {
            m_settings.WriteSetting("Option", "2");
            ADD_FAILURE() << "no failure";
        } catch (const std::runtime_error& failure) {
            EXPECT_EQ(QString::fromUtf8(failure.what()), c.path + ": " + c.reason);
        }
        EXPECT_EQ(m_settings.ReadSetting("Option", "1"), "1");
    }
}

// A disk that fills up: the file size limit fails the write, as root too.
TEST_F(SettingsTest, AFullDiskIsAFailureAndTheStoreStaysWhole) {
    const QByteArray earlier = "[Tagmill]\nOption=3\n";
    writeStore(earlier);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    QString description = "no failure";
    try {
        m_settings.WriteSetting("Tags", QString(4096, 'x'));
    } catch (const std::runtime_error& failure) {
        description = QString::fromUtf8(failure.what());
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(description, storePath() + ": File too large");
    EXPECT_EQ(storeBytes(), earlier);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Veldcraft.ini"});
}

// Bytes that are no settings file at all read as an empty store.
TEST_F(SettingsTest, BinaryJunkReadsAsAnEmptyStore) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk += char((i * 73 + 11) % 256);
    writeStore(junk);
    EXPECT_EQ(m_settings.ReadSetting("Option", "1"), "1");
    EXPECT_EQ(m_settings.ReadSetting("Tags", ""), "");
    m_settings.WriteSetting("Option", "2");
    EXPECT_EQ(m_settings.ReadSetting("Option", "1"), "2");
}

// A tag list of 50 MB goes in and comes back whole.
TEST_F(SettingsTest, AHugeValueComesBackWhole) {
    const QString tags = QString("tag||MySeparator12||").repeated(50 * 1024 * 1024 / 20);
    m_settings.WriteSetting("Tags", tags);
    EXPECT_EQ(m_settings.ReadSetting("Tags", ""), tags);
}

} // namespace
