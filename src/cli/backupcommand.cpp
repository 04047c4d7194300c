#include "backupcommand.h"

#include "commandoutput.h"
#include "data/backup.h"
#include "data/database.h"

#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

namespace velmora::cli {

namespace {

const char* const kConnection = "velmora-cli-backup";

struct BackupOptions
{
    std::string to;
    std::string database;
};

int runBackup(const BackupOptions& options)
{
    QString error;
    std::optional<QString> copy;
    {
        // A copy only reads the database, so a read-only one can be copied too.
        QSqlDatabase db = openDatabaseToRead(databasePath(QString::fromStdString(options.database)),
                                             QString::fromLatin1(kConnection), &error);
        if (!db.isValid())
            return fail("backup", error);
        if (options.to.empty()) {
            copy = writeSafetyCopy(db, &error);
        } else {
            const QString target = QString::fromStdString(options.to);
            if (backupDatabase(db, target, &error))
                copy = target;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    if (!copy)
        return fail("backup", error);
    printLine(stdout, QObject::tr("The database is copied to %1.").arg(*copy));
    return 0;
}

} // namespace

void addBackupCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<BackupOptions>();
    CLI::App* backup =
        app.add_subcommand("backup", "Copy the database while it may be in use elsewhere");
    backup->add_option("--to", options->to,
                       "The copy to write (must not exist; default: a timestamped copy beside "
                       "the database, of which the newest ten are kept)");
    addDatabaseOption(*backup, options->database);
    backup->callback([&action, options] { action = [options] { return runBackup(*options); }; });
}

} // namespace velmora::cli
