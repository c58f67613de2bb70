#pragma once

#include "engine/ExtractionRun.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace tagmill {

class ResultsTable;

/// Feeds an extraction run's rows into the results table from the event loop, a few
/// milliseconds per turn, so the window repaints and answers while the workers read files.
class RunPump : public QObject {
    Q_OBJECT
public:
    /// Called for a file that could not be read; the run waits until it returns.
    using FailureHandler = std::function<void(const QString& description)>;
    using FinishedHandler = std::function<void()>;

    /// Starts the run at once.
    RunPump(RunInput input, ResultsTable& table, FailureHandler failed, FinishedHandler finished);

    /// Stops the run for good: no more rows, failures or end.
    void cancel();
    bool isRunning() const { return m_timer.isActive() || m_reporting; }

private:
    void drain();
    void deliver(RunEvent& event);

    ExtractionRun m_run;
    ResultsTable& m_table;
    FailureHandler m_failed;
    FinishedHandler m_finished;
    QTimer m_timer;
    bool m_reporting = false;
    bool m_cancelled = false;
};

} // namespace tagmill
