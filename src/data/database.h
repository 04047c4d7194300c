#pragma once

#include <QSqlDatabase>
#include <QString>

namespace velmora {

// The database file the program uses: `option` when given, else $VELMORA_DATABASE,
// else database/taxi.mdb when the folder database is beside the executable (a program
// run from its build), else velmora/taxi.mdb in the user's data folder (an installed
// program: ~/.local/share/velmora/taxi.mdb).
QString databasePath(const QString& option = {});

// Opens the existing Velmora file at `path` as the connection `connectionName`, shared
// and writable, upgrading an older schema. Never creates a file. Refuses, naming the file
// and what is wrong, a folder, a missing, unreadable or read-only file or folder, a file
// that is not ours, one of an unknown schema version, one missing one of our tables and
// one that another program holds locked. On failure returns an invalid QSqlDatabase with
// the reason, worded for the operator, in *error.
QSqlDatabase openDatabase(const QString& path, const QString& connectionName, QString* error);

// Creates a new file at `path` with the current schema and opens it as `connectionName`.
// Refuses a path where a file already exists. Failure as openDatabase().
QSqlDatabase createDatabase(const QString& path, const QString& connectionName, QString* error);

// Ends the connection `connectionName`, letting SQLite refresh the statistics its queries
// found stale (PRAGMA optimize) first. Every query on it must have gone.
void closeDatabase(const QString& connectionName);

} // namespace velmora
