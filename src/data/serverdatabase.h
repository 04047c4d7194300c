#pragma once

#include "databaselocation.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace velmora {

// The server database `location` names, worded for the operator: "'NAME' on HOST:PORT".
QString serverDatabaseName(const DatabaseLocation& location);

// Asks the operator for the password of a server's role, `prompt` naming the role and the
// database; nullopt when none was given.
using PasswordSource = std::function<std::optional<QString>(const QString& prompt)>;

// How the program asks for a password that ~/.pgpass and PGPASSWORD did not give (the login
// box, the terminal); without one such a login is refused. The password typed stays with
// the connection only, for it to open again.
void setPasswordSource(PasswordSource source);

// Connects to the server database `location` as `connectionName` through Qt's PostgreSQL
// driver. libpq finds the password itself (~/.pgpass, PGPASSWORD); when the server asks for
// one that it did not find, the password source is asked once.
// On failure returns an invalid QSqlDatabase with the reason in *error, naming the server
// and the database: the server cannot be reached, the login is refused, the database does
// not exist.
QSqlDatabase connectServer(const DatabaseLocation& location, const QString& connectionName,
                           QString* error);

// True when `failure` is of a connection to a server that has been lost (the server went
// away or ended the session), rather than of the statement.
bool isConnectionLost(const QSqlError& failure);

// The tables of the current schema of a server database, by lower-case name in order.
QStringList serverTables(const QSqlDatabase& db);

} // namespace velmora
