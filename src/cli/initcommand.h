#pragma once

#include "command.h"

namespace velmora::cli {

// `init [--database PATH] --operator NAME [--demo]`: creates a new database with the
// schema and its first operator, an Administrator whose password is the first line of
// standard input; --demo adds the demonstration firm dated around today. Refuses an
// existing file and an empty password.
void addInitCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
