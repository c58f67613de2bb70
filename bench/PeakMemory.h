#pragma once

#include <QFile>

/// The process's peak resident memory in KiB, from /proc; -1 where that cannot be read.
inline qint64 peakMemoryKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
