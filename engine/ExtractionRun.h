#pragma once

#include "engine/ExtractionOption.h"
#include "engine/ValueBatch.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tagmill {

/// What a run works on, copied when the run starts so that later edits of the lists cannot
/// reach it.
struct RunInput {
    QStringList entries; ///< file-list entries, read in this order
    QStringList tags;
    ExtractionOption option = ExtractionOption::TagAndValue;
};

/// The message that keeps a run from starting ("You forgot to input tag", "No files added."),
/// or an empty text when it may start.
QString runPreconditionMessage(const RunInput& input);

/// One piece of a run's output: values of one file, or one failure while reading or searching it.
struct RunEvent {
    qsizetype fileIndex = 0;
    ValueBatch values;
    /// When the run was given a formatter: the bytes it made of the values, which are left out.
    std::string formatted;
    QString failure; ///< set for a failure; then values is empty
    bool isFailure() const { return !failure.isEmpty(); }
    /// What the event holds, so that formatted output queues within the same bounds as values.
    std::size_t byteSize() const { return values.byteSize() + formatted.size(); }
};

/// Extracts from every file on worker threads and hands the results back strictly in file order.
/// Workers read ahead only a few files and hold a bounded amount of output, so memory stays
/// small however many values a run finds. Destroying the run cancels it promptly.
class ExtractionRun {
public:
    /// What a worker says when the run's output changes.
    struct Readiness {
        /// The output queued for the file being handed out and the files after it.
        std::size_t queuedBytes;
        /// poll() may have something new to give: an event of the file being handed out, or
        /// the end of that file.
        bool atHead;
        /// A worker waits until the consumer takes something, or the run's last files are
        /// ending: the consumer must come. Otherwise it may wait for more to gather first.
        bool pressing;
        /// Whether a consumer that comes only when there is something for it should come now.
        bool shouldWake() const { return atHead || pressing; }
    };
    /// Called on a worker thread with every event and every file's end, and whenever a worker
    /// is about to wait for the consumer. It must only signal, never poll itself.
    using ReadyCallback = std::function<void(Readiness)>;
    /// Turns a batch of values of the file with this index into bytes, on the worker that found
    /// them; called on several workers at once, so it must be safe to call concurrently.
    using Formatter = std::function<std::string(qsizetype fileIndex, const ValueBatch& values)>;

    /// With a formatter, every event of values carries its bytes (RunEvent::formatted) instead
    /// of the values.
    explicit ExtractionRun(RunInput input, ReadyCallback onReady = {},
                           int workerCount = defaultWorkerCount(), Formatter formatter = {});
    ~ExtractionRun();
    ExtractionRun(const ExtractionRun&) = delete;
    ExtractionRun& operator=(const ExtractionRun&) = delete;

    /// How far the workers have got, for a progress line; read while they go on, so the figures
    /// may be a moment apart from one another.
    struct Progress {
        qsizetype filesSearched = 0; ///< files the workers are done with, failed ones included
        std::uint64_t bytesRead = 0; ///< each file's bytes counted once, however often re-read
        std::uint64_t rowsFound = 0;
        /// How much of the files being searched now has been read, each counted as 0 to 1.
        double openFilesDone = 0;
    };
    Progress progress() const;

    enum class Poll { Event, Pending, Finished };
    /// Takes the next event without waiting.
    Poll poll(RunEvent& event);
    /// Waits for the next event; false when the run has ended.
    bool next(RunEvent& event);
    /// Stops the workers as soon as they notice; no further events are delivered.
    void cancel();

    const RunInput& input() const { return m_input; }

    static int defaultWorkerCount();

private:
    // One for every file of the run, so an empty queue must cost no memory: a deque would
    // take half a kilobyte each before holding anything.
    struct FileQueue {
        std::list<RunEvent> events;
        std::size_t bytes = 0;
        bool done = false;
    };
    class Sink;
    class CountedSource;
    // What one worker has done, written only by that worker, so counting costs no waiting on
    // one another; on a cache line of its own, so the workers' writes do not slow each other.
    struct alignas(64) WorkerCounts {
        std::atomic<qsizetype> files{0};
        std::atomic<std::uint64_t> bytes{0};
        std::atomic<std::uint64_t> rows{0};
        std::atomic<std::uint64_t> openSize{0}; // the length of the file being read; 0 for none
        std::atomic<std::uint64_t> openRead{0};
    };

    void work(WorkerCounts& counts);
    void processFile(qsizetype index, class FileExtractor& extractor, WorkerCounts& counts);
    void push(qsizetype index, RunEvent&& event, bool endsFile);
    void finishFile(qsizetype index);
    Readiness readinessNow(bool atHead, bool pressing) const; // with the mutex held
    void wakeConsumer(Readiness readiness);
    template <typename Ready> void waitForConsumer(std::unique_lock<std::mutex>& lock, Ready ready);
    bool lastFilesEnding() const { return m_nextFile >= qsizetype(m_queues.size()); }
    Poll take(RunEvent& event, bool wait);

    const RunInput m_input;
    const ReadyCallback m_onReady;
    const Formatter m_formatter;
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::condition_variable m_workersWake;
    std::condition_variable m_consumerWake;
    std::vector<FileQueue> m_queues;
    qsizetype m_head = 0;         // the file whose events are handed out now
    qsizetype m_nextFile = 0;     // the next file a worker takes
    std::size_t m_aheadBytes = 0; // output queued for the files after the head
    // One for each worker.
    std::vector<WorkerCounts> m_counts;
    std::vector<std::thread> m_workers;
};

} // namespace tagmill
