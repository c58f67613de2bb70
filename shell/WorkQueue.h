#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

namespace tagmill {

class EntryListModel;

/// Runs long jobs off the window's thread: folder scans and list files that fill a list, and
/// the writers of the results. Jobs run one after another in the order started; what they hand
/// over reaches the window through the event loop in short slices, in order, so the window
/// repaints and answers while they work.
class WorkQueue : public QObject {
    Q_OBJECT
    struct State;

public:
    /// What a job hands to the window, from the queue's thread. Everything handed over
    /// arrives in order.
    class Output {
    public:
        /// Appends entries to a list.
        void add(EntryListModel& list, QStringList entries);
        /// Runs an action on the window's thread, such as a message box.
        void post(std::function<void()> action);
        /// Set once the job should end: the queue was cancelled or is going away.
        std::stop_token stopToken() const { return m_stop; }

    private:
        friend struct WorkQueue::State;
        Output(State& state, quint64 generation, std::stop_token stop)
            : m_state(state), m_generation(generation), m_stop(std::move(stop)) {}
        State& m_state;
        quint64 m_generation;
        std::stop_token m_stop;
    };
    using Job = std::function<void(Output&)>;
    /// Shows, on the window's thread, the description of what a job threw.
    using Failed = std::function<void(const QString& description)>;

    explicit WorkQueue(QObject* parent = nullptr);
    /// Ends the work without waiting for a job that does not stop at once, such as one stuck
    /// reading a network mount: that job is left to end by itself, and what it hands over goes
    /// nowhere.
    ~WorkQueue() override;

    /// Queues a job. Should it throw, `failed` gets the description; either way `finished`
    /// runs on the window's thread once everything the job handed over is in.
    void start(Job job, Failed failed, std::function<void()> finished = {});
    /// Appends entries to a list after everything queued before them: at once when the queue is
    /// idle, so commands that add directly keep their order with those still at work. `failed`
    /// shows a failure to append them later.
    void append(EntryListModel& list, QStringList entries, Failed failed);
    /// Runs an action on the window's thread once everything queued so far is in: at once when
    /// the queue is idle.
    void whenDone(std::function<void()> action);
    /// No job is queued or at work, and everything handed over is in.
    bool isIdle() const { return m_open == 0; }
    /// Ends the running job and drops the queued ones and whatever they found but did not hand
    /// over yet.
    void cancel();

private:
    void drain();
    void queue(Job job, Failed failed, std::function<void()> finished);

    std::shared_ptr<State> m_state; // shared with the worker, which may outlive the queue
    int m_open = 0;                 // queued jobs whose end has not reached the window yet
    bool m_draining = false;
    std::thread m_worker;
};

} // namespace tagmill
