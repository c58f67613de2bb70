#include "shell/RunPump.h"

#include "engine/ResultsTable.h"

#include <QElapsedTimer>

namespace tagmill {

namespace {

// Rows are taken for at most this long per turn of the event loop.
constexpr qint64 SliceMs = 8;
// When the workers have nothing ready, look again after this long instead of spinning.
constexpr int IdleWaitMs = 2;

} // namespace

RunPump::RunPump(RunInput input, ResultsTable& table, FailureHandler failed,
                 FinishedHandler finished)
    : m_run(std::move(input)), m_table(table), m_failed(std::move(failed)),
      m_finished(std::move(finished)) {
    connect(&m_timer, &QTimer::timeout, this, &RunPump::drain);
    m_timer.start(0);
}

void RunPump::cancel() {
    m_cancelled = true;
    m_timer.stop();
    m_run.cancel();
}

void RunPump::drain() {
    QElapsedTimer slice;
    slice.start();
    RunEvent event;
    while (!m_cancelled) {
        switch (m_run.poll(event)) {
        case ExtractionRun::Poll::Finished:
            m_timer.stop();
            m_finished();
            return;
        case ExtractionRun::Poll::Pending:
            m_timer.setInterval(IdleWaitMs);
            return;
        case ExtractionRun::Poll::Event:
            deliver(event);
            break;
        }
        if (slice.elapsed() >= SliceMs) {
            m_timer.setInterval(0);
            return;
        }
    }
}

void RunPump::deliver(RunEvent& event) {
    if (!event.isFailure()) {
        m_table.appendValues(m_run.input().entries[event.fileIndex], event.values);
        return;
    }
    // The error box is modal; the run stays where it is until the user has read it.
    m_timer.stop();
    m_reporting = true;
    m_failed(event.failure);
    m_reporting = false;
    if (!m_cancelled)
        m_timer.start();
}

} // namespace tagmill
