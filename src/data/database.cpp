#include "database.h"

#include "audit.h"
#include "batchedquery.h"
#include "databaselocation.h"
#include "dialect.h"
#include "readonly.h"
#include "schema.h"
#include "schemastamp.h"
#include "serverdatabase.h"
#include "sql.h"
#include "sqliteguard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <optional>

namespace velmora {

namespace {

QSqlDatabase connect(const QString& path, const QString& connectionName, QString* error,
                     Access access = Access::ReadWrite)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(access == Access::ReadOnly
                             ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000")
                             : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    // Every connection refuses fts3_tokenizer() before it runs a statement.
    if (!db.open() || !disableFts3Tokenizer(db)) {
        *error = db.isOpen() ? QObject::tr("The SQLite library refused a safety setting.")
                             : db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }
    return db;
}

void discard(QSqlDatabase& db)
{
    const QString name = db.connectionName();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

// SQLite's codes for a file another connection holds.
bool isLocked(const QSqlError& failure)
{
    const QString code = failure.nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6");
}

QString lockedMessage(const QString& path)
{
    return QObject::tr("The database '%1' is locked: another program or another Velmora is "
                       "using it. Close that program and try again.")
        .arg(path);
}

// The value of a pragma that reads one number; nullopt with the reason in *error.
std::optional<int> pragma(QSqlDatabase& db, const QString& path, const QString& name,
                          QString* error)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("PRAGMA ") + name) && query.next())
        return query.value(0).toInt();
    const QSqlError failure = query.lastError();
    *error = isLocked(failure)
                 ? lockedMessage(path)
                 : QObject::tr("The file '%1' cannot be read as a database: %2")
                       .arg(path, failure.databaseText().isEmpty() ? failure.text()
                                                                   : failure.databaseText());
    if (!isLocked(failure) && QFileInfo::exists(path + QStringLiteral("-journal")))
        *error += QLatin1Char(' ') +
                  QObject::tr("A journal left by a program that stopped while saving lies "
                              "beside it; open the file once where it may be written, so that "
                              "the journal is rolled back.");
    return std::nullopt;
}

// What keeps the file at `path` from being opened, worded for the operator; empty when
// nothing does. With ReadWrite a read-only file or folder keeps it too.
QString fileProblem(const QString& path, Access access)
{
    const QFileInfo file(path);
    if (file.isDir())
        return QObject::tr("'%1' is a folder, not a database file.").arg(path);
    if (!file.exists())
        return QObject::tr("Could not find file '%1'.").arg(path);
    if (!file.isFile())
        return QObject::tr("'%1' is not an ordinary file, so it cannot be a database.").arg(path);
    if (!file.isReadable())
        return QObject::tr("The file '%1' cannot be read: you have no permission to read it.")
            .arg(path);
    if (access == Access::ReadOnly)
        return {};
    return readOnlyReason(path, readOnlyCause(path));
}

// The tables that printing empties and fills for a report to read.
const char* const kWorkTables[] = {"invoice_temp", "account_print", "profitability", "jobboard"};

// Gives each work table an empty temporary twin of the same columns. SQLite looks up a
// table name without a schema in the temporary schema first, so printing fills the twins
// and the reports, run on this connection, read them, while the file stays untouched.
bool shadowWorkTables(QSqlDatabase& db, QString* error)
{
    QSqlQuery tables(db);
    QStringList statements;
    for (const char* name : kWorkTables) {
        if (!run(tables,
                 QStringLiteral("select sql from sqlite_master where type = 'table' and name = ?"),
                 {QString::fromLatin1(name)}, error))
            return false;
        // SQLite keeps each table's text starting "CREATE TABLE ".
        if (tables.next())
            statements.append(tables.value(0).toString().replace(
                0, int(qstrlen("CREATE TABLE")), QStringLiteral("CREATE TEMP TABLE")));
    }
    QSqlQuery create(db);
    for (const QString& statement : std::as_const(statements)) {
        if (!run(create, statement, {}, error))
            return false;
    }
    return true;
}

QString quotedList(const QStringList& names)
{
    return QLatin1Char('\'') + names.join(QLatin1String("', '")) + QLatin1Char('\'');
}

// What keeps a database of `stamp` from being used, worded for the operator with the
// database described as `where`; empty when nothing does.
QString stampProblem(const QString& where, const SchemaStamp& stamp, const QSqlDatabase& db)
{
    if (stamp.applicationId != velmoraApplicationId() || stamp.version == 0)
        return engineOf(db) == Engine::SQLite
                   ? QObject::tr("The file %1 is not a Velmora database.").arg(where)
                   : QObject::tr("The database %1 is not a Velmora database.").arg(where);
    if (stamp.version > currentSchemaVersion())
        return QObject::tr("The database %1 was written by a newer version of Velmora "
                           "(schema %2; this program knows up to %3). Use that version.")
            .arg(where)
            .arg(stamp.version)
            .arg(currentSchemaVersion());
    if (!isKnownSchemaVersion(stamp.version))
        return QObject::tr("The database %1 carries the schema version %2, which no "
                           "version of Velmora writes: the file is damaged.")
            .arg(where)
            .arg(stamp.version);
    const QStringList missing = missingTables(db, stamp.version);
    if (!missing.isEmpty())
        return QObject::tr("The database %1 is damaged: it has no table %2.")
            .arg(where, quotedList(missing));
    return {};
}

