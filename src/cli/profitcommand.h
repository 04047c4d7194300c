#pragma once

#include "command.h"

namespace velmora::cli {

// `profit --from DD/MM/YYYY --to DD/MM/YYYY [--pdf FILE] [--database PATH]`: the
// profitability run of the profitability screen over the period, both days included.
// Prints the lines and the firm's total and, with --pdf, writes profitability.rpt to FILE.
// Exits 1 on a date that is not one or a failing run or report.
void addProfitCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
