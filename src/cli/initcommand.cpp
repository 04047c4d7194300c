#include "initcommand.h"

#include "commandoutput.h"
#include "data/dates.h"
#include "firm/demofirm.h"
#include "newdatabase.h"

#include <QDate>
#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace velmora::cli {

namespace {

struct InitOptions
{
    std::string database;
    std::string operatorName;
    bool demo = false;
};

int runInit(const InitOptions& options)
{
    QString error;
    const std::optional<NewDatabase> target =
        askNewDatabase(options.database, options.operatorName, &error);
    if (!target)
        return fail("init", error);

    const QDate demoDay = options.demo ? QDate::currentDate() : QDate();
    DatabaseFiller fill;
    if (demoDay.isValid())
        fill = [demoDay](QSqlDatabase& db, QString* reason) {
            return firm::addDemoFirm(db, demoDay, reason);
        };
    if (!createNewDatabase(*target, fill, &error))
        return fail("init", error);
    printCreated(*target);
    if (demoDay.isValid())
        printLine(
            stdout,
            QObject::tr("Added the demo firm, its jobs dated around %1").arg(storedDate(demoDay)));
    return 0;
}

} // namespace

void addInitCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<InitOptions>();
    CLI::App* init =
        app.add_subcommand("init", "Create a new database with its first operator, whose "
                                   "password is read from the first line of standard input");
    addNewDatabaseOptions(*init, options->database, options->operatorName);
    init->add_flag("--demo", options->demo, "Add a small demonstration firm dated around today");
    init->callback([&action, options] { action = [options] { return runInit(*options); }; });
}

} // namespace velmora::cli
