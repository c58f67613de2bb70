#include "shell/RunPump.h"

#include "engine/ValueBatch.h"

#include <QElapsedTimer>

namespace tagmill {

namespace {

// Rows are taken for at most this long per turn of the event loop.
constexpr qint64 SliceMs = 8;

} // namespace

RunPump::RunPump(RunInput input, RowsHandler rows, FailureHandler failed, BrokenHandler broken,
                 FinishedHandler finished, QObject* parent)
    : QObject(parent), m_rows(std::move(rows)), m_failed(std::move(failed)),
      m_broken(std::move(broken)), m_finished(std::move(finished)),
      m_run(std::move(input), [this](ExtractionRun::Readiness readiness) {
          if (readiness.shouldWake())
              wake();
      }) {
    wake();
}

RunPump::~RunPump() {
    cancel();
}

void RunPump::cancel() {
    m_cancelled = true;
    m_run.cancel();
}

// Runs on the workers' threads too: it only queues a drain on the window's thread.
void RunPump::wake() {
    if (!m_wakePosted.exchange(true))
        QMetaObject::invokeMethod(this, &RunPump::drain, Qt::QueuedConnection);
}

void RunPump::drain() {
    // An error box shown for a failure runs an event loop of its own; rows wait until it closes.
    if (m_draining || m_cancelled)
        return;
    m_draining = true;
    QElapsedTimer slice;
    slice.start();
    RunEvent event;
    for (;;) {
        auto state = m_run.poll(event);
        if (state == ExtractionRun::Poll::Pending) {
            // From here on new rows queue a new drain; look once more for any that came just now.
            m_wakePosted = false;
            state = m_run.poll(event);
        }
        if (state == ExtractionRun::Poll::Pending)
            break;
        if (state == ExtractionRun::Poll::Finished) {
            m_draining = false;
            if (!m_cancelled)
                m_finished();
            return;
        }
        // A failure here would leave the event loop and end the program; it ends the run instead.
        try {
            deliver(event);
        } catch (const std::exception& failure) {
            m_draining = false;
            cancel();
            m_broken(QString::fromUtf8(failure.what()));
            return;
        }
        if (m_cancelled)
            break;
        if (slice.elapsed() >= SliceMs) {
            // Let the window repaint and take input before the next rows.
            m_wakePosted = true;
            QMetaObject::invokeMethod(this, &RunPump::drain, Qt::QueuedConnection);
            break;
        }
    }
    m_draining = false;
}

void RunPump::deliver(RunEvent& event) {
    const QString& entry = m_run.input().entries[event.fileIndex];
    if (event.isFailure())
        m_failed(entry, event.failure);
    else
        m_rows(entry, event.values);
}

} // namespace tagmill
