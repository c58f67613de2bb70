#pragma once

#include "engine/ExtractionRun.h"

#include <QObject>

#include <atomic>
#include <functional>

namespace tagmill {

class ValueBatch;

/// Feeds an extraction run's rows to the results table. The run's workers wake the event loop
/// as soon as rows are ready; the window then takes rows for a few milliseconds per turn, so it
/// repaints and answers while the workers read files.
class RunPump : public QObject {
    Q_OBJECT
public:
    /// Adds the values of one file to the table.
    using RowsHandler = std::function<void(const QString& entry, const ValueBatch& values)>;
    /// Called for a file that could not be read; no rows are added until it returns.
    using FailureHandler = std::function<void(const QString& entry, const QString& description)>;
    /// Called when adding rows failed (memory ran out); the run has stopped for good.
    using BrokenHandler = std::function<void(const QString& description)>;
    using FinishedHandler = std::function<void()>;

    /// Starts the run at once.
    RunPump(RunInput input, RowsHandler rows, FailureHandler failed, BrokenHandler broken,
            FinishedHandler finished, QObject* parent = nullptr);
    ~RunPump() override;

    /// Stops the run for good: no more rows, failures or end.
    void cancel();

private:
    void wake();
    void drain();
    void deliver(RunEvent& event);

    RowsHandler m_rows;
    FailureHandler m_failed;
    BrokenHandler m_broken;
    FinishedHandler m_finished;
    bool m_cancelled = false;
    bool m_draining = false;
    std::atomic<bool> m_wakePosted{false}; // a drain is queued
    ExtractionRun m_run; // last, so its workers stop before anything they call goes
};

} // namespace tagmill
