// Times the window's output commands on a large results table and watches the event loop
// while they work.
//
//   window_save [ROWS=1000000] [REPEAT=3]
//
// Fills the results table with ROWS values of 5 to 40 characters from 1,000 files, every other
// row ticked, then runs each command REPEAT times: "Save Results As Text File", "Save As Comma
// Delimited", "Save As Tab Delimited", "Copy Results To Clipboard" (the real clipboard of the
// platform) and "Save Results As Excel File" (until the workbook is handed to the spreadsheet
// program, which is not started). Prints per command the median wall time from the click until the
// hourglass goes, and the longest gap between two ticks of a 10 ms timer over all its runs; then
// the peak memory.

#include "engine/ResultsTable.h"
#include "PeakMemory.h"
#include "platform/fakes/FakeDesktop.h"
#include "platform/qt/QtClipboard.h"
#include "shell/CommandContext.h"
#include "shell/ResultsOutputCommands.h"
#include "shell/WorkQueue.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tagmill;

namespace {

void fill(ResultsTable& table, qint64 rows) {
    table.resetColumns(true);
    const qint64 files = 1000;
    for (qint64 f = 0; f < files; ++f) {
        ValueBatch batch;
        for (qint64 r = rows * f / files; r < rows * (f + 1) / files; ++r)
            batch.append(std::string(std::size_t(5 + r % 36), char('a' + r % 26)));
        table.appendValues(QString("/data/catalogue/file-%1.xml").arg(f, 5, 10, QChar('0')), batch);
    }
    for (int row = 0; row < table.rowCount(); row += 2)
        table.setData(table.index(row, 0), Qt::Checked, Qt::CheckStateRole);
}

// Runs the event loop as the window would until the hourglass goes.
void waitWhileBusy(const WindowPointer& pointer) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!pointer.isBusy())
            loop.quit();
    });
    poll.start(1);
    loop.exec();
}

struct Figures {
    std::vector<double> seconds;
    qint64 longestGapMs = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1'000'000;
    const int repeat = argc > 2 ? QByteArray(argv[2]).toInt() : 3;

    platform::FakeDesktop fakes;
    platform::QtClipboard clipboard;
    const platform::Desktop realClipboard{fakes.messages, fakes.inputs,   fakes.files,
                                          clipboard,      fakes.settings, fakes.launcher,
                                          fakes.pointers, fakes.random,   fakes.spreadsheet};
    Settings settings(fakes.settings);
    const QString title = QStringLiteral("Tagmill");
    QWidget window;
    WindowPointer pointer(fakes.pointers, window);
    CommandContext context(realClipboard, settings, title, pointer);
    ResultsTable table;
    WorkQueue queue;
    ResultsOutputCommands commands(context, table, queue);
    fill(table, rows);
    QTemporaryDir folder;

    using Command = void (ResultsOutputCommands::*)();
    const std::pair<const char*, Command> runs[] = {
        {"Save Results As Text File", &ResultsOutputCommands::PushButton6_Click},
        {"Save As Comma Delimited", &ResultsOutputCommands::PushButton12_Click},
        {"Save As Tab Delimited", &ResultsOutputCommands::PushButton17_Click},
        {"Copy Results To Clipboard", &ResultsOutputCommands::PushButton11_Click},
        {"Save Results As Excel File", &ResultsOutputCommands::PushButton22_Click},
    };
    std::printf("%lld rows, every other one ticked\n", rows);
    for (const auto& [name, command] : runs) {
        Figures figures;
        QElapsedTimer sinceTick;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            figures.longestGapMs = std::max(figures.longestGapMs, sinceTick.restart());
        });
        for (int run = 0; run < repeat; ++run) {
            fakes.files.answers.push_back({folder.filePath(QString("out-%1.txt").arg(run))});
            QElapsedTimer clock;
            clock.start();
            sinceTick.start();
            ticker.start(10);
            (commands.*command)();
            waitWhileBusy(pointer);
            ticker.stop();
            figures.seconds.push_back(clock.nsecsElapsed() / 1e9);
        }
        std::sort(figures.seconds.begin(), figures.seconds.end());
        std::printf("%-28s %8.3f s   longest tick gap %4lld ms\n", name,
                    figures.seconds[figures.seconds.size() / 2], figures.longestGapMs);
    }
    for (const QString& workbook : fakes.spreadsheet.opened)
        QDir(QFileInfo(workbook).absolutePath()).removeRecursively();
    std::printf("peak memory %lld MiB\n", peakMemoryKiB() / 1024);
    return 0;
}
