#include "database.h"

#include "schema.h"
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

QSqlDatabase connect(const QString& path, const QString& connectionName, QString* error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
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
    return std::nullopt;
}

// What keeps the file at `path` from being opened for reading and writing, worded for
// the operator; empty when nothing does.
QString fileProblem(const QString& path)
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
    if (!file.isWritable())
        return QObject::tr("The file '%1' is read-only. Velmora saves into its database, so "
                           "it needs permission to write the file (or a copy of it in a "
                           "folder of your own).")
            .arg(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isWritable())
        return QObject::tr("The folder '%1' that holds the database is read-only. Velmora "
                           "writes a journal beside the database while it saves, so it needs "
                           "permission to write in that folder.")
            .arg(folder.absoluteFilePath());
    return {};
}

QString quotedList(const QStringList& names)
{
    return QLatin1Char('\'') + names.join(QLatin1String("', '")) + QLatin1Char('\'');
}

// Reads the file's header, checks its tables and takes the write lock once, so that a
// foreign file, a damaged one or one another program holds is reported now rather than
// mid-booking.
bool checkUsable(QSqlDatabase& db, const QString& path, QString* error)
{
    const std::optional<int> owner = pragma(db, path, QStringLiteral("application_id"), error);
    if (!owner)
        return false;
    const std::optional<int> version = pragma(db, path, QStringLiteral("user_version"), error);
    if (!version)
        return false;
    if (*owner != velmoraApplicationId() || *version == 0) {
        *error = QObject::tr("The file '%1' is not a Velmora database.").arg(path);
        return false;
    }
    if (*version > currentSchemaVersion()) {
        *error = QObject::tr("The database '%1' was written by a newer version of Velmora "
                             "(schema %2; this program knows up to %3). Use that version.")
                     .arg(path)
                     .arg(*version)
                     .arg(currentSchemaVersion());
        return false;
    }
    if (!isKnownSchemaVersion(*version)) {
        *error = QObject::tr("The database '%1' carries the schema version %2, which no "
                             "version of Velmora writes: the file is damaged.")
                     .arg(path)
                     .arg(*version);
        return false;
    }
    const QStringList missing = missingTables(db, *version);
    if (!missing.isEmpty()) {
        *error = QObject::tr("The database '%1' is damaged: it has no table %2.")
                     .arg(path, quotedList(missing));
        return false;
    }
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

QSqlDatabase openDatabase(const QString& path, const QString& connectionName, QString* error)
{
    *error = fileProblem(path);
    if (!error->isEmpty())
        return {};
    QSqlDatabase db = connect(path, connectionName, error);
    if (!db.isValid())
        return db;
    if (!checkUsable(db, path, error)) {
        discard(db);
        return db;
    }
    if (!migrateSchema(db, error)) {
        *error = QObject::tr("The database '%1' could not be upgraded: %2").arg(path, *error);
        discard(db);
    }
    return db;
}

QSqlDatabase createDatabase(const QString& path, const QString& connectionName, QString* error)
{
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
    QSqlDatabase db = connect(path, connectionName, error);
    if (!db.isValid())
        return db;
    if (!migrateSchema(db, error)) {
        discard(db);
        QFile::remove(path);
    }
    return db;
}

void closeDatabase(const QString& connectionName)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen()) {
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
