#pragma once

#include <QString>

#include <cstdio>

namespace velmora::cli {

// Writes `text` and a line end to `stream`, in the local encoding.
void printLine(std::FILE* stream, const QString& text);

// Says on standard error why the subcommand `command` failed; returns the exit code 1.
int fail(const char* command, const QString& reason);

} // namespace velmora::cli