QString olderReadOnly(const QString& where, int version)
{
    return QObject::tr("The database %1 was written by an older version of Velmora "
                       "(schema %2; this program needs %3) and, being read-only, cannot "
                       "be upgraded. Open it once where it can be written.")
        .arg(where)
        .arg(version)
        .arg(currentSchemaVersion());
}

// Reads the file's header, checks its tables and, for a file to be written, takes the write
// lock once when `tryWriteLock`, so that a foreign file, a damaged one or one another
// program holds is reported now rather than mid-booking. A file to be viewed gets its
// work-table twins.
bool checkUsable(QSqlDatabase& db, const QString& path, Access access, bool tryWriteLock,
                 QString* error)
{
    const std::optional<int> owner = pragma(db, path, QStringLiteral("application_id"), error);
    if (!owner)
        return false;
    const std::optional<int> version = pragma(db, path, QStringLiteral("user_version"), error);
    if (!version)
        return false;
    *error = stampProblem(QLatin1Char('\'') + path + QLatin1Char('\''), {*owner, *version}, db);
    if (!error->isEmpty())
        return false;
    if (access == Access::ReadOnly) {
        if (*version == currentSchemaVersion())
            return shadowWorkTables(db, error);
        *error = olderReadOnly(QLatin1Char('\'') + path + QLatin1Char('\''), *version);
        return false;
    }
    if (!tryWriteLock)
        return true;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        const QSqlError failure = query.lastError();
        *error =
            isLocked(failure)
                ? lockedMessage(path)
                : QObject::tr("The database '%1' cannot be written: %2").arg(path, failure.text());
        return false;
    }
    return run(query, QStringLiteral("ROLLBACK"), {}, error);
}

} // namespace

