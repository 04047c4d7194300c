#pragma once

#include "command.h"

namespace velmora::cli {

// `invoice [--from-account ID] [--to-account ID] [--database PATH]`: the invoice run over
// the accounts from ID to ID (by default every account). Prints the run's totals and the
// invoice numbers it made, or that there was nothing to invoice; exits 1 on failure, when
// nothing is written.
void addInvoiceCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
