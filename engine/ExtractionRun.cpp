#include "engine/ExtractionRun.h"

#include "engine/FileExtractor.h"
#include "textio/FileBytes.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace tagmill {

namespace {

// A file's queued output beyond this makes its worker wait for the consumer.
constexpr std::size_t QueueLimitBytes = 4 * 1024 * 1024;
// Output queued for files after the one being handed out, beyond which their workers wait and
// no further file is started. Files giving few values are read well ahead this way, so a
// consumer that takes its rows in bursts (the window) never leaves the workers idle.
constexpr std::size_t AheadLimitBytes = 16 * 1024 * 1024;
// How many files past the one being handed out workers may start.
constexpr qsizetype MaxFilesAhead = 64;

// Adds to a counter only its own worker writes: a plain load and store, no locked instruction.
template <typename T> void addOwn(std::atomic<T>& counter, T amount) {
    counter.store(counter.load(std::memory_order_relaxed) + amount, std::memory_order_relaxed);
}

} // namespace

QString runPreconditionMessage(const RunInput& input) {
    if (input.tags.isEmpty())
        return QStringLiteral("You forgot to input tag");
    if (input.entries.isEmpty())
        return QStringLiteral("No files added.");
    return {};
}

int ExtractionRun::defaultWorkerCount() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

// Each event waits until the next one is made or the file ends, so that a file's last event
// and its end reach the consumer together: one wake-up for a small file, not two.
class ExtractionRun::Sink : public FileSink {
public:
    Sink(ExtractionRun& run, qsizetype index, WorkerCounts& counts)
        : m_run(run), m_index(index), m_counts(counts) {}
    bool proceed() override { return !m_run.m_cancelled.load(std::memory_order_relaxed); }
    // The batch is formatted here, on the worker, and freed at once: only the bytes queue.
    void values(ValueBatch&& batch) override {
        addOwn(m_counts.rows, std::uint64_t(batch.count()));
        RunEvent event{m_index, {}, {}, {}};
        if (m_run.m_formatter)
            event.formatted = m_run.m_formatter(m_index, batch);
        else
            event.values = std::move(batch);
        hand(std::move(event));
    }
    void failure(const QString& description) override {
        hand(RunEvent{m_index, {}, {}, description});
    }
    void finish() {
        if (m_last)
            m_run.push(m_index, std::move(*m_last), true);
        else
            m_run.finishFile(m_index);
    }

private:
    void hand(RunEvent&& event) {
        if (m_last)
            m_run.push(m_index, std::move(*m_last), false);
        m_last = std::move(event);
    }

    ExtractionRun& m_run;
    qsizetype m_index;
    WorkerCounts& m_counts;
    std::optional<RunEvent> m_last;
};

// A file whose bytes read are counted as they come. A search that reads the file again from
// the start counts only what lies beyond the furthest point it has reached, so that each file
// adds its length once.
class ExtractionRun::CountedSource : public ByteSource {
public:
    CountedSource(const QString& path, WorkerCounts& counts) : m_file(path), m_counts(counts) {
        m_counts.openRead.store(0, std::memory_order_relaxed);
        m_counts.openSize.store(std::uint64_t(m_file.size()), std::memory_order_relaxed);
    }
    ~CountedSource() override { m_counts.openSize.store(0, std::memory_order_relaxed); }
    CountedSource(const CountedSource&) = delete;
    CountedSource& operator=(const CountedSource&) = delete;

    std::size_t read(char* into, std::size_t size) override {
        const std::size_t got = m_file.read(into, size);
        m_position += got;
        if (m_position > m_furthest) {
            addOwn(m_counts.bytes, m_position - m_furthest);
            m_furthest = m_position;
            m_counts.openRead.store(m_furthest, std::memory_order_relaxed);
        }
        return got;
    }
    void rewind() override {
        m_file.rewind();
        m_position = 0;
    }
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t size) override {
        return m_file.readAt(offset, into, size);
    }

private:
    FileStream m_file;
    WorkerCounts& m_counts;
    std::uint64_t m_position = 0;
    std::uint64_t m_furthest = 0;
};

ExtractionRun::ExtractionRun(RunInput input, ReadyCallback onReady, int workerCount,
                             Formatter formatter)
    : m_input(std::move(input)), m_onReady(std::move(onReady)), m_formatter(std::move(formatter)),
      m_queues(std::size_t(m_input.entries.size())),
      m_counts(std::size_t(std::max(1, workerCount))) {
    for (WorkerCounts& counts : m_counts)
        m_workers.emplace_back([this, &counts] { work(counts); });
}

ExtractionRun::~ExtractionRun() {
    cancel();
    for (std::thread& worker : m_workers)
        worker.join();
}

void ExtractionRun::cancel() {
    m_cancelled = true;
    std::lock_guard lock(m_mutex);
    m_workersWake.notify_all();
    m_consumerWake.notify_all();
}

