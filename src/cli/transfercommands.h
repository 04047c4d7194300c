#pragma once

#include "command.h"

namespace velmora::cli {

// `import-jobs FILE [--database PATH]` and `import-costs FILE [--database PATH]`: import a
// transfer file of another installation after saving a copy of the database beside it;
// the summary goes to standard output and each rejected record to standard error. Exits
// 1 when the file could not be processed (nothing of it is then kept).
void addImportJobsCommand(CLI::App& app, CommandAction& action);
void addImportCostsCommand(CLI::App& app, CommandAction& action);

// `export-accounts FILE [--database PATH]`: writes every account to a transfer file.
void addExportAccountsCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
