#include "database.h"

#include "schema.h"
#include "sql.h"
#include "sqliteguard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

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

int pragma(QSqlDatabase& db, const QString& name, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("PRAGMA ") + name, {}, error) || !query.next())
        return -1;
    return query.value(0).toInt();
}

// Reads the file's header and takes the write lock once, so that a foreign file, a
// damaged one or one another program holds is reported now rather than mid-booking.
bool checkUsable(QSqlDatabase& db, const QString& path, QString* error)
{
    const int owner = pragma(db, QStringLiteral("application_id"), error);
    const int version = pragma(db, QStringLiteral("user_version"), error);
    if (owner < 0 || version < 0) {
        *error = QObject::tr("The file '%1' cannot be read as a database: %2").arg(path, *error);
        return false;
    }
    if (owner != velmoraApplicationId() || version == 0) {
        *error = QObject::tr("The file '%1' is not a Velmora database.").arg(path);
        return false;
    }
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("BEGIN IMMEDIATE"), {}, error)) {
        *error =
            QObject::tr("The database '%1' is locked or cannot be written: %2").arg(path, *error);
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
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("database/taxi.mdb"));
}

QSqlDatabase openDatabase(const QString& path, const QString& connectionName, QString* error)
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile()) {
        *error = QObject::tr("Could not find file '%1'.").arg(path);
        return {};
    }
    if (!file.isReadable() || !file.isWritable()) {
        *error = QObject::tr("The file '%1' cannot be opened for reading and writing.").arg(path);
        return {};
    }
    QSqlDatabase db = connect(path, connectionName, error);
    if (!db.isValid())
        return db;
    if (!checkUsable(db, path, error) || !migrateSchema(db, error))
        discard(db);
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

} // namespace velmora
