#include "copycommand.h"

#include "commandoutput.h"
#include "data/database.h"
#include "data/databaselocation.h"
#include "data/firmcopy.h"
#include "stagedfile.h"
#include "terminalprogress.h"

#include <QFileInfo>
#include <QObject>
#include <QSqlDatabase>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace velmora::cli {

namespace {

const char* const kSource = "velmora-cli-copy-from";
const char* const kTarget = "velmora-cli-copy-to";

struct CopyOptions
{
    std::string from;
    std::string to;
};

// Copies the open `source` into the empty database `target` (a file path or an address).
bool copyInto(const QSqlDatabase& source, const QString& target, QString* error)
{
    const QString connection = QString::fromLatin1(kTarget);
    bool done = false;
    {
        QSqlDatabase db = openEmptyDatabase(target, connection, error);
        if (!db.isValid())
            return false;
        done = copyFirm(source, db, terminalProgress(), error);
    }
    closeDatabase(connection);
    return done;
}

bool copy(const QString& from, const QString& to, QString* error)
{
    if (!parseDatabaseLocation(to, error))
        return false;
    // A new file is built under a staging name and appears only when whole.
    std::optional<StagedFile> file;
    if (!isServerAddress(to)) {
        file.emplace(to);
        if (!file->begin(error))
            return false;
    }
    const QString connection = QString::fromLatin1(kSource);
    bool done = false;
    {
        const QSqlDatabase source = openDatabaseToRead(from, connection, error);
        done = source.isValid() && copyInto(source, file ? file->stagingPath() : to, error);
    }
    closeDatabase(connection);
    return done && (!file || file->commit(error));
}

int runCopy(const CopyOptions& options)
{
    const QString from = QString::fromStdString(options.from);
    QString to = QString::fromStdString(options.to);
    if (!isServerAddress(to))
        to = QFileInfo(to).absoluteFilePath();
    QString error;
    if (!copy(from, to, &error))
        return fail("copy", error);
    printLine(stdout, QObject::tr("Copied the firm from %1 to %2").arg(from, to));
    return 0;
}

} // namespace

void addCopyCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<CopyOptions>();
    CLI::App* copy = app.add_subcommand(
        "copy", "Copy a whole firm between an SQLite file and a PostgreSQL server database "
                "(postgresql://USER@HOST[:PORT]/NAME): into a new file or an empty server "
                "database, whole or not at all");
    copy->add_option("--from", options->from, "The firm's database file or address")->required();
    copy->add_option("--to", options->to, "The new file, or an empty server database")->required();
    copy->callback([&action, options] { action = [options] { return runCopy(*options); }; });
}

} // namespace velmora::cli
