#include "command.h"
#include "driverpaycommand.h"
#include "generatecommand.h"
#include "initcommand.h"
#include "profitcommand.h"
#include "reportcommand.h"

namespace velmora::cli {

const std::vector<CommandRegistrar>& commands()
{
    static const std::vector<CommandRegistrar> all = {
        addInitCommand, addGenerateCommand, addReportCommand, addDriverPayCommand, addProfitCommand,
    };
    return all;
}

} // namespace velmora::cli
