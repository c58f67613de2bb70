#include "shell/WorkQueue.h"

#include "lists/EntryListModel.h"

#include <QElapsedTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace tagmill {

namespace {

// What the window takes per turn of its event loop: entries for at most this long, and at most
// this many entries in one append, so the list's view never stalls on one huge insert.
constexpr qint64 SliceMs = 8;
constexpr qsizetype MaxAppend = 20000;

// How long the end of the queue waits for a job asked to stop. A scan stops between two
// folders and a writer between two megabytes, well within it, and a writer stopped in time
// takes its unfinished file away; a job stuck in the system is not waited for.
constexpr auto StopWait = std::chrono::milliseconds(250);

} // namespace

// Everything the worker touches. The worker holds it too, so a worker left behind by the end of
// the queue never reaches freed memory; once the queue is gone, what it hands over is dropped.
struct WorkQueue::State {
    struct Delivery {
        EntryListModel* list = nullptr; // entries for this list, or else the action
        QStringList entries;
        std::function<void()> action;
        bool endsJob = false; // the last delivery of a job
    };
    struct Queued {
        Job job; // none for a mark that only waits for the jobs before it
        Failed failed;
        std::function<void()> finished;
    };

    void deliver(quint64 generation, Delivery delivery);
    void postWake();
    bool takeNext(Delivery& next);
    void runJobs();
    void run(Queued& next, Output& output);

    std::mutex mutex;
    std::condition_variable changed; // a job was queued, the queue is going, the worker ended
    std::deque<Queued> jobs;
    std::deque<Delivery> deliveries;
    std::stop_source jobStop;   // stops the job running now
    quint64 generation = 0;     // counts cancels: a cancelled job's output is dropped
    WorkQueue* owner = nullptr; // null once the queue is gone
    bool wakePosted = false;    // a drain is queued
    bool closing = false;       // the queue is going: the worker ends
    bool workerEnded = false;
};

void WorkQueue::State::deliver(quint64 from, Delivery delivery) {
    const std::lock_guard lock(mutex);
    if (from != generation || !owner)
        return;
    deliveries.push_back(std::move(delivery));
    if (!wakePosted) {
        wakePosted = true;
        QMetaObject::invokeMethod(owner, &WorkQueue::drain, Qt::QueuedConnection);
    }
}

void WorkQueue::State::postWake() {
    const std::lock_guard lock(mutex);
    wakePosted = true;
    QMetaObject::invokeMethod(owner, &WorkQueue::drain, Qt::QueuedConnection);
}

// Takes the next delivery, joining entries bound for the same list into one append.
bool WorkQueue::State::takeNext(Delivery& next) {
    const std::lock_guard lock(mutex);
    if (deliveries.empty()) {
        wakePosted = false;
        return false;
    }
    next = std::move(deliveries.front());
    deliveries.pop_front();
    while (next.list && !deliveries.empty() && deliveries.front().list == next.list &&
           next.entries.size() + deliveries.front().entries.size() <= MaxAppend) {
        next.entries.append(std::move(deliveries.front().entries));
        deliveries.pop_front();
    }
    return true;
}

void WorkQueue::State::runJobs() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return closing || !jobs.empty(); });
        if (closing)
            break;
        Queued next = std::move(jobs.front());
        jobs.pop_front();
        Output output(*this, generation, jobStop.get_token());
        lock.unlock();
        run(next, output);
        next = {}; // what the job holds goes before the lock is taken again
        lock.lock();
    }
    workerEnded = true;
    changed.notify_all();
}

// Whatever a job throws (memory running out in an enormous tree) is shown, and the work goes on.
void WorkQueue::State::run(Queued& next, Output& output) {
    if (next.job) {
        try {
            next.job(output);
        } catch (const std::exception& failure) {
            output.post([failed = std::move(next.failed),
                         description = QString::fromUtf8(failure.what())] { failed(description); });
        }
    }
    deliver(output.m_generation, {nullptr, {}, std::move(next.finished), true});
}

void WorkQueue::Output::add(EntryListModel& list, QStringList entries) {
    if (entries.size() <= MaxAppend)
        return m_state.deliver(m_generation, {&list, std::move(entries), {}});
    for (qsizetype at = 0; at < entries.size(); at += MaxAppend)
        m_state.deliver(m_generation, {&list, entries.mid(at, MaxAppend), {}});
}

void WorkQueue::Output::post(std::function<void()> action) {
    m_state.deliver(m_generation, {nullptr, {}, std::move(action)});
}

WorkQueue::WorkQueue(QObject* parent) : QObject(parent), m_state(std::make_shared<State>()) {
    m_state->owner = this;
    m_worker = std::thread([state = m_state] { state->runJobs(); });
}

WorkQueue::~WorkQueue() {
    cancel();
    std::unique_lock lock(m_state->mutex);
    m_state->owner = nullptr;
    m_state->closing = true;
    m_state->changed.notify_all();
    const bool ended =
        m_state->changed.wait_for(lock, StopWait, [this] { return m_state->workerEnded; });
    lock.unlock();
    if (ended)
        m_worker.join();
    else
        m_worker.detach();
}

void WorkQueue::start(Job job, Failed failed, std::function<void()> finished) {
    queue(std::move(job), std::move(failed), std::move(finished));
}

void WorkQueue::append(EntryListModel& list, QStringList entries, Failed failed) {
    if (isIdle())
        return list.append(entries);
    queue([&list, entries](Output& output) { output.add(list, entries); }, std::move(failed), {});
}

void WorkQueue::whenDone(std::function<void()> action) {
    if (isIdle())
        return action();
    queue({}, {}, std::move(action));
}

void WorkQueue::queue(Job job, Failed failed, std::function<void()> finished) {
    ++m_open;
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->jobs.push_back({std::move(job), std::move(failed), std::move(finished)});
    }
    m_state->changed.notify_all();
}

void WorkQueue::cancel() {
    const std::lock_guard lock(m_state->mutex);
    m_state->jobStop.request_stop();
    m_state->jobStop = std::stop_source();
    ++m_state->generation;
    m_state->jobs.clear();
    m_state->deliveries.clear();
    m_open = 0;
}

void WorkQueue::drain() {
    // A message box shown by an action runs an event loop of its own; the rest waits for it.
    if (m_draining)
        return;
    m_draining = true;
    QElapsedTimer slice;
    slice.start();
    State::Delivery next;
    while (m_state->takeNext(next)) {
        if (next.endsJob)
            --m_open;
        if (next.list)
            next.list->append(next.entries);
        else if (next.action)
            next.action();
        if (slice.elapsed() >= SliceMs) {
            // Let the window repaint and take input before the next slice.
            m_state->postWake();
            break;
        }
    }
    m_draining = false;
}

} // namespace tagmill
