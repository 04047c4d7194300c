#pragma once

#include "command.h"

namespace velmora::cli {

// velmora-cli check [--database PATH]: SQLite's integrity check and ours on a database;
// exits with 1 when it finds a fault or cannot open the file.
void addCheckCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
