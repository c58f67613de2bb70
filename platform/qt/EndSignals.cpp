#include "platform/qt/EndSignals.h"

#include <QSocketNotifier>
#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace tagmill::platform {

namespace {

constexpr int Caught[] = {SIGTERM, SIGHUP, SIGINT};

// The handler may only do what is safe in a signal handler: it writes one byte to this pipe,
// and the event loop does the rest.
int g_pipe[2] = {-1, -1};

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // Nothing can be reported from here. The write end never blocks; when the pipe is full it
    // already holds a wake, which is all this byte would add.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = saved;
}

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(signal, &action, nullptr) != 0)
        fail("sigaction");
}

} // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    if (g_pipe[0] != -1)
        throw std::logic_error("EndSignals: only one at a time");
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        fail("pipe2");
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndSignals::wake);
    for (const int signal : Caught)
        handle(signal, onSignal);
}

// Restoring the default action fails only for a signal that cannot be caught; ours all can.
EndSignals::~EndSignals() {
    for (const int signal : Caught)
        std::signal(signal, SIG_DFL);
    delete m_notifier;
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void EndSignals::wake() {
    char bytes[64];
    ssize_t count = 0;
    while ((count = read(g_pipe[0], bytes, sizeof bytes)) > 0) {
    }
    if (count < 0 && errno != EAGAIN && errno != EINTR)
        qCritical("tagmill: reading the signal pipe failed: %s", strerror(errno));
    emit received();
}

} // namespace tagmill::platform
