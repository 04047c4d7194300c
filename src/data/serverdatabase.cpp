#include "serverdatabase.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

namespace {

// Why libpq could not connect, told apart by its own words (a connection that never
// started has no SQLSTATE).
QString connectFailure(const DatabaseLocation& location, const QString& reason)
{
    const QString where = serverDatabaseName(location);
    const auto says = [&reason](const char* words) {
        return reason.contains(QLatin1String(words), Qt::CaseInsensitive);
    };
    if (says("database \"") && says("does not exist"))
        return QObject::tr("The database %1 does not exist: ask the server's administrator to "
                           "create it.")
            .arg(where);
    if (says("authentication") || says("password") || says("role \"") || says("pg_hba") ||
        says("permission denied"))
        return QObject::tr("The server refused the login of %1 to the database %2: %3")
            .arg(location.user, where, reason.trimmed());
    return QObject::tr("The server of the database %1 cannot be reached: %2")
        .arg(where, reason.trimmed());
}

} // namespace

QString serverDatabaseName(const DatabaseLocation& location)
{
    return QStringLiteral("'%1' on %2:%3").arg(location.name, location.host).arg(location.port);
}

QSqlDatabase connectServer(const DatabaseLocation& location, const QString& connectionName,
                           QString* error)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        *error = QObject::tr("This computer has no PostgreSQL driver for Qt (Debian's package "
                             "libqt6sql6-psql), so the database %1 cannot be opened.")
                     .arg(serverDatabaseName(location));
        return {};
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    configureServerConnection(db, location);
    // A server that does not answer is reported rather than waited for.
    QString options = db.connectOptions();
    db.setConnectOptions(options + (options.isEmpty() ? "" : ";") +
                         QStringLiteral("connect_timeout=10"));
    if (db.open())
        return db;
    *error = connectFailure(location, db.lastError().databaseText().isEmpty()
                                          ? db.lastError().text()
                                          : db.lastError().databaseText());
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
    return db;
}

QStringList serverTables(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    QStringList names;
    if (query.exec(QStringLiteral("select table_name from information_schema.tables where "
                                  "table_schema = current_schema() and table_type = 'BASE TABLE' "
                                  "order by table_name"))) {
        while (query.next())
            names.append(query.value(0).toString());
    }
    return names;
}

} // namespace velmora
