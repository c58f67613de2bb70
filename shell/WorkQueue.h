#pragma once

#include <QObject>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace tagmill {

class EntryListModel;

/// Runs long jobs off the window's thread: folder scans and list files that fill the lists, and
/// the writers of the results. Jobs run one after another in the order started; what they hand
/// over reaches the window through the event loop in short slices, in order, so the window
/// repaints and answers while they work.
class WorkQueue : public QObject {
    Q_OBJECT
public:
    /// What a job hands to the window, from the loader's thread. Everything handed over
    /// arrives in order.
    class Output {
    public:
        /// Appends entries to a list.
        void add(EntryListModel& list, QStringList entries);
        /// Runs an action on the window's thread, such as a message box.
        void post(std::function<void()> action);
        /// Set once the job should end: the loader was cancelled or is going away.
        std::stop_token stopToken() const { return m_stop; }

    private:
        friend class WorkQueue;
        Output(WorkQueue& queue, quint64 generation, std::stop_token stop)
            : m_queue(queue), m_generation(generation), m_stop(std::move(stop)) {}
        WorkQueue& m_queue;
        quint64 m_generation;
        std::stop_token m_stop;
    };
    /// A job must not throw: it reports its own failures through Output::post.
    using Job = std::function<void(Output&)>;

    explicit WorkQueue(QObject* parent = nullptr);
    ~WorkQueue() override;

    /// Queues a job; `finished` runs on the window's thread once everything it found is in.
    void start(Job job, std::function<void()> finished = {});
    /// Ends the running job and drops the queued ones and whatever they found but did not hand
    /// over yet.
    void cancel();

private:
    struct Delivery {
        EntryListModel* list = nullptr; // entries for this list, or else the action
        QStringList entries;
        std::function<void()> action;
    };
    struct Queued {
        Job job;
        std::function<void()> finished;
    };

    void runJobs(std::stop_token stop);
    void deliver(quint64 generation, Delivery delivery);
    bool takeNext(Delivery& next);
    void drain();

    std::mutex m_mutex;
    std::condition_variable_any m_jobAdded;
    std::deque<Queued> m_jobs;
    std::deque<Delivery> m_deliveries;
    std::stop_source m_jobStop;            // stops the job running now
    quint64 m_generation = 0;              // counts cancels: a cancelled job's output is dropped
    std::atomic<bool> m_wakePosted{false}; // a drain is queued
    bool m_draining = false;
    std::jthread m_worker; // last, so it stops before anything it uses goes
};

} // namespace tagmill
