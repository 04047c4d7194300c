#include "serverfirm.h"

#include "cli/terminalprogress.h"
#include "data/database.h"
#include "data/firmcopy.h"
#include "data/serverdatabase.h"
#include "data/sql.h"

#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QSqlQuery>

namespace velmora::bench {

namespace {

const char* const kAdmin = "velmora-bench-server";
const char* const kCopy = "velmora-bench-server-copy";
const char* const kSource = "velmora-bench-server-source";
const QString kRunName = QStringLiteral("velmora_bench_run");

QString address(const DatabaseLocation& location)
{
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(location.user, location.host)
        .arg(location.port)
        .arg(location.name);
}

// The template's name: the firm file's name, which carries the generator's version, the
// schema and the size, so that a firm generated anew gets a template of its own.
QString templateName(const QString& firmFile)
{
    QString name = QFileInfo(firmFile).completeBaseName().toLower();
    name.replace(QRegularExpression(QStringLiteral("[^a-z0-9]")), QStringLiteral("_"));
    return (QStringLiteral("velmora_bench_") + name).left(63);
}

// Runs each statement on a connection to the server's named database, outside any
// transaction (CREATE and DROP DATABASE run only so).
bool administer(const DatabaseLocation& server, const QStringList& statements, QString* error)
{
    bool done = true;
    {
        QSqlDatabase db = connectServer(server, QString::fromLatin1(kAdmin), error);
        if (!db.isValid())
            return false;
        QSqlQuery query(db);
        for (const QString& statement : statements) {
            if (!(done = execute(query, statement, error)))
                break;
        }
    }
    closeDatabase(QString::fromLatin1(kAdmin));
    return done;
}

std::optional<bool> exists(const DatabaseLocation& server, const QString& name, QString* error)
{
    bool found = false;
    bool read = false;
    {
        QSqlDatabase db = connectServer(server, QString::fromLatin1(kAdmin), error);
        if (!db.isValid())
            return std::nullopt;
        QSqlQuery query(db);
        read = run(query, QStringLiteral("select 1 from pg_database where datname = ?"), {name},
                   error);
        found = read && query.next();
    }
    closeDatabase(QString::fromLatin1(kAdmin));
    return read ? std::optional<bool>(found) : std::nullopt;
}

// Copies the firm's file into the new database `name`, then gathers the planner's
// statistics, as a firm copied to a server would be set up.
bool copyInto(const DatabaseLocation& server, const QString& firmFile, const QString& name,
              QString* error)
{
    DatabaseLocation target = server;
    target.name = name;
    bool done = false;
    {
        QSqlDatabase source = openDatabaseToRead(firmFile, QString::fromLatin1(kSource), error);
        QSqlDatabase db =
            source.isValid() ? openEmptyDatabase(address(target), QString::fromLatin1(kCopy), error)
                             : QSqlDatabase();
        if (db.isValid() && copyFirm(source, db, cli::terminalProgress(), error)) {
            QSqlQuery query(db);
            done = execute(query, QStringLiteral("analyze"), error);
        }
    }
    closeDatabase(QString::fromLatin1(kCopy));
    closeDatabase(QString::fromLatin1(kSource));
    return done;
}

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

} // namespace

std::unique_ptr<ServerFirm> ServerFirm::make(const DatabaseLocation& server,
                                             const QString& firmFile, QString* error)
{
    const QString kept = templateName(firmFile);
    const QString building = kept.left(54) + QStringLiteral("_building");
    const std::optional<bool> found = exists(server, kept, error);
    if (!found)
        return nullptr;
    // A copy stopped part-way left its database under the building name: it starts again.
    if (!*found && !(administer(server,
                                {QStringLiteral("drop database if exists ") + quoted(building),
                                 QStringLiteral("create database ") + quoted(building)},
                                error) &&
                     copyInto(server, firmFile, building, error) &&
                     administer(server,
                                {QStringLiteral("alter database %1 rename to %2")
                                     .arg(quoted(building), quoted(kept))},
                                error)))
        return nullptr;
    if (!administer(
            server,
            {QStringLiteral("drop database if exists ") + quoted(kRunName),
             QStringLiteral("create database %1 template %2").arg(quoted(kRunName), quoted(kept))},
            error))
        return nullptr;
    DatabaseLocation run = server;
    run.name = kRunName;
    return std::unique_ptr<ServerFirm>(new ServerFirm(server, std::move(run)));
}

bool ServerFirm::drop(QString* error)
{
    return administer(m_server, {QStringLiteral("drop database if exists ") + quoted(kRunName)},
                      error);
}

QString ServerFirm::address() const { return velmora::bench::address(m_run); }

} // namespace velmora::bench
