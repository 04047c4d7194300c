#pragma once

#include "command.h"

namespace velmora::cli {

// velmora-cli audit [--since DD/MM/YYYY] [--job A51] [--database PATH]: lists the audit
// trail's entries in the order they were written.
void addAuditCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
