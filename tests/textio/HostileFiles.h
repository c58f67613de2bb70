#pragma once

#include "TempFiles.h"
#include "textio/FileBytes.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tagmill::test {

/// An entry no run can read, and what the run must say about it.
struct HostileEntry {
    QString name; ///< for the test's messages
    QString path;
    QString description;
};

/// A temporary folder holding one readable file, and FIFOs, sockets, links and paths that no reader
/// may block on or read forever.
class HostileFiles : public TempFiles {
protected:
    ~HostileFiles() override {
        if (m_socket >= 0)
            ::close(m_socket);
    }

    /// A file holding "<a>1</a>".
    QString good() { return write("good.xml", "<a>1</a>"); }

    std::vector<HostileEntry> hostileEntries() {
        const QString file = good();
        std::vector<HostileEntry> entries{
            {"FIFO", fifo(), "Not a regular file"},
            {"socket", boundSocket(), "Not a regular file"},
            {"/dev/zero", "/dev/zero", "Not a regular file"},
            {"/dev/urandom", "/dev/urandom", "Not a regular file"},
            {"/dev/null", "/dev/null", "Not a regular file"},
            {"folder", folder(), "Is a directory"},
            {"link loop", linkLoop(), "Too many levels of symbolic links"},
            {"path through a file", file + "/x", "Not a directory"},
            {"missing file", pathOf("missing.xml"), "No such file or directory"},
            {"dangling link", link("dangling", "missing.xml"), "No such file or directory"},
            {"name holding a NUL", file + QChar(0) + "x", "No such file or directory"},
            {"link to a FIFO", link("to-fifo", "fifo"), "Not a regular file"},
        };
        if (const QString device = blockDevice(); !device.isEmpty())
            entries.push_back({"block device", device, "Not a regular file"});
        return entries;
    }

    QString fifo() {
        const QString path = pathOf("fifo");
        if (!QFileInfo::exists(path)) {
            EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }
        return path;
    }

    QString boundSocket() {
        const QString path = pathOf("socket");
        const QByteArray native = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        EXPECT_LT(std::size_t(native.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, native.constData(), std::size_t(native.size()));
        m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        EXPECT_GE(m_socket, 0);
        EXPECT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return path;
    }

    QString folder() {
        EXPECT_TRUE(QDir(m_dir.path()).mkpath("folder"));
        return pathOf("folder");
    }

    QString linkLoop() { return link("loop", "loop"); }

    QString link(const QString& name, const QString& target) {
        const QString path = pathOf(name);
        EXPECT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()),
            0);
        return path;
    }

    /// A block device of this machine, or an empty text when none can be seen.
    static QString blockDevice() {
        for (const QString& name : QDir("/dev").entryList(QDir::System)) {
            struct stat info {};
            const QString path = "/dev/" + name;
            if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISBLK(info.st_mode))
                return path;
        }
        return {};
    }

private:
    int m_socket = -1;
};

/// The system calls of FileBytes, passed on to the system's own after doing what the test
/// says; in force while it lives. Only the open failure and the counts suit several readers.
class ScriptedCalls : public detail::FileCalls {
public:
    ScriptedCalls() : m_before(detail::setFileCalls(this)) {}
    ~ScriptedCalls() override { detail::setFileCalls(m_before); }

    QByteArray failOpenOf;                       ///< the path that open fails for with openError
    int openError = 0;                           ///< 0: open never fails
    std::function<void(const char*)> beforeOpen; ///< done before the system's open
    std::function<void()> beforeFirstRead;       ///< done once, before the first read
    int readError = 0;                           ///< 0: read never fails
    int interruptions = 0;                       ///< reads that fail with EINTR first
    std::size_t readLimit = 0;                   ///< most bytes one read gives; 0: no limit
    std::atomic<int> opened = 0;                 ///< descriptors opened
    std::atomic<int> closed = 0;                 ///< descriptors closed

    int open(const char* path, int flags) override {
        if (openError != 0 && (failOpenOf.isEmpty() || failOpenOf == path)) {
            errno = openError;
            return -1;
        }
        if (beforeOpen)
            beforeOpen(path);
        const int fd = FileCalls::open(path, flags);
        opened += fd >= 0;
        return fd;
    }
    ssize_t read(int fd, void* buffer, std::size_t size) override {
        if (beforeFirstRead)
            std::exchange(beforeFirstRead, {})();
        if (interruptions > 0) {
            --interruptions;
            errno = EINTR;
            return -1;
        }
        if (readError != 0) {
            errno = readError;
            return -1;
        }
        return FileCalls::read(fd, buffer, readLimit > 0 ? std::min(size, readLimit) : size);
    }
    int close(int fd) override {
        ++closed;
        return FileCalls::close(fd);
    }

private:
    detail::FileCalls* m_before;
};

/// Does `work` on a thread of its own and gives its result. Work that has not ended within a
/// generous 30 s blocks or never ends: the test program then says so and exits at once, since
/// the thread cannot be stopped, so that the fault fails the test instead of hanging it. This
/// is a guard against hanging, not a measure of speed.
template <typename Work> auto finishedWithin30s(const QString& what, Work work) {
    std::packaged_task<decltype(work())()> task(std::move(work));
    auto result = task.get_future();
    std::thread thread(std::move(task));
    if (result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        std::fprintf(stderr, "%s: still running after 30 s; a read blocks or never ends\n",
                     qPrintable(what));
        std::fflush(stderr);
        std::_Exit(1);
    }
    thread.join();
    return result.get();
}

} // namespace tagmill::test
