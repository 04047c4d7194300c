#pragma once

#include "command.h"

namespace velmora::cli {

// `statements --date DD/MM/YYYY [--from-account ID] [--to-account ID] --pdf FILE [--force]
// [--database PATH]`: builds the statements of the accounts whose names lie between those
// of the two accounts (by default the first and the last name) since the date, as the
// statement screen does, and prints accounts.rpt to the PDF file.
void addStatementsCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
