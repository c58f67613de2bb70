// Times "Add All XML Files In Folder" in the real window over a folder tree, and watches the
// window's event loop while the entries come in.
//
//   window_scan TREE_DIR [EXTENSION=xml] [REPEAT=3]
//
// Make the tree with make_tree. Prints, per run, the wall time until the hourglass goes, the
// entries added and the longest gap between two ticks of a 10 ms timer; then how long scrolling
// the full list from top to bottom a page at a time takes at worst per page, and the peak
// memory.

#include "PeakMemory.h"
#include "platform/fakes/FakeDesktop.h"
#include "shell/Form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <stdexcept>

using namespace tagmill;

namespace {

struct Figures {
    double seconds = 0;
    qint64 entries = 0;
    qint64 longestGapMs = 0;
    double worstPageMs = 0;
};

// Pages through the whole list as a user holding Page Down would; the slowest page counts.
double worstPageMs(QTableView& view) {
    QScrollBar& bar = *view.verticalScrollBar();
    bar.setValue(0);
    double worst = 0;
    while (bar.value() < bar.maximum()) {
        QElapsedTimer page;
        page.start();
        bar.setValue(bar.value() + bar.pageStep());
        view.viewport()->repaint();
        worst = std::max(worst, page.nsecsElapsed() / 1e6);
    }
    return worst;
}

Figures scanInWindow(const QString& tree, const QString& extension) {
    platform::FakeDesktop fakes;
    Form1 form(fakes.desktop(), QCoreApplication::applicationDirPath());
    form.Form_Load();
    fakes.inputs.answers = {extension};
    fakes.files.answers = {{tree}};

    Figures figures;
    QEventLoop loop;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        figures.longestGapMs = std::max(figures.longestGapMs, sinceTick.elapsed());
        sinceTick.restart();
        if (!form.isBusy())
            loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start(10);
    form.findChild<QAbstractButton*>("PushButton5")->click();
    loop.exec();
    figures.seconds = clock.nsecsElapsed() / 1e9;
    ticker.stop();
    if (!fakes.messages.shown.empty())
        throw std::runtime_error("the scan showed a message");
    figures.entries = form.fileList().rowCount();
    figures.worstPageMs = worstPageMs(*form.findChild<QTableView*>("ListView1"));
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: window_scan TREE_DIR [EXTENSION=xml] [REPEAT=3]\n");
        return 2;
    }
    const QString extension = args.value(2, "xml");
    const int repeat = args.value(3, "3").toInt();
    try {
        Figures worst;
        for (int run = 1; run <= repeat; ++run) {
            const Figures figures = scanInWindow(args[1], extension);
            std::printf("run %d: %.3f s, %lld entries, longest tick gap %lld ms, slowest page "
                        "%.1f ms\n",
                        run, figures.seconds, figures.entries, figures.longestGapMs,
                        figures.worstPageMs);
            worst.longestGapMs = std::max(worst.longestGapMs, figures.longestGapMs);
            worst.worstPageMs = std::max(worst.worstPageMs, figures.worstPageMs);
        }
        std::printf("longest tick gap   %8lld ms  (worst run)\n", worst.longestGapMs);
        std::printf("slowest page       %8.1f ms  (worst run)\n", worst.worstPageMs);
        std::printf("peak memory        %8lld MiB\n", peakMemoryKiB() / 1024);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "window_scan: %s\n", failure.what());
        return 1;
    }
    return 0;
}
