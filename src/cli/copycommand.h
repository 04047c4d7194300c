#pragma once

#include "command.h"

namespace velmora::cli {

// velmora-cli copy --from FILE_OR_URL --to FILE_OR_URL: copies a whole firm between an
// SQLite file and a server database (either way, or file to file), whole or not at all:
// a new file appears only when complete, a server database stays empty on a failure.
// A target that holds a firm (an existing file, a server database with tables) is refused.
void addCopyCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
