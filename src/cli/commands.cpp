#include "accountantcommands.h"
#include "auditcommand.h"
#include "backupcommand.h"
#include "checkcommand.h"
#include "command.h"
#include "copycommand.h"
#include "driverpaycommand.h"
#include "expiringcommand.h"
#include "generatecommand.h"
#include "grantcommand.h"
#include "initcommand.h"
#include "invoicecommand.h"
#include "mailcommands.h"
#include "profitcommand.h"
#include "reportcommand.h"
#include "statementscommand.h"
#include "transfercommands.h"

#include <CLI/CLI.hpp>

namespace velmora::cli {

const std::vector<CommandRegistrar>& commands()
{
    static const std::vector<CommandRegistrar> all = {
        addInitCommand,         addGenerateCommand,      addReportCommand,
        addInvoiceCommand,      addDriverPayCommand,     addProfitCommand,
        addImportJobsCommand,   addImportCostsCommand,   addExportAccountsCommand,
        addBackupCommand,       addCheckCommand,         addCopyCommand,
        addStatementsCommand,   addProfitAndLossCommand, addVatReturnCommand,
        addMailSettingsCommand, addEmailInvoicesCommand, addEmailStatementsCommand,
        addAuditCommand,        addExpiringCommand,      addGrantCommand,
    };
    return all;
}

void addDatabaseOption(CLI::App& command, std::string& database)
{
    command.add_option("--database", database,
                       "The database file or postgresql:// address (default: "
                       "$VELMORA_DATABASE, else database/taxi.mdb beside the program)");
}

} // namespace velmora::cli
