#include "transfercommands.h"

#include "commandoutput.h"
#include "data/backup.h"
#include "data/database.h"
#include "exchange/transfer.h"
#include "terminalprogress.h"

#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-transfer";

struct TransferOptions
{
    std::string file;
    std::string database;
    bool force = false;
};

using Routine =
    std::function<exchange::TransferOutcome(const QSqlDatabase&, const TransferOptions&)>;

// An import's progress on one line of standard error when that is a terminal.
exchange::TransferProgress onTerminal(const char* what)
{
    firm::FirmProgress line = terminalProgress();
    if (!line)
        return {};
    return [line = std::move(line), what](qint64 done, qint64 total) {
        if (total > 0)
            line(what, done, total);
        return true;
    };
}

// A routine's message as terminal lines.
QString asLines(const QString& message)
{
    QStringList lines = message.split(QStringLiteral("\r\n"));
    for (QString& line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

// Opens the database, saves a copy first when `safetyCopy`, runs `routine` on the file
// and reports; the connection is gone again when it returns.
int runRoutine(const char* command, const TransferOptions& options, bool safetyCopy,
               const Routine& routine)
{
    QString error;
    exchange::TransferOutcome outcome;
    std::optional<QString> copy = QString();
    {
        // A routine that writes to the database saves a copy of it first; one that does
        // not also works on a read-only file.
        const QString path = databasePath(QString::fromStdString(options.database));
        const QString connection = QString::fromLatin1(kConnection);
        QSqlDatabase db = safetyCopy ? openDatabase(path, connection, &error)
                                     : openDatabaseToRead(path, connection, &error);
        if (!db.isValid())
            return fail(command, error);
        // No copy is made for a file that cannot be imported.
        if (safetyCopy)
            outcome.message = exchange::transferFileProblem(QString::fromStdString(options.file));
        if (safetyCopy && outcome.message.isEmpty())
            copy = writeSafetyCopy(db, &error);
        if (copy && outcome.message.isEmpty())
            outcome = routine(db, options);
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    if (!copy)
        return fail(command, QObject::tr("nothing was imported, because the database could "
                                         "not be copied first: %1")
                                 .arg(error));
    for (const QString& rejected : outcome.rejections)
        printLine(stderr, asLines(rejected));
    if (!outcome.completed)
        return fail(command, asLines(outcome.message));
    printLine(stdout, asLines(outcome.message));
    if (!copy->isEmpty())
        printLine(stdout, QObject::tr("The database as it was before is saved as %1.").arg(*copy));
    return 0;
}

void addRoutine(CLI::App& app, CommandAction& action, const char* name, const char* help,
                const char* fileHelp, bool safetyCopy, Routine routine)
{
    auto options = std::make_shared<TransferOptions>();
    CLI::App* command = app.add_subcommand(name, help);
    command->add_option("file", options->file, fileHelp)->required();
    if (!safetyCopy)
        command->add_flag("--force", options->force,
                          "Replace the file when it exists already (never the database)");
    addDatabaseOption(*command, options->database);
    command->callback([&action, options, name, safetyCopy, routine] {
        action = [options, name, safetyCopy, routine] {
            return runRoutine(name, *options, safetyCopy, routine);
        };
    });
}

} // namespace

void addImportJobsCommand(CLI::App& app, CommandAction& action)
{
    addRoutine(app, action, "import-jobs", "Import the jobs of another office's transfer file",
               "The jobs transfer file", true,
               [](const QSqlDatabase& db, const TransferOptions& o) {
                   return exchange::import_job_transfer(db, QString::fromStdString(o.file),
                                                        onTerminal("jobs"));
               });
}

void addImportCostsCommand(CLI::App& app, CommandAction& action)
{
    addRoutine(app, action, "import-costs",
               "Import the cost lines of another office's transfer file", "The costs transfer file",
               true, [](const QSqlDatabase& db, const TransferOptions& o) {
                   return exchange::import_cost_transfer(db, QString::fromStdString(o.file),
                                                         onTerminal("costs"));
               });
}

void addExportAccountsCommand(CLI::App& app, CommandAction& action)
{
    addRoutine(app, action, "export-accounts", "Write every account to a transfer file",
               "The accounts transfer file to write (replaced only with --force)", false,
               [](const QSqlDatabase& db, const TransferOptions& o) {
                   return exchange::export_account_transfer(db, QString::fromStdString(o.file),
                                                            o.force);
               });
}

} // namespace velmora::cli
