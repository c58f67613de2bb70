#pragma once

#include <QIODevice>

#include <algorithm>
#include <stop_token>
#include <string>
#include <string_view>

namespace tagmill {

/// Gathers a writer's bytes and hands them to the device a megabyte at a time. Once a write
/// fails, or the writer is asked to stop, it takes nothing more and the writer ends early.
class DeviceSink {
public:
    DeviceSink(QIODevice& device, std::stop_token stop) : m_device(device), m_stop(stop) {}

    /// Where the writer appends its bytes.
    std::string& out() { return m_buffer; }
    /// False once the writer should end: a write failed or it was asked to stop.
    bool ok() const { return !m_failed && !m_stop.stop_requested(); }
    /// Hands the bytes over once there are enough of them; returns ok().
    bool flushIfFull() {
        if (m_buffer.size() >= FlushBytes)
            flush();
        return ok();
    }
    /// Hands over the bytes gathered so far, then these, and empties them; returns ok().
    bool put(std::string& bytes) {
        flush();
        m_buffer.swap(bytes);
        flush();
        return ok();
    }
    /// Hands over what is left; true when every byte reached the device.
    bool finish() {
        flush();
        return ok();
    }

private:
    static constexpr std::size_t FlushBytes = 1 << 20;

    // A file may take only part of the bytes (a file size limit does that); the rest is
    // offered again, so a real failure shows as one.
    void flush() {
        std::string_view rest = m_buffer;
        while (ok() && !rest.empty()) {
            const qint64 written = m_device.write(rest.data(), qint64(rest.size()));
            m_failed = written <= 0;
            rest.remove_prefix(std::size_t(std::max<qint64>(written, 0)));
        }
        m_buffer.clear();
    }

    QIODevice& m_device;
    std::stop_token m_stop;
    std::string m_buffer;
    bool m_failed = false;
};

/// Appends a QString as UTF-8.
inline void appendUtf8(std::string& out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    out.append(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace tagmill