ExtractionRun::Progress ExtractionRun::progress() const {
    Progress progress;
    for (const WorkerCounts& counts : m_counts) {
        progress.filesSearched += counts.files.load(std::memory_order_relaxed);
        progress.bytesRead += counts.bytes.load(std::memory_order_relaxed);
        progress.rowsFound += counts.rows.load(std::memory_order_relaxed);
        const std::uint64_t size = counts.openSize.load(std::memory_order_relaxed);
        if (size > 0)
            progress.openFilesDone +=
                std::min(1.0, double(counts.openRead.load(std::memory_order_relaxed)) / size);
    }
    return progress;
}

void ExtractionRun::work(WorkerCounts& counts) {
    FileExtractor extractor(m_input.option, m_input.tags);
    for (;;) {
        qsizetype index;
        {
            std::unique_lock lock(m_mutex);
            waitForConsumer(lock, [&] {
                return m_cancelled || m_nextFile >= qsizetype(m_queues.size()) ||
                       (m_nextFile < m_head + MaxFilesAhead && m_aheadBytes < AheadLimitBytes);
            });
            if (m_cancelled || m_nextFile >= qsizetype(m_queues.size()))
                return;
            index = m_nextFile++;
        }
        processFile(index, extractor, counts);
    }
}

void ExtractionRun::processFile(qsizetype index, FileExtractor& extractor, WorkerCounts& counts) {
    Sink sink(*this, index, counts);
    try {
        const QString& path = m_input.entries[index];
        // Option 5 reads nothing: an entry only has to be there, whatever it is.
        if (m_input.option == ExtractionOption::Nothing) {
            requireExists(path);
        } else {
            // Anything but a regular file fails here, so a device of length 0 such as /dev/null
            // is reported rather than passed over as an empty file.
            CountedSource file(path, counts);
            extractor.extract(file, sink);
        }
    } catch (const std::exception& e) {
        sink.failure(QString::fromUtf8(e.what()));
    }
    // Counted before the file's end is handed on, so that a consumer that has seen the run
    // finish reads the final figures.
    addOwn(counts.files, qsizetype(1));
    sink.finish();
}

void ExtractionRun::push(qsizetype index, RunEvent&& event, bool endsFile) {
    std::unique_lock lock(m_mutex);
    FileQueue& queue = m_queues[std::size_t(index)];
    // The file being handed out never waits for the others, so the run always moves on.
    waitForConsumer(lock, [&] {
        return m_cancelled || (queue.bytes < QueueLimitBytes &&
                               (index == m_head || m_aheadBytes < AheadLimitBytes));
    });
    if (m_cancelled)
        return;
    queue.bytes += event.byteSize();
    if (index != m_head)
        m_aheadBytes += event.byteSize();
    queue.events.push_back(std::move(event));
    queue.done = endsFile;
    const Readiness readiness = readinessNow(index == m_head, endsFile && lastFilesEnding());
    lock.unlock();
    wakeConsumer(readiness);
}

void ExtractionRun::finishFile(qsizetype index) {
    std::unique_lock lock(m_mutex);
    m_queues[std::size_t(index)].done = true;
    const Readiness readiness = readinessNow(index == m_head, lastFilesEnding());
    lock.unlock();
    wakeConsumer(readiness);
}

// A worker about to wait for the consumer says so first, so that a consumer gathering output
// before it comes is never waited for in turn.
template <typename Ready>
void ExtractionRun::waitForConsumer(std::unique_lock<std::mutex>& lock, Ready ready) {
    if (ready())
        return;
    const Readiness readiness = readinessNow(false, true);
    lock.unlock();
    wakeConsumer(readiness);
    lock.lock();
    m_workersWake.wait(lock, ready);
}

ExtractionRun::Readiness ExtractionRun::readinessNow(bool atHead, bool pressing) const {
    const bool running = m_head < qsizetype(m_queues.size());
    return {running ? m_queues[std::size_t(m_head)].bytes + m_aheadBytes : 0, atHead, pressing};
}

void ExtractionRun::wakeConsumer(Readiness readiness) {
    if (readiness.shouldWake())
        m_consumerWake.notify_one();
    if (m_onReady)
        m_onReady(readiness);
}

ExtractionRun::Poll ExtractionRun::take(RunEvent& event, bool wait) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_cancelled || m_head >= qsizetype(m_queues.size()))
            return Poll::Finished;
        FileQueue& queue = m_queues[std::size_t(m_head)];
        if (!queue.events.empty()) {
            event = std::move(queue.events.front());
            queue.events.pop_front();
            queue.bytes -= event.byteSize();
            m_workersWake.notify_all();
            return Poll::Event;
        }
        if (queue.done) {
            ++m_head;
            if (m_head < qsizetype(m_queues.size()))
                m_aheadBytes -= m_queues[std::size_t(m_head)].bytes;
            m_workersWake.notify_all();
            continue;
        }
        if (!wait)
            return Poll::Pending;
        m_consumerWake.wait(lock);
    }
}

ExtractionRun::Poll ExtractionRun::poll(RunEvent& event) {
    return take(event, false);
}

bool ExtractionRun::next(RunEvent& event) {
    return take(event, true) == Poll::Event;
}

} // namespace tagmill
