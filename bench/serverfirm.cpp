#include "serverfirm.h"

#include "cli/terminalprogress.h"
#include "data/database.h"
#include "data/firmcopy.h"
#include "data/serverdatabase.h"
#include "data/sql.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QSqlQuery>

namespace velmora::bench {

namespace {

const char* const kAdmin = "velmora-bench-server";
const char* const kCopy = "velmora-bench-server-copy";
const char* const kSource = "velmora-bench-server-source";
// Each run's own copy of the firm, named after the database the run was pointed at, so that
// runs pointed at different databases of one server do not drop each other's copy.
QString runName(const DatabaseLocation& server) { return server.name + QStringLiteral("_run"); }

QString address(const DatabaseLocation& location)
{
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(location.user, location.host)
        .arg(location.port)
        .arg(location.name);
}

// The start of the firm's templates' names: the firm file's name, which carries the
// generator's version, the schema and the size, so that a firm generated anew gets a template
// of its own (a name of 63 characters at most, with the stamp or "building" after).
QString templatePrefix(const QString& firmFile)
{
    QString name = QFileInfo(firmFile).completeBaseName().toLower();
    name.replace(QRegularExpression(QStringLiteral("[^a-z0-9]")), QStringLiteral("_"));
    return (QStringLiteral("velmora_bench_") + name).left(54) + QLatin1Char('_');
}

// The template's name: its prefix and the file's size and time of change. The cases write to
// the kept file (a payment, a job's lines), so a template made from it before would hold
// other rows than the file whose rows the baselines read.
QString templateName(const QString& firmFile)
{
    const QFileInfo file(firmFile);
    const QByteArray state = QByteArray::number(file.size()) + ' ' +
                             QByteArray::number(file.lastModified().toMSecsSinceEpoch());
    return templatePrefix(firmFile) +
           QString::fromLatin1(
               QCryptographicHash::hash(state, QCryptographicHash::Sha1).toHex().left(8));
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

// The names of the server's databases that start with `prefix`.
std::optional<QStringList> databasesStarting(const DatabaseLocation& server, const QString& prefix,
                                             QString* error)
{
    QStringList names;
    bool read = false;
    {
        QSqlDatabase db = connectServer(server, QString::fromLatin1(kAdmin), error);
        if (!db.isValid())
            return std::nullopt;
        QSqlQuery query(db);
        read =
            run(query, QStringLiteral("select datname from pg_database where left(datname, ?) = ?"),
                {static_cast<int>(prefix.size()), prefix}, error);
        while (read && query.next())
            names << query.value(0).toString();
    }
    closeDatabase(QString::fromLatin1(kAdmin));
    return read ? std::optional<QStringList>(names) : std::nullopt;
}

// Copies the firm's file into the new database `name`, then vacuums it and gathers the
// planner's statistics, as the server's autovacuum leaves a firm's tables soon after they
// are written (an index-only scan then reads no table rows).
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
            done = execute(query, QStringLiteral("vacuum analyze"), error);
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
    const QString building = templatePrefix(firmFile) + QStringLiteral("building");
    const std::optional<QStringList> found =
        databasesStarting(server, templatePrefix(firmFile), error);
    if (!found)
        return nullptr;
    // The templates of the file as it was before, and a copy stopped part-way under the
    // building name, are dropped; the file is copied again.
    QStringList rebuild;
    for (const QString& old : *found)
        rebuild << QStringLiteral("drop database if exists ") + quoted(old);
    rebuild << QStringLiteral("create database ") + quoted(building);
    if (!found->contains(kept) &&
        !(administer(server, rebuild, error) && copyInto(server, firmFile, building, error) &&
          administer(server,
                     {QStringLiteral("alter database %1 rename to %2")
                          .arg(quoted(building), quoted(kept))},
                     error)))
        return nullptr;
    if (!administer(
            server,
            {QStringLiteral("drop database if exists ") + quoted(runName(server)),
             QStringLiteral("create database %1 template %2")
                 .arg(quoted(runName(server)), quoted(kept))},
            error))
        return nullptr;
    DatabaseLocation run = server;
    run.name = runName(server);
    return std::unique_ptr<ServerFirm>(new ServerFirm(server, std::move(run)));
}

bool ServerFirm::drop(QString* error)
{
    return administer(m_server, {QStringLiteral("drop database if exists ") + quoted(m_run.name)},
                      error);
}

QString ServerFirm::address() const { return velmora::bench::address(m_run); }

} // namespace velmora::bench
