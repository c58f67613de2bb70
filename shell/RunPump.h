#pragma once

#include "engine/ExtractionRun.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tagmill {

class ResultsTable;

/// Feeds an extraction run's rows into the results table. A feeder thread waits for the run's
/// events and wakes the event loop as soon as one is ready; the window then takes rows for a few
/// milliseconds per turn, so it repaints and answers while the workers read files.
class RunPump : public QObject {
    Q_OBJECT
public:
    /// Called for a file that could not be read; the run waits until it returns.
    using FailureHandler = std::function<void(const QString& description)>;
    using FinishedHandler = std::function<void()>;

    /// Starts the run at once.
    RunPump(RunInput input, ResultsTable& table, FailureHandler failed, FinishedHandler finished,
            QObject* parent = nullptr);
    ~RunPump() override;

    /// Stops the run for good: no more rows, failures or end.
    void cancel();

private:
    void feed();
    void wakeLocked();
    void drain();
    void deliver(RunEvent& event);

    ExtractionRun m_run;
    ResultsTable& m_table;
    FailureHandler m_failed;
    FinishedHandler m_finished;
    bool m_cancelled = false;

    std::mutex m_mutex;
    std::condition_variable m_space;
    std::deque<RunEvent> m_ready;
    std::size_t m_readyBytes = 0;
    bool m_ended = false;      // the feeder has handed over the run's last event
    bool m_wakePosted = false; // a drain is queued or running
    bool m_stopping = false;
    std::thread m_feeder;
};

} // namespace tagmill
