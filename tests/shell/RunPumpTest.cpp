#include "shell/RunPump.h"

#include "engine/ValueBatch.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "../QtPrinters.h"

using namespace tagmill;

namespace {

// A failure while adding rows (memory ran out) stops the run and is reported once, instead of
// leaving the event loop and ending the program.
TEST(RunPump, AFailureToAddRowsStopsTheRunAndIsReportedOnce) {
    const struct {
        const char* name;
        std::function<void()> fail;
        QString description;
    } cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); }, "std::bad_alloc"},
        {"runtime_error", [] { throw std::runtime_error("the table is full"); },
         "the table is full"},
    };
    const QTemporaryDir folder;
    QStringList files;
    for (int f = 0; f < 20; ++f) {
        files << folder.filePath(QString("f%1.xml").arg(f));
        QFile file(files.back());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<v>1</v><v>2</v>");
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int batches = 0;
        QStringList broken;
        QStringList failed;
        bool finished = false;
        RunPump pump(
            {files, {"v"}, ExtractionOption::ValueOnly},
            [&](const QString&, const ValueBatch&) {
                if (++batches == 2)
                    c.fail();
            },
            [&](const QString& entry, const QString&) { failed << entry; },
            [&](const QString& description) { broken << description; }, [&] { finished = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !broken.isEmpty() || finished; }, 20000));
        // Whatever the workers still had queued is never delivered.
        for (int turn = 0; turn < 10; ++turn)
            QCoreApplication::processEvents();
        EXPECT_EQ(broken, QStringList({c.description}));
        EXPECT_EQ(batches, 2);
        EXPECT_FALSE(finished);
        EXPECT_EQ(failed, QStringList());
    }
}

} // namespace
