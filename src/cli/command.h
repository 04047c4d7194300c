#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace velmora::cli {

// What a parsed subcommand runs: returns the process exit code.
using CommandAction = std::function<int()>;

// Each subcommand lives in its own file and registers itself with a function of this
// shape, which adds the subcommand to `app` and, when it is chosen, sets `action`.
using CommandRegistrar = void (*)(CLI::App& app, CommandAction& action);

// Adds the option --database that most subcommands take, into `database`.
void addDatabaseOption(CLI::App& command, std::string& database);

// Every subcommand of velmora-cli, in the order --help lists them (commands.cpp).
const std::vector<CommandRegistrar>& commands();

} // namespace velmora::cli
