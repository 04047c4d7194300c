#include "command.h"
#include "initcommand.h"

namespace velmora::cli {

const std::vector<CommandRegistrar>& commands()
{
    static const std::vector<CommandRegistrar> all = {
        addInitCommand,
    };
    return all;
}

} // namespace velmora::cli
