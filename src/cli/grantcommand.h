#pragma once

#include "command.h"

namespace velmora::cli {

// velmora-cli grant --database URL --role ROLE: lets the server role the desks log in as
// read and write the firm's tables, which only the owner may create, alter or drop.
void addGrantCommand(CLI::App& app, CommandAction& action);

} // namespace velmora::cli
