#pragma once

#include "command.h"

namespace velmora::cli {

// `backup [--to FILE] [--database PATH]`: copies the database with SQLite's online backup,
// to FILE (which must not exist) or else to a timestamped copy beside it, of which the
// newest ten are kept.
void addBackupCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
