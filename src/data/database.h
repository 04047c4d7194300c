#pragma once

#include <QSqlDatabase>
#include <QString>

namespace velmora {

// The database file the program uses: `option` when given, else $VELMORA_DATABASE,
// else database/taxi.mdb beside the executable.
QString databasePath(const QString& option = {});

// Opens the existing Velmora file at `path` as the connection `connectionName`, shared
// and writable, upgrading an older schema. Never creates a file. On failure returns an
// invalid QSqlDatabase with the reason, worded for the operator, in *error.
QSqlDatabase openDatabase(const QString& path, const QString& connectionName, QString* error);

// Creates a new file at `path` with the current schema and opens it as `connectionName`.
// Refuses a path where a file already exists. Failure as openDatabase().
QSqlDatabase createDatabase(const QString& path, const QString& connectionName, QString* error);

} // namespace velmora
