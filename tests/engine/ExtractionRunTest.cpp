#include "engine/ExtractionRun.h"
#include "engine/FileExtractor.h"

#include <QDir>
#include <QFileInfo>

#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "TempFiles.h"
#include "textio/HostileFiles.h"

#include <gtest/gtest.h>

using namespace tagmill;

namespace {

class ExtractionRunTest : public test::HostileFiles {
protected:
    struct Row {
        qsizetype file;
        QString text; // the value, or "!" + description for a failure
        bool operator==(const Row&) const = default;
        friend void PrintTo(const Row& row, std::ostream* out) {
            *out << row.file << ": " << row.text.toStdString();
        }
    };

    static std::vector<Row> drain(ExtractionRun& run) {
        std::vector<Row> rows;
        RunEvent event;
        while (run.next(event)) {
            if (event.isFailure())
                rows.push_back({event.fileIndex, "!" + event.failure});
            for (std::size_t i = 0; i < event.values.count(); ++i)
                rows.push_back(
                    {event.fileIndex, QString::fromUtf8(event.values.value(i).data(),
                                                        qsizetype(event.values.value(i).size()))});
        }
        return rows;
    }
};

TEST_F(ExtractionRunTest, PreconditionsInOrder) {
    EXPECT_EQ(runPreconditionMessage({}), "You forgot to input tag");
    EXPECT_EQ(runPreconditionMessage({{}, {"td"}, ExtractionOption::TagAndValue}),
              "No files added.");
    EXPECT_EQ(runPreconditionMessage({{"a.xml"}, {}, ExtractionOption::Quoted}),
              "You forgot to input tag");
    EXPECT_TRUE(runPreconditionMessage({{"a.xml"}, {""}, ExtractionOption::Quoted}).isEmpty());
}

TEST_F(ExtractionRunTest, RowsComeInFileOrderWhateverTheFileSizes) {
    RunInput input{{}, {"v"}, ExtractionOption::ValueOnly};
    std::vector<Row> expected;
    for (int f = 0; f < 40; ++f) {
        QByteArray bytes;
        const int values = (f % 5 == 0) ? 30000 : f; // a few large files among small ones
        for (int v = 0; v < values; ++v) {
            bytes += "<v>" + QByteArray::number(f) + "." + QByteArray::number(v) + "</v>\n";
            expected.push_back({f, QString("%1.%2").arg(f).arg(v)});
        }
        input.entries.append(write(QString("f%1.xml").arg(f), bytes));
    }
    for (int workers : {1, 2, 4}) {
        ExtractionRun run(input, {}, workers);
        EXPECT_EQ(drain(run), expected) << workers << " workers";
    }
}

TEST_F(ExtractionRunTest, FailedFilesAreReportedAndTheRunGoesOn) {
    const QString good = write("good.xml", "<a>1</a>");
    const QString empty = write("empty.xml", "");
    const QString missing = pathOf("missing.xml");
    ExtractionRun run(
        {{missing, good, empty, pathOf("."), good}, {"a"}, ExtractionOption::ValueOnly});
    const std::vector<Row> rows = drain(run);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (Row{0, "!No such file or directory"}));
    EXPECT_EQ(rows[1], (Row{1, "1"}));
    EXPECT_EQ(rows[2], (Row{3, "!Is a directory"}));
    EXPECT_EQ(rows[3], (Row{4, "1"})); // a file listed twice is read twice
}

