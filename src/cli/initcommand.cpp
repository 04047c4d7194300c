#include "initcommand.h"

#include "data/dates.h"
#include "demofirm.h"
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

void printLine(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int fail(const QString& reason)
{
    printLine(stderr, QStringLiteral("velmora-cli init: ") + reason);
    return 1;
}

int runInit(const InitOptions& options)
{
    QString error;
    const std::optional<NewDatabase> target =
        askNewDatabase(options.database, options.operatorName, &error);
    if (!target)
        return fail(error);

    const QDate demoDay = options.demo ? QDate::currentDate() : QDate();
    DatabaseFiller fill;
    if (demoDay.isValid())
        fill = [demoDay](QSqlDatabase& db, QString* reason) {
            return addDemoFirm(db, demoDay, reason);
        };
    if (!createNewDatabase(*target, fill, &error))
        return fail(error);
    printLine(stdout, QObject::tr("Created the database %1").arg(target->path));
    printLine(
        stdout,
        QObject::tr("First operator: %1 (%2)").arg(target->operatorName, firstOperatorLevel()));
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
    init->add_option("--database", options->database,
                     "The new database file (default: $VELMORA_DATABASE, else "
                     "database/taxi.mdb beside the program)");
    init->add_option("--operator", options->operatorName, "The first operator's user name")
        ->required();
    init->add_flag("--demo", options->demo, "Add a small demonstration firm dated around today");
    init->callback([&action, options] { action = [options] { return runInit(*options); }; });
}

} // namespace velmora::cli
