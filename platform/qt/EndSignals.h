#pragma once

#include <QObject>

class QSocketNotifier;

namespace tagmill::platform {

/// Turns SIGTERM, SIGHUP and SIGINT (a shutdown, a logout, Ctrl+C) into received() on the event
/// loop, so the program can close its window the way the close box does instead of dying with
/// the user's tags unsaved. One at a time: the signals have one handler.
class EndSignals : public QObject {
    Q_OBJECT
public:
    /// Catches the signals from now on. Throws std::system_error when it cannot.
    explicit EndSignals(QObject* parent = nullptr);
    /// The signals end the program again.
    ~EndSignals() override;

signals:
    void received();

private:
    void wake();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tagmill::platform
