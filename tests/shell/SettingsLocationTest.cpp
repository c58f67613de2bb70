// Where the program's settings land on disk, found the way the program finds them: from HOME.
// A program of its own, since Qt fixes the settings folder at the first use of QSettings.

#include "platform/qt/IniSettings.h"
#include "shell/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

#include "../QtPrinters.h"

using namespace tagmill;

namespace {

QString g_home;

QString fileText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "unreadable: " + path;
    return QString::fromUtf8(file.readAll());
}

TEST(SettingsLocation, TheSectionTagmillOfVeldcraftIniInTheUsersConfigFolder) {
    platform::IniSettings backend;
    Settings settings(backend);
    settings.WriteSetting("Option", "3");
    settings.WriteSetting("Tags", "td||MySeparator12||tr");
    EXPECT_EQ(fileText(g_home + "/.config/Veldcraft.ini"), "[Tagmill]\n"
                                                           "Option=3\n"
                                                           "Tags=td||MySeparator12||tr\n");
    EXPECT_EQ(QDir(g_home + "/.config").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"Veldcraft.ini"}))
        << "nothing else is written";
    EXPECT_EQ(settings.ReadSetting("Tags", ""), QString("td||MySeparator12||tr"));
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A home of our own, so the user's settings are never touched.
    const QTemporaryDir home;
    if (!home.isValid())
        return 2;
    g_home = home.path();
    setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    unsetenv("XDG_CONFIG_HOME");
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
