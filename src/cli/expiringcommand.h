#pragma once

#include "command.h"

namespace velmora::cli {

// velmora-cli expiring [--days N] [--database PATH]: the vehicle and driver documents that
// have run out or run out within N days (the firm's warning horizon by default), soonest
// first; exits with 1 when one has run out.
void addExpiringCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
