#include "shell/WorkQueue.h"

#include "lists/EntryListModel.h"

#include <QElapsedTimer>

namespace tagmill {

namespace {

// What the window takes per turn of its event loop: entries for at most this long, and at most
// this many entries in one append, so the list's view never stalls on one huge insert.
constexpr qint64 SliceMs = 8;
constexpr qsizetype MaxAppend = 20000;

} // namespace

void WorkQueue::Output::add(EntryListModel& list, QStringList entries) {
    if (entries.size() <= MaxAppend)
        return m_queue.deliver(m_generation, {&list, std::move(entries), {}});
    for (qsizetype at = 0; at < entries.size(); at += MaxAppend)
        m_queue.deliver(m_generation, {&list, entries.mid(at, MaxAppend), {}});
}

void WorkQueue::Output::post(std::function<void()> action) {
    m_queue.deliver(m_generation, {nullptr, {}, std::move(action)});
}

WorkQueue::WorkQueue(QObject* parent)
    : QObject(parent), m_worker([this](std::stop_token stop) { runJobs(std::move(stop)); }) {}

WorkQueue::~WorkQueue() {
    cancel();
    m_worker.request_stop();
}

void WorkQueue::start(Job job, std::function<void()> finished) {
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back({std::move(job), std::move(finished)});
    }
    m_jobAdded.notify_one();
}

void WorkQueue::cancel() {
    const std::lock_guard lock(m_mutex);
    m_jobStop.request_stop();
    m_jobStop = std::stop_source();
    ++m_generation;
    m_jobs.clear();
    m_deliveries.clear();
}

void WorkQueue::runJobs(std::stop_token stop) {
    for (;;) {
        std::unique_lock lock(m_mutex);
        if (!m_jobAdded.wait(lock, stop, [this] { return !m_jobs.empty(); }))
            return;
        Queued next = std::move(m_jobs.front());
        m_jobs.pop_front();
        Output output(*this, m_generation, m_jobStop.get_token());
        lock.unlock();
        next.job(output);
        if (next.finished)
            output.post(std::move(next.finished));
    }
}

void WorkQueue::deliver(quint64 generation, Delivery delivery) {
    {
        const std::lock_guard lock(m_mutex);
        if (generation != m_generation)
            return;
        m_deliveries.push_back(std::move(delivery));
    }
    if (!m_wakePosted.exchange(true))
        QMetaObject::invokeMethod(this, &WorkQueue::drain, Qt::QueuedConnection);
}

// Takes the next delivery, joining entries bound for the same list into one append.
bool WorkQueue::takeNext(Delivery& next) {
    const std::lock_guard lock(m_mutex);
    if (m_deliveries.empty()) {
        m_wakePosted = false;
        return false;
    }
    next = std::move(m_deliveries.front());
    m_deliveries.pop_front();
    while (next.list && !m_deliveries.empty() && m_deliveries.front().list == next.list &&
           next.entries.size() + m_deliveries.front().entries.size() <= MaxAppend) {
        next.entries.append(std::move(m_deliveries.front().entries));
        m_deliveries.pop_front();
    }
    return true;
}

void WorkQueue::drain() {
    // A message box shown by an action runs an event loop of its own; the rest waits for it.
    if (m_draining)
        return;
    m_draining = true;
    QElapsedTimer slice;
    slice.start();
    Delivery next;
    while (takeNext(next)) {
        if (next.list)
            next.list->append(next.entries);
        else
            next.action();
        if (slice.elapsed() >= SliceMs) {
            // Let the window repaint and take input before the next slice.
            m_wakePosted = true;
            QMetaObject::invokeMethod(this, &WorkQueue::drain, Qt::QueuedConnection);
            break;
        }
    }
    m_draining = false;
}

} // namespace tagmill
