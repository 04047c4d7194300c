#pragma once

#include "command.h"

namespace velmora::cli {

// `generate [--database PATH] --operator NAME [--accounts N] [--drivers N] [--jobs N]
// [--seed S]`: creates a new database as init does, with its first operator, and fills
// it with a generated firm of that size whose work runs up to today (full size by
// default). The same seed on the same day gives the same rows. Progress goes to standard
// error when it is a terminal.
void addGenerateCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
