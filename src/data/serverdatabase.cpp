#include "serverdatabase.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

namespace {

PasswordSource& passwordSource()
{
    static PasswordSource source;
    return source;
}

QString failureText(const QSqlDatabase& db)
{
    return db.lastError().databaseText().isEmpty() ? db.lastError().text()
                                                   : db.lastError().databaseText();
}

// libpq's words when the server wants a password and none was found.
bool wantsPassword(const QString& reason)
{
    return reason.contains(QLatin1String("no password supplied"), Qt::CaseInsensitive);
}

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
    if (says("certificate"))
        return QObject::tr("The server of the database %1 cannot be trusted: its certificate "
                           "is not one the address's sslrootcert vouches for, or names another "
                           "server: %2")
            .arg(where, reason.trimmed());
    return QObject::tr("The server of the database %1 cannot be reached: %2")
        .arg(where, reason.trimmed());
}

// Opens `db`, asking for the password when the server wants one libpq did not find; false
// with the reason in *error.
bool openAsking(QSqlDatabase& db, const DatabaseLocation& location, QString* error)
{
    if (db.open())
        return true;
    if (!wantsPassword(failureText(db))) {
        *error = connectFailure(location, failureText(db));
        return false;
    }
    const QString where = serverDatabaseName(location);
    const std::optional<QString> password =
        passwordSource()
            ? passwordSource()(
                  QObject::tr("Password of %1 for the database %2:").arg(location.user, where))
            : std::nullopt;
    if (!password) {
        *error = QObject::tr("The server asks for the password of %1 for the database %2, and "
                             "none was found in ~/.pgpass or PGPASSWORD or typed.")
                     .arg(location.user, where);
        return false;
    }
    db.setPassword(*password);
    if (db.open())
        return true;
    *error = connectFailure(location, failureText(db));
    return false;
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
    if (openAsking(db, location, error))
        return db;
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
    return db;
}

void setPasswordSource(PasswordSource source) { passwordSource() = std::move(source); }

bool isConnectionLost(const QSqlError& failure)
{
    // No SQLSTATE: the connection failed before the server could answer; class 08 is of
    // the connection, 57P0 of a server that ended the session or is shutting down.
    const QString state = failure.nativeErrorCode();
    return failure.type() == QSqlError::ConnectionError || state.isEmpty() ||
           state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P0"));
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
