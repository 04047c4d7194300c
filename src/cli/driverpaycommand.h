#pragma once

#include "command.h"

namespace velmora::cli {

// `driver-pay [--from-driver ID] [--to-driver ID] [--database PATH]`: the driver payment
// run of the driver payment screen over the percentage drivers numbered from ID to ID
// (the first and the last of them by default). Prints what it paid and the jobs it could
// not pay; exits 1 when the run fails, having changed nothing.
void addDriverPayCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
