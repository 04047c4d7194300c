#include "peakmemory.h"

#include <QFile>

namespace velmora::bench {

bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

std::optional<double> peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A file under /proc has no size: it is read to its end.
    return peakFromStatus(status.readAll());
}

std::optional<double> peakFromStatus(const QByteArray& status)
{
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith("VmHWM:"))
            continue;
        // "VmHWM:     12345 kB"
        const QList<QByteArray> parts = line.mid(6).simplified().split(' ');
        bool number = false;
        const double kilobytes = parts.value(0).toDouble(&number);
        if (!number || parts.value(1) != "kB")
            return std::nullopt;
        return kilobytes / 1024.0;
    }
    return std::nullopt;
}

} // namespace velmora::bench
