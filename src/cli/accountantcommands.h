#pragma once

#include "command.h"

namespace velmora::cli {

// `profit-and-loss [--from DD/MM/YYYY --to DD/MM/YYYY] [--pdf FILE] [--database PATH]`:
// the firm's profit and loss month by month (last quarter by default); with --pdf writes
// profitandloss.rpt to FILE.
void addProfitAndLossCommand(CLI::App& app, CommandAction& action);

// `vat-return [--from DD/MM/YYYY --to DD/MM/YYYY] [--pdf FILE] [--database PATH]`: the nine
// boxes of the VAT return (last quarter by default) and the rates behind them; with --pdf
// writes vatreturn.rpt to FILE.
void addVatReturnCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
