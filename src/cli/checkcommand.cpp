#include "checkcommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/integrity.h"
#include "data/readonly.h"

#include <QObject>
#include <QSqlDatabase>
#include <QStringList>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-check";

int runCheck(const std::string& database)
{
    const QString path = databasePath(QString::fromStdString(database));
    QString error;
    QStringList faults;
    QStringList notes;
    bool checked = false;
    {
        // Opened as the program opens it, so that what it refuses is reported alike; a
        // read-only file is checked as it stands.
        QSqlDatabase db = openDatabaseToRead(path, QString::fromLatin1(kConnection), &error);
        if (db.isValid())
            checked = checkIntegrity(db, &faults, &error, &notes);
        if (checked && isReadOnly(db))
            printLine(stdout, QObject::tr("The file is read-only, so the jobs' text index was "
                                          "not compared with the jobs."));
    }
    closeDatabase(QString::fromLatin1(kConnection));
    if (!checked)
        return fail("check", error);
    for (const QString& line : notes + faults)
        printLine(stdout, line);
    if (faults.isEmpty()) {
        printLine(stdout, QObject::tr("No faults found in %1").arg(path));
        return 0;
    }
    printLine(stdout,
              QObject::tr("%n fault(s) found in %1", nullptr, int(faults.size())).arg(path));
    return 1;
}

} // namespace

void addCheckCommand(CLI::App& app, CommandAction& action)
{
    auto database = std::make_shared<std::string>();
    CLI::App* check = app.add_subcommand(
        "check",
        "Check a database: SQLite's integrity check (of a file), then rows that name what does "
        "not exist and counters behind their tables; exits with 1 on a fault");
    check->add_option("--database", *database,
                      "The database file or postgresql:// address (default: "
                      "$VELMORA_DATABASE, else database/taxi.mdb beside the program)");
    check->callback([&action, database] { action = [database] { return runCheck(*database); }; });
}

} // namespace velmora::cli
