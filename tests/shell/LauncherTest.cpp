// The scripts that start the real program put a fake xdg-open alone in its PATH, so the start's
// draw never opens a browser on the test machine. This checks that Qt's opener is that program,
// on the X server in DISPLAY like the program itself (the offscreen platform opens nothing).

#include "platform/qt/QtLauncher.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

#include "../QtPrinters.h"

using namespace tagmill;

namespace {

TEST(QtLauncher, OpensThroughXdgOpenFromPath) {
    const QTemporaryDir bin;
    const QString opened = bin.filePath("opened");
    const QString fake = bin.filePath("xdg-open");
    QFile script(fake);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >>'" + opened.toUtf8() + "'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Nothing else in PATH: should Qt look for anything but xdg-open, it finds no browser.
    setenv("PATH", bin.path().toLocal8Bit().constData(), 1);
    unsetenv("BROWSER");
    ASSERT_EQ(QStandardPaths::findExecutable("xdg-open"), fake);

    ASSERT_TRUE(platform::QtLauncher().open(QUrl("https://www.veldcraft.example/tagmill")));
    // Read afresh each time: the fake may still be writing its line when we first look.
    const auto recorded = [&] {
        QFile record(opened);
        return record.open(QIODevice::ReadOnly) ? QString::fromUtf8(record.readAll()) : QString();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorded().endsWith('\n'); }, 20000));
    EXPECT_EQ(recorded(), "https://www.veldcraft.example/tagmill\n");
}

} // namespace