QString databasePath(const QString& option)
{
    if (!option.isEmpty())
        return option;
    const QString fromEnvironment = qEnvironmentVariable("VELMORA_DATABASE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QDir program(QCoreApplication::applicationDirPath());
    if (QFileInfo(program.filePath(QStringLiteral("database"))).isDir())
        return program.filePath(QStringLiteral("database/taxi.mdb"));
    // An installed program keeps the database in the user's data folder.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("velmora/taxi.mdb"));
}

ReadOnlyCause readOnlyCause(const QString& path, const WritableCheck& writable)
{
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        return ReadOnlyCause::None;
    const auto canWrite = [&writable](const QFileInfo& info) {
        return writable ? writable(info.absoluteFilePath()) : info.isWritable();
    };
    if (!canWrite(file))
        return ReadOnlyCause::File;
    if (!canWrite(QFileInfo(file.absolutePath())))
        return ReadOnlyCause::Folder;
    return ReadOnlyCause::None;
}

QString readOnlyReason(const QString& path, ReadOnlyCause cause)
{
    switch (cause) {
    case ReadOnlyCause::None:
        break;
    case ReadOnlyCause::File:
        return QObject::tr("The file '%1' is read-only. Velmora saves into its database, so "
                           "it needs permission to write the file (or a copy of it in a "
                           "folder of your own).")
            .arg(path);
    case ReadOnlyCause::Folder:
        return QObject::tr("The folder '%1' that holds the database is read-only. Velmora "
                           "writes a journal beside the database while it saves, so it needs "
                           "permission to write in that folder.")
            .arg(QFileInfo(path).absolutePath());
    }
    return {};
}

namespace {

// A connection that only reads a server database: the work tables that printing fills
// get empty temporary twins, which PostgreSQL looks up first and lets a read-only
// transaction fill, then every transaction on it is read-only.
bool makeReadOnly(QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    for (const char* name : kWorkTables) {
        if (!execute(query,
                     QStringLiteral("CREATE TEMP TABLE %1 (LIKE %1)").arg(QLatin1String(name)),
                     error))
            return false;
    }
    return execute(query, QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"),
                   error);
}

// True when the server refused a change of the schema because the role is not the owner.
bool ownerOnly(const QString& failure)
{
    return failure.contains(QLatin1String("permission denied"), Qt::CaseInsensitive) ||
           failure.contains(QLatin1String("must be owner"), Qt::CaseInsensitive);
}

// openDatabase() of a server database.
QSqlDatabase openServer(const DatabaseLocation& location, const QString& connectionName,
                        QString* error, Access access)
{
    QSqlDatabase db = connectServer(location, connectionName, error);
    if (!db.isValid())
        return db;
    const QString where = serverDatabaseName(location);
    SchemaStamp stamp;
    if (!readSchemaStamp(db, &stamp, error)) {
        *error = QObject::tr("The database %1 cannot be read: %2").arg(where, *error);
    } else if (stamp.version == 0 && serverTables(db).isEmpty()) {
        *error = QObject::tr("The database %1 holds no firm yet: velmora-cli init or "
                             "velmora-cli copy puts one there.")
                     .arg(where);
    } else {
        *error = stampProblem(where, stamp, db);
    }
    if (error->isEmpty() && access == Access::ReadOnly) {
        if (stamp.version != currentSchemaVersion())
            *error = olderReadOnly(where, stamp.version);
        else
            makeReadOnly(db, error);
    }
    if (error->isEmpty() && access == Access::ReadWrite && !migrateSchema(db, error))
        *error = ownerOnly(*error)
                     ? QObject::tr("The database %1 needs upgrading from schema %2 to %3, which "
                                   "only its owner may do, and %4 is not its owner: open it once "
                                   "as the owner (velmora-cli check --database with the owner's "
                                   "role), then again as %4.")
                           .arg(where)
                           .arg(stamp.version)
                           .arg(currentSchemaVersion())
                           .arg(location.user)
                     : QObject::tr("The database %1 could not be upgraded: %2").arg(where, *error);
    else if (error->isEmpty() && access == Access::ReadWrite && !startAuditTrail(db, error))
        *error = QObject::tr("The database %1 cannot be written: %2").arg(where, *error);
    if (!error->isEmpty())
        discard(db);
    return db;
}

// openDatabase(), taking the write lock once to check it only when `tryWriteLock`.
QSqlDatabase openChecked(const QString& path, const QString& connectionName, QString* error,
                         Access access, bool tryWriteLock)
{
    const std::optional<DatabaseLocation> location = parseDatabaseLocation(path, error);
    if (!location)
        return {};
    if (location->isServer())
        return openServer(*location, connectionName, error, access);
    *error = fileProblem(path, access);
    if (!error->isEmpty())
        return {};
    QSqlDatabase db = connect(path, connectionName, error, access);
    if (!db.isValid())
        return db;
    if (!checkUsable(db, path, access, tryWriteLock, error)) {
        discard(db);
        return db;
    }
    if (access == Access::ReadWrite && !migrateSchema(db, error)) {
        *error = QObject::tr("The database '%1' could not be upgraded: %2").arg(path, *error);
        discard(db);
    } else if (access == Access::ReadWrite && !startAuditTrail(db, error)) {
        discard(db);
    }
    return db;
}

} // namespace

QSqlDatabase openDatabase(const QString& path, const QString& connectionName, QString* error,
                          Access access)
{
    return openChecked(path, connectionName, error, access, access == Access::ReadWrite);
}

QSqlDatabase openDatabaseToRead(const QString& path, const QString& connectionName, QString* error)
{
    // Opened to write when it may be, so that a journal a killed program left is rolled
    // back on the first read; the write lock another program may hold is not wanted.
    return openChecked(
        path, connectionName, error,
        readOnlyCause(path) == ReadOnlyCause::None ? Access::ReadWrite : Access::ReadOnly, false);
}

bool recoverForReading(const QString& path, QString* error)
{
    const QString connection = QStringLiteral("velmora-recover");
    bool usable = false;
    {
        QSqlDatabase db = openDatabaseToRead(path, connection, error);
        usable = db.isValid();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return usable;
}

QSqlDatabase openEmptyDatabase(const QString& path, const QString& connectionName, QString* error)
{
    const std::optional<DatabaseLocation> location = parseDatabaseLocation(path, error);
    if (!location)
        return {};
    if (location->isServer()) {
        QSqlDatabase db = connectServer(*location, connectionName, error);
        if (db.isValid() && !serverTables(db).isEmpty()) {
            *error = QObject::tr("The database %1 already holds tables: a firm is put only in "
                                 "an empty database. It has been left untouched.")
                         .arg(serverDatabaseName(*location));
            discard(db);
        }
        return db;
    }
    const QFileInfo existing(path);
    if (existing.exists() || existing.isSymLink()) {
        *error = QObject::tr("The file '%1' already exists; it has been left untouched.").arg(path);
        return {};
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QObject::tr("The folder '%1' cannot be created.").arg(folder);
        return {};
    }
    return connect(path, connectionName, error);
}

QSqlDatabase createDatabase(const QString& path, const QString& connectionName, QString* error)
{
    QSqlDatabase db = openEmptyDatabase(path, connectionName, error);
    if (!db.isValid())
        return db;
    const bool file = engineOf(db) == Engine::SQLite;
    if (!migrateSchema(db, error) || !startAuditTrail(db, error)) {
        discard(db);
        if (file)
            QFile::remove(path);
    }
    return db;
}

void closeDatabase(const QString& connectionName)
{
    closeBatchConnection(connectionName);
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen() && engineOf(db) == Engine::SQLite) {
            // Refreshes the planner's statistics where this session's queries showed
            // them to be stale; cheap when nothing changed.
            QSqlQuery optimize(db);
            optimize.exec(QStringLiteral("PRAGMA optimize"));
            optimize.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
}

} // namespace velmora
