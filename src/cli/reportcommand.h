#pragma once

#include "command.h"

namespace velmora::cli {

// `report FILE --pdf OUT [--database PATH]`: renders the report definition FILE (a path,
// else a name in the reports folder) from the database to the PDF file OUT. On failure
// exits 1 with the report's error number and text on standard error.
void addReportCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
