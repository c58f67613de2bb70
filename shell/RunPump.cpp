#include "shell/RunPump.h"

#include "engine/ResultsTable.h"

#include <QElapsedTimer>

namespace tagmill {

namespace {

// Rows are taken for at most this long per turn of the event loop.
constexpr qint64 SliceMs = 8;
// Output the feeder holds for the window beyond this makes it wait.
constexpr std::size_t ReadyLimitBytes = 4 * 1024 * 1024;

} // namespace

RunPump::RunPump(RunInput input, ResultsTable& table, FailureHandler failed,
                 FinishedHandler finished, QObject* parent)
    : QObject(parent), m_run(std::move(input)), m_table(table), m_failed(std::move(failed)),
      m_finished(std::move(finished)), m_feeder([this] { feed(); }) {}

RunPump::~RunPump() {
    cancel();
}

void RunPump::cancel() {
    m_cancelled = true;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_space.notify_all();
    m_run.cancel();
    if (m_feeder.joinable())
        m_feeder.join();
}

void RunPump::feed() {
    RunEvent event;
    while (m_run.next(event)) {
        std::unique_lock lock(m_mutex);
        m_space.wait(lock, [&] { return m_stopping || m_readyBytes < ReadyLimitBytes; });
        if (m_stopping)
            return;
        m_readyBytes += event.values.byteSize();
        m_ready.push_back(std::move(event));
        wakeLocked();
    }
    std::lock_guard lock(m_mutex);
    m_ended = true;
    wakeLocked();
}

void RunPump::wakeLocked() {
    if (m_wakePosted || m_stopping)
        return;
    m_wakePosted = true;
    QMetaObject::invokeMethod(this, &RunPump::drain, Qt::QueuedConnection);
}

void RunPump::drain() {
    QElapsedTimer slice;
    slice.start();
    while (!m_cancelled) {
        RunEvent event;
        bool finished = false;
        {
            std::lock_guard lock(m_mutex);
            if (m_ready.empty()) {
                m_wakePosted = false;
                if (!m_ended)
                    return;
                finished = true;
            } else {
                event = std::move(m_ready.front());
                m_ready.pop_front();
                m_readyBytes -= event.values.byteSize();
            }
        }
        if (finished) {
            m_finished();
            return;
        }
        m_space.notify_one();
        deliver(event);
        if (slice.elapsed() >= SliceMs) {
            // Let the window repaint and take input before the next rows.
            QMetaObject::invokeMethod(this, &RunPump::drain, Qt::QueuedConnection);
            return;
        }
    }
}

void RunPump::deliver(RunEvent& event) {
    if (event.isFailure())
        m_failed(event.failure);
    else
        m_table.appendValues(m_run.input().entries[event.fileIndex], event.values);
}

} // namespace tagmill
