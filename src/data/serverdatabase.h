#pragma once

#include "databaselocation.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace velmora {

// The server database `location` names, worded for the operator: "'NAME' on HOST:PORT".
QString serverDatabaseName(const DatabaseLocation& location);

// Connects to the server database `location` as `connectionName` through Qt's PostgreSQL
// driver. libpq finds the password itself (~/.pgpass, PGPASSWORD); none is ever passed.
// On failure returns an invalid QSqlDatabase with the reason in *error, naming the server
// and the database: the server cannot be reached, the login is refused, the database does
// not exist.
QSqlDatabase connectServer(const DatabaseLocation& location, const QString& connectionName,
                           QString* error);

// The tables of the current schema of a server database, by lower-case name in order.
QStringList serverTables(const QSqlDatabase& db);

} // namespace velmora
