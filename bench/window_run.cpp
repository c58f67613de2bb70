// Times an extraction run in the window against tagmill-cli on the same files, and watches the
// window's event loop while the rows come in.
//
//   window_run [--rows N] [--files F] [--option N] [--repeat R] [--cli PATH|none] [--corpus DIR]
//
// Without --corpus the files are generated in a temporary folder: F files of catalogue items
// holding N prices in all; the tag searched is price. Each side runs R times and the median
// counts. Prints the wall times, the longest gap between two ticks of a 10 ms timer during the
// window's runs, the time to scroll to the last row and tick it, and the peak memory.

#include "PeakMemory.h"
#include "platform/fakes/FakeDesktop.h"
#include "platform/MemoryReuse.h"
#include "shell/Form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

using namespace tagmill;

namespace {

struct Options {
    qint64 rows = 1'000'000;
    int files = 1000;
    int option = 2;
    int repeat = 3;
    QString cli;
    QString corpus;
};

Options parse(const QStringList& args) {
    Options options;
    options.cli = QCoreApplication::applicationDirPath() + "/tagmill-cli";
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        const QString& name = args[i];
        const QString& value = args[i + 1];
        if (name == "--rows")
            options.rows = value.toLongLong();
        else if (name == "--files")
            options.files = value.toInt();
        else if (name == "--option")
            options.option = value.toInt();
        else if (name == "--repeat")
            options.repeat = value.toInt();
        else if (name == "--cli")
            options.cli = value;
        else if (name == "--corpus")
            options.corpus = value;
        else
            throw std::invalid_argument("unknown argument " + name.toStdString());
    }
    return options;
}

// One item with one short price per line, spread evenly over the files.
QStringList writeCorpus(const QString& folder, qint64 rows, int files) {
    QStringList paths;
    for (int f = 0; f < files; ++f) {
        const qint64 first = rows * f / files;
        const qint64 end = rows * (f + 1) / files;
        QByteArray bytes = "<?xml version=\"1.0\"?>\n<catalogue>\n";
        bytes.reserve((end - first) * 64);
        for (qint64 v = first; v < end; ++v) {
            const QByteArray n = QByteArray::number(v);
            bytes += "<item id=\"" + n + "\"><name>Item " + n + "</name><price>" +
                     QByteArray::number(v % 1000) + "." + QByteArray::number(v % 89 + 10) +
                     "</price></item>\n";
        }
        bytes += "</catalogue>\n";
        const QString path = QString("%1/file-%2.xml").arg(folder).arg(f, 5, 10, QChar('0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write " + path.toStdString());
        paths << path;
    }
    return paths;
}

QStringList corpusFiles(const QString& folder) {
    QStringList paths;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        paths << folder + "/" + name;
    return paths;
}

double cliSeconds(const Options& options, const QStringList& files) {
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    cli.start(options.cli, QStringList{"--option", QString::number(options.option), "--tag",
                                       "price", "--format", "csv"} +
                               files);
    if (!cli.waitForFinished(-1) || cli.exitCode() != 0)
        throw std::runtime_error("tagmill-cli failed");
    return clock.nsecsElapsed() / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct WindowFigures {
    double seconds = 0;
    qint64 longestGapMs = 0;
    qint64 rows = 0;
    double lastRowMs = 0;
};

// Records the boxes and ends the waiting event loop at "Done.".
class BoxesEndingTheRun : public platform::FakeMessageBoxes {
public:
    platform::MessageAnswer show(const platform::Message& message) override {
        const platform::MessageAnswer answer = FakeMessageBoxes::show(message);
        m_loop.quit();
        return answer;
    }

    QEventLoop m_loop;
};

WindowFigures runInWindow(const Options& options, const QStringList& files) {
    platform::FakeDesktop fakes;
    BoxesEndingTheRun boxes;
    const platform::Desktop desktop{boxes,           fakes.inputs,   fakes.files,
                                    fakes.clipboard, fakes.settings, fakes.launcher,
                                    fakes.pointers,  fakes.random,   fakes.spreadsheet};
    Form1 form(desktop, QCoreApplication::applicationDirPath());
    form.Form_Load();
    form.fileList().append(files);
    form.tagList().append({"price"});
    form.findChild<QRadioButton*>("Option" + QString::number(options.option))->click();

    WindowFigures figures;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        figures.longestGapMs = std::max(figures.longestGapMs, sinceTick.elapsed());
        sinceTick.restart();
    });

    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start(10);
    form.findChild<QAbstractButton*>("PushButton7")->click();
    boxes.m_loop.exec();
    figures.seconds = clock.nsecsElapsed() / 1e9;
    ticker.stop();
    if (boxes.shown.size() != 1 || boxes.shown.back().text != "Done.")
        throw std::runtime_error("the run did not end with Done.");
    figures.rows = form.results().rowCount();

    auto* view = form.findChild<QTableView*>("ListView2");
    QElapsedTimer lastRow;
    lastRow.start();
    view->scrollToBottom();
    view->setCurrentIndex(form.results().index(form.results().rowCount() - 1, 0));
    QTest::keyClick(view, Qt::Key_Space);
    QCoreApplication::processEvents();
    figures.lastRowMs = lastRow.nsecsElapsed() / 1e6;
    if (!form.results().isChecked(form.results().rowCount() - 1))
        throw std::runtime_error("the last row was not ticked");
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    platform::keepFreedMemoryForReuse(); // as the program does
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    try {
        const Options options = parse(app.arguments());
        QTemporaryDir scratch;
        QStringList files;
        if (options.corpus.isEmpty()) {
            std::printf("writing %lld values in %d files...\n", options.rows, options.files);
            files = writeCorpus(scratch.path(), options.rows, options.files);
            // Written back now, so that the system does not write the fresh files out during a
            // timed run.
            ::sync();
        } else {
            files = corpusFiles(options.corpus);
        }
        const bool withCli = options.cli != "none";
        std::vector<double> cliTimes;
        std::vector<double> windowTimes;
        WindowFigures worst;
        for (int run = 0; run < options.repeat; ++run) {
            if (withCli)
                cliTimes.push_back(cliSeconds(options, files));
            const WindowFigures window = runInWindow(options, files);
            windowTimes.push_back(window.seconds);
            worst.longestGapMs = std::max(worst.longestGapMs, window.longestGapMs);
            worst.lastRowMs = std::max(worst.lastRowMs, window.lastRowMs);
            worst.rows = window.rows;
            std::printf("run %d: tagmill-cli %.3f s, window %.3f s, longest tick gap %lld ms\n",
                        run + 1, withCli ? cliTimes.back() : 0.0, window.seconds,
                        window.longestGapMs);
        }
        std::printf("option %d, %lld files, %lld rows, median of %d runs\n", options.option,
                    qint64(files.size()), worst.rows, options.repeat);
        const double window = median(windowTimes);
        if (withCli)
            std::printf("tagmill-cli        %8.3f s\n", median(cliTimes));
        std::printf("window run         %8.3f s", window);
        if (withCli)
            std::printf("  (%.2f x tagmill-cli)", window / median(cliTimes));
        std::printf("\nlongest tick gap   %8lld ms  (worst run)\n", worst.longestGapMs);
        std::printf("last row ticked in %8.1f ms  (worst run)\n", worst.lastRowMs);
        std::printf("peak memory        %8lld MiB\n", peakMemoryKiB() / 1024);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "window_run: %s\n", failure.what());
        return 1;
    }
    return 0;
}
