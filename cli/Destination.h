#pragma once

#include "output/ReplacingFile.h"

#include <QIODevice>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tagmill::cli {

/// Where the output goes: standard output, or a file replaced whole (see ReplacingFile), so
/// that an earlier file of that name stays whole if anything fails. The first failure is kept;
/// nothing is written after it.
class Destination {
public:
    /// Standard output when no path is given.
    explicit Destination(const std::optional<QString>& path);

    /// Prepares the file for writing; false when it cannot be written, before anything is.
    bool open();
    /// Writes the bytes and clears them; false once any write has failed.
    bool write(std::string& bytes);
    /// Writes the bytes, left as they are; false once any write has failed.
    bool write(std::string_view bytes);
    /// Writes the pieces one after another, in one system call where it can.
    bool write(std::span<const std::string_view> pieces);
    /// Sends the bytes standard output holds on now, so that a message on standard error comes
    /// after them; a file gathers its bytes until finish().
    void flush();
    /// The destination as a device, for the writers of a whole table.
    QIODevice& device() { return *m_device; }
    /// Flushes standard output, or puts the file in place; false when any of the output failed.
    bool finish();

    /// True for standard output that is not a regular file: a pipe, a terminal or a device,
    /// where a reader may be waiting for each row.
    bool streams() const { return m_streams; }
    /// The descriptor whose reader's leaving ends the program, or -1 when there is none.
    int watchedDescriptor() const;

    /// Called before any bytes go to standard output, so that a progress line on the same
    /// terminal makes way for them.
    void beforeStandardOutput(std::function<void()> makeWay) { m_makeWay = std::move(makeWay); }

    bool ok() const { return m_error.isEmpty(); }
    /// Records a failure, unless one is recorded already.
    void fail(const QString& description);
    /// What a message names: the file's path as given, or "standard output".
    QString name() const { return m_name; }
    /// Why the output failed: the first failure's description.
    QString error() const { return m_error; }

private:
    class Device;
    bool writeAll(const char* data, std::size_t size);
    bool writeAllToStandardOutput(std::span<const std::string_view> pieces);
    void failStandardOutput();

    QString m_name;
    std::unique_ptr<ReplacingFile> m_file; // none for standard output
    std::unique_ptr<QIODevice> m_device;
    QString m_error;
    bool m_streams = false;
    std::function<void()> m_makeWay;
};

/// Ends the program at once, as a pipe whose reader has gone ends the tools of a pipeline: by
/// SIGPIPE, with no message. Nothing written after this could reach anyone.
[[noreturn]] void endForGoneReader();

} // namespace tagmill::cli
