#pragma once

#include "cli/Destination.h"
#include "engine/ExtractionRun.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <utility>

namespace tagmill::cli {

/// The events of a run, in file order. While it waits for the workers it also watches a pipe
/// the output goes to: once its reader has gone, nobody wants the rest, and the program ends at
/// once instead of searching on.
class RunEvents {
public:
    /// watched is the descriptor of that pipe, or -1 for none; a formatter turns the values
    /// into bytes on the workers.
    RunEvents(const RunInput& input, int watched, ExtractionRun::Formatter formatter = {})
        : m_wake{newCounter()}, m_watched(watched),
          m_run(
              input, [this](ExtractionRun::Readiness readiness) { wake(readiness); },
              ExtractionRun::defaultWorkerCount(), std::move(formatter)) {}

    /// Takes the next event; false when the run has ended. beforeWaiting runs whenever the
    /// workers have nothing ready, so what is held back can be handed on meanwhile.
    template <typename BeforeWaiting> bool next(RunEvent& event, BeforeWaiting beforeWaiting) {
        for (bool rearmed = false;;) {
            switch (m_run.poll(event)) {
            case ExtractionRun::Poll::Event:
                return true;
            case ExtractionRun::Poll::Finished:
                return false;
            case ExtractionRun::Poll::Pending:
                break;
            }
            if (!rearmed) {
                // From here on what the workers make ready signals again; look once more for
                // anything that came just before.
                m_signalled = false;
                rearmed = true;
                continue;
            }
            beforeWaiting();
            waitForWorkers();
            rearmed = false;
        }
    }

    ExtractionRun::Progress progress() const { return m_run.progress(); }

private:
    struct Descriptor {
        int fd;
        ~Descriptor() {
            if (fd >= 0)
                ::close(fd);
        }
    };

    // What the workers signal when they have something ready.
    static int newCounter() {
        const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (fd < 0)
            throw std::system_error(errno, std::generic_category(), "eventfd");
        return fd;
    }

    // Runs on the workers' threads. Waking this thread costs system calls on both sides, as
    // does each write it then makes, so output gathers until there is enough for a write or a
    // worker waits for it; a wait never lasts beyond LatencyMs, so that rows still reach a
    // reader promptly when they come slowly. Only the first signal since the last wait is sent.
    void wake(ExtractionRun::Readiness readiness) {
        if ((readiness.pressing || readiness.queuedBytes >= WakeBytes) &&
            !m_signalled.exchange(true))
            ::eventfd_write(m_wake.fd, 1);
    }

    // A pipe whose reader has closed it reports an error, asked for or not.
    void waitForWorkers() {
        pollfd fds[2] = {{m_wake.fd, POLLIN, 0}, {m_watched, 0, 0}};
        while (::poll(fds, 2, LatencyMs) < 0) {
            if (errno != EINTR)
                throw std::system_error(errno, std::generic_category(), "poll");
        }
        if (fds[1].revents & (POLLERR | POLLHUP))
            endForGoneReader();
        eventfd_t count = 0;
        ::eventfd_read(m_wake.fd, &count);
    }

    static constexpr std::size_t WakeBytes = 4 << 20;
    static constexpr int LatencyMs = 50;

    Descriptor m_wake; // declared before the run, so it outlives the workers that signal it
    std::atomic<bool> m_signalled{true};
    int m_watched;
    ExtractionRun m_run;
};

} // namespace tagmill::cli
