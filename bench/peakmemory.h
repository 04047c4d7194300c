#pragma once

#include <QByteArray>

#include <optional>

namespace velmora::bench {

// Starts a new peak of the process's resident memory at what it holds now (Linux: "5" into
// /proc/self/clear_refs). False where the system does not allow it.
bool resetPeakMemory();

// The highest resident memory of the process since the last reset (or since it started),
// in megabytes; nullopt where the system does not tell.
std::optional<double> peakMemoryMb();

// The VmHWM line of a /proc/<pid>/status text in megabytes; nullopt without one.
std::optional<double> peakFromStatus(const QByteArray& status);

} // namespace velmora::bench
