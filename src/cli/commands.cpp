#include "checkcommand.h"
#include "command.h"
#include "generatecommand.h"
#include "initcommand.h"
#include "reportcommand.h"

namespace velmora::cli {

const std::vector<CommandRegistrar>& commands()
{
    static const std::vector<CommandRegistrar> all = {
        addInitCommand,
        addGenerateCommand,
        addReportCommand,
        addCheckCommand,
    };
    return all;
}

} // namespace velmora::cli