// Each file counts once, failed or not, and its length once: a file of many pieces adds every
// piece, and one read again from the start to learn how its bytes decode adds nothing more.
TEST_F(ExtractionRunTest, ProgressCountsEachFileAndItsBytesOnce) {
    QByteArray big;
    for (int v = 0; v < 40000; ++v)
        big += "<a>" + QByteArray::number(v) + "</a><\xc3\xa9>\xc3\xa9</\xc3\xa9>\n";
    ASSERT_GT(big.size(), 3 * qsizetype(FileExtractor::DefaultPieceSize));
    const QString bigFile = write("big.xml", big);
    const QString small = write("small.xml", "<a>1</a>");
    const QString missing = pathOf("missing.xml");
    const auto bigSize = std::uint64_t(big.size());
    struct Case {
        RunInput input;
        ExtractionRun::Progress expected;
    };
    const Case cases[] = {
        {{{small, missing, bigFile, small}, {"a"}, ExtractionOption::ValueOnly},
         {4, bigSize + 16, 40002, 0}},
        {{{bigFile, missing}, {"\u00e9"}, ExtractionOption::ValueOnly}, {2, bigSize, 40000, 0}},
        {{{small, pathOf(".")}, {"a"}, ExtractionOption::Nothing}, {2, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        for (int workers : {1, 3}) {
            ExtractionRun run(c.input, {}, workers);
            drain(run);
            const ExtractionRun::Progress progress = run.progress();
            const std::string name = c.input.entries.join(' ').toStdString();
            EXPECT_EQ(progress.filesSearched, c.expected.filesSearched) << name;
            EXPECT_EQ(progress.bytesRead, c.expected.bytesRead) << name;
            EXPECT_EQ(progress.rowsFound, c.expected.rowsFound) << name;
            EXPECT_EQ(progress.openFilesDone, 0.0) << name;
        }
    }
}

// The entry between two good files, run on its own: a run that blocks on it fails the test.
TEST_F(ExtractionRunTest, HostileEntriesAreReportedAndTheRunGoesOn) {
    const QString file = good();
    std::vector<Row> all;
    RunInput together{{}, {"a"}, ExtractionOption::ValueOnly};
    for (const test::HostileEntry& entry : hostileEntries()) {
        const std::vector<Row> rows = test::finishedWithin30s(entry.name, [&] {
            ExtractionRun run({{file, entry.path, file}, {"a"}, ExtractionOption::ValueOnly});
            return drain(run);
        });
        EXPECT_EQ(rows, (std::vector<Row>{{0, "1"}, {1, "!" + entry.description}, {2, "1"}}))
            << entry.name.toStdString();
        together.entries += {entry.path, file};
        all.push_back({qsizetype(all.size()), "!" + entry.description});
        all.push_back({qsizetype(all.size()), "1"});
    }
    const std::vector<Row> rows = test::finishedWithin30s("all together", [&] {
        ExtractionRun run(together, {}, 2);
        return drain(run);
    });
    EXPECT_EQ(rows, all);
}

// Root reads whatever the permissions say, so the system's open is made to refuse.
TEST_F(ExtractionRunTest, UnreadableFileIsReportedAndTheRunGoesOn) {
    const QString file = good();
    const QString locked = write("locked.xml", "<a>2</a>");
    test::ScriptedCalls calls;
    calls.failOpenOf = QFile::encodeName(locked);
    calls.openError = EACCES;
    const std::vector<Row> rows = test::finishedWithin30s("locked file", [&] {
        ExtractionRun run({{file, locked, file}, {"a"}, ExtractionOption::ValueOnly});
        return drain(run);
    });
    EXPECT_EQ(rows, (std::vector<Row>{{0, "1"}, {1, "!Permission denied"}, {2, "1"}}));
}

// A folder exists and has a length, yet reading it fails at once and the run would report
// that; so any attempt to read an entry under option 5 shows up as a failure instead of passing
// unseen, and can never leave the test waiting.
TEST_F(ExtractionRunTest, OptionFiveReadsNoFile) {
    const QString good = write("good.xml", "<a>1</a>\"q\"");
    const QString folder = pathOf("folder");
    ASSERT_TRUE(QDir().mkpath(folder));
    write("folder/inside.xml", "<a>2</a>");
    ASSERT_GT(QFileInfo(folder).size(), 0) << "an empty length would skip the read anyway";
    {
        ExtractionRun plain({{folder}, {"a"}, ExtractionOption::ValueOnly});
        const std::vector<Row> rows = drain(plain);
        ASSERT_EQ(rows.size(), 1u) << "reading the folder must fail for this test to mean much";
        EXPECT_TRUE(rows[0].text.startsWith("!"));
    }
    ExtractionRun run({{good, folder, good, folder}, {"a"}, ExtractionOption::Nothing});
    EXPECT_EQ(drain(run), std::vector<Row>());
}

// A consumer that polls only when told that something is ready must still see every row.
TEST_F(ExtractionRunTest, ReadyCallbackNeverMissesAnEvent) {
    RunInput input{{}, {"a"}, ExtractionOption::ValueOnly};
    for (int f = 0; f < 50; ++f)
        input.entries.append(write(QString("r%1.xml").arg(f), QByteArray(f * 100, 'x') + "<a>" +
                                                                  QByteArray::number(f) + "</a>"));
    std::mutex mutex;
    std::condition_variable signal;
    bool ready = false;
    ExtractionRun run(input, [&](ExtractionRun::Readiness) {
        std::lock_guard lock(mutex);
        ready = true;
        signal.notify_one();
    });
    QStringList values;
    RunEvent event;
    for (;;) {
        {
            std::unique_lock lock(mutex);
            ASSERT_TRUE(signal.wait_for(lock, std::chrono::seconds(10), [&] { return ready; }));
            ready = false;
        }
        ExtractionRun::Poll state;
        while ((state = run.poll(event)) == ExtractionRun::Poll::Event)
            values.append(QString::fromUtf8(event.values.value(0).data(),
                                            qsizetype(event.values.value(0).size())));
        if (state == ExtractionRun::Poll::Finished)
            break;
    }
    ASSERT_EQ(values.size(), 50);
    for (int f = 0; f < 50; ++f)
        EXPECT_EQ(values[f], QString::number(f));
}

// A consumer may sleep until a worker says it is pressing: every worker that is about to wait
// for it says so first, and so do the last files as they end. Many small files and a few large
// outputs make the workers wait both ways: for too many files ahead, and for too many bytes.
TEST_F(ExtractionRunTest, AConsumerWokenOnlyWhenPressedStillGetsEverything) {
    constexpr int Files = 200; // more than the 64 files a run may start ahead
    RunInput input{{}, {"a"}, ExtractionOption::ValueOnly};
    const QString file = write("one.xml", "<a>1</a>");
    for (int f = 0; f < Files; ++f)
        input.entries.append(file);
    std::mutex mutex;
    std::condition_variable signal;
    bool pressed = false;
    ExtractionRun run(
        input,
        [&](ExtractionRun::Readiness readiness) {
            if (!readiness.pressing)
                return;
            std::lock_guard lock(mutex);
            pressed = true;
            signal.notify_one();
        },
        2,
        [&](qsizetype index, const ValueBatch&) {
            return std::string(index % 50 == 0 ? std::size_t(6) << 20 : 10, 'x');
        });
    int events = 0;
    RunEvent event;
    for (;;) {
        ExtractionRun::Poll state;
        while ((state = run.poll(event)) == ExtractionRun::Poll::Event)
            ASSERT_EQ(event.fileIndex, events++);
        if (state == ExtractionRun::Poll::Finished)
            break;
        std::unique_lock lock(mutex);
        ASSERT_TRUE(signal.wait_for(lock, std::chrono::seconds(10), [&] { return pressed; }))
            << "the workers wait for a consumer nobody woke, after " << events << " events";
        pressed = false;
    }
    EXPECT_EQ(events, Files);
}

// A formatter turns each batch into bytes on the worker that found it; the events carry those
// bytes instead of the values, still in file order.
TEST_F(ExtractionRunTest, AFormatterMakesTheBytesOnTheWorkers) {
    RunInput input{{}, {"v"}, ExtractionOption::ValueOnly};
    std::string expected;
    for (int f = 0; f < 40; ++f) {
        if (f == 13) {
            input.entries.append(pathOf("missing.xml"));
            expected += "!\n";
            continue;
        }
        QByteArray bytes;
        const int values = (f % 5 == 0) ? 30000 : f; // several batches from a few files
        for (int v = 0; v < values; ++v) {
            bytes += "<v>" + QByteArray::number(v) + "</v>\n";
            expected += std::to_string(f) + ":" + std::to_string(v) + "\n";
        }
        input.entries.append(write(QString("f%1.xml").arg(f), bytes));
    }
    for (int workers : {1, 2, 4}) {
        std::mutex mutex;
        std::set<std::thread::id> threads;
        ExtractionRun run(input, {}, workers, [&](qsizetype file, const ValueBatch& values) {
            {
                std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            std::string out;
            for (std::size_t i = 0; i < values.count(); ++i)
                out += std::to_string(file) + ":" + std::string(values.value(i)) + "\n";
            return out;
        });
        std::string delivered;
        RunEvent event;
        while (run.next(event)) {
            EXPECT_TRUE(event.values.empty()) << "the bytes come instead of the values";
            EXPECT_EQ(event.byteSize(), event.formatted.size());
            delivered += event.isFailure() ? "!\n" : event.formatted;
        }
        EXPECT_TRUE(delivered == expected) << workers << " workers";
        EXPECT_FALSE(threads.contains(std::this_thread::get_id())) << "made on the workers";
        EXPECT_LE(threads.size(), std::size_t(workers));
    }
}

// The bytes a formatter makes count towards the output a run may hold: workers wait for the
// consumer after a few megabytes, as they do with values, instead of starting every file they
// may read ahead.
TEST_F(ExtractionRunTest, FormattedBytesAreHeldWithinTheSameBounds) {
    constexpr int Files = 80; // more than the 64 files a run may start ahead
    constexpr std::size_t Made = 2 << 20;
    RunInput input{{}, {"a"}, ExtractionOption::ValueOnly};
    const QString file = write("one.xml", "<a>1</a>");
    for (int f = 0; f < Files; ++f)
        input.entries.append(file);
    std::atomic<int> made{0};
    ExtractionRun run(input, {}, 4, [&](qsizetype, const ValueBatch&) {
        ++made;
        return std::string(Made, 'x');
    });
    // Nothing taken yet: the workers fill what they may and wait.
    int before = -1;
    while (made.load() != before) {
        before = made.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_GT(made.load(), 1);
    EXPECT_LT(made.load(), 24) << "16 MB of bytes ahead stop the workers, as 16 MB of values do";
    int events = 0;
    RunEvent event;
    while (run.next(event)) {
        ASSERT_EQ(event.formatted.size(), Made);
        ++events;
    }
    EXPECT_EQ(events, Files);
}

// Counts the files opened in one folder, as the system reports them, so that a test sees which
// files a run read without any help from the run.
class OpenedFiles {
public:
    explicit OpenedFiles(const QString& folder)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          m_watch(inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN)) {}
    ~OpenedFiles() { ::close(m_fd); }
    OpenedFiles(const OpenedFiles&) = delete;
    OpenedFiles& operator=(const OpenedFiles&) = delete;

    bool watching() const { return m_fd >= 0 && m_watch >= 0; }

    /// The files opened since the watch began; a lost event fails the test, so that a count
    /// too small can never pass.
    int count() {
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t size = ::read(m_fd, buffer, sizeof buffer);
            if (size <= 0)
                break;
            for (ssize_t at = 0; at < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                EXPECT_FALSE(event->mask & IN_Q_OVERFLOW) << "opens were lost";
                if ((event->mask & IN_OPEN) && !(event->mask & IN_ISDIR))
                    ++m_opened;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return m_opened;
    }

private:
    int m_fd;
    int m_watch;
    int m_opened = 0;
};

// After cancel the workers must stop taking files: the flag that ends delivery alone would let
// them read the whole list in the background.
TEST_F(ExtractionRunTest, CancelStopsTheWorkersReading) {
    constexpr int Files = 5000;
    constexpr int Workers = 4;
    RunInput input{{}, {"a"}, ExtractionOption::ValueOnly};
    for (int f = 0; f < Files; ++f)
        input.entries.append(
            write(QString("c%1.xml").arg(f), "<a>" + QByteArray::number(f) + "</a>"));
    OpenedFiles opened(m_dir.path());
    ASSERT_TRUE(opened.watching());
    int openedAtCancel = 0;
    {
        ExtractionRun run(input, {}, Workers);
        RunEvent event;
        // Well into the run, so that the workers are busy when told to stop.
        do {
            ASSERT_TRUE(run.next(event));
        } while (event.fileIndex < 100);
        run.cancel();
        openedAtCancel = opened.count();
        ASSERT_GE(openedAtCancel, 101) << "the watch must see the files read so far";
        EXPECT_FALSE(run.next(event)) << "nothing is delivered after cancel";
        EXPECT_EQ(run.poll(event), ExtractionRun::Poll::Finished);
    } // the workers are joined here
    // A worker that had taken a file just before cancel may still open it; none takes another.
    EXPECT_LE(opened.count() - openedAtCancel, Workers);
    EXPECT_LT(opened.count(), Files / 10);
}

TEST_F(ExtractionRunTest, CancelStopsALongRunAtOnce) {
    const QString big = write("big.xml", QByteArray(1 << 20, '"')); // half a million values
    RunInput input{{}, {"x"}, ExtractionOption::Quoted};
    for (int i = 0; i < 200; ++i)
        input.entries.append(big);
    ExtractionRun run(input, {}, 2);
    RunEvent event;
    ASSERT_TRUE(run.next(event));
    run.cancel();
    EXPECT_FALSE(run.next(event));
}

} // namespace
