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
    Sink(ExtractionRun& run, qsizetype index) : m_run(run), m_index(index) {}
    bool proceed() override { return !m_run.m_cancelled.load(std::memory_order_relaxed); }
    // The batch is formatted here, on the worker, and freed at once: only the bytes queue.
    void values(ValueBatch&& batch) override {
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
    std::optional<RunEvent> m_last;
};

ExtractionRun::ExtractionRun(RunInput input, ReadyCallback onReady, int workerCount,
                             Formatter formatter)
    : m_input(std::move(input)), m_onReady(std::move(onReady)), m_formatter(std::move(formatter)),
      m_queues(std::size_t(m_input.entries.size())) {
    for (int i = 0; i < std::max(1, workerCount); ++i)
        m_workers.emplace_back([this] { work(); });
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

void ExtractionRun::work() {
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
        processFile(index, extractor);
    }
}

void ExtractionRun::processFile(qsizetype index, FileExtractor& extractor) {
    Sink sink(*this, index);
    try {
        const QString& path = m_input.entries[index];
        // Option 5 reads nothing: an entry only has to be there, whatever it is.
        if (m_input.option == ExtractionOption::Nothing) {
            requireExists(path);
        } else {
            // Anything but a regular file fails here, so a device of length 0 such as /dev/null
            // is reported rather than passed over as an empty file.
            FileStream file(path);
            extractor.extract(file, sink);
        }
    } catch (const std::exception& e) {
        sink.failure(QString::fromUtf8(e.what()));
    }
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
