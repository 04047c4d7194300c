#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace velmora {

// The database file the program uses: `option` when given, else $VELMORA_DATABASE,
// else database/taxi.mdb when the folder database is beside the executable (a program
// run from its build), else velmora/taxi.mdb in the user's data folder (an installed
// program: ~/.local/share/velmora/taxi.mdb).
QString databasePath(const QString& option = {});

// Tells whether the file or folder at a path may be written. Empty means the file
// system's own answer; tests pass their own, since the superuser may write anything.
using WritableCheck = std::function<bool(const QString& path)>;

// What keeps an existing, readable database file from being written: nothing, the file
// itself, or the folder that holds it (SQLite writes its journal there while it saves).
enum class ReadOnlyCause { None, File, Folder };
ReadOnlyCause readOnlyCause(const QString& path, const WritableCheck& writable = {});
// The operator's words for `cause` of the file at `path`; empty for None.
QString readOnlyReason(const QString& path, ReadOnlyCause cause);

// How a database is opened: to read and write it, or only to view it.
enum class Access { ReadWrite, ReadOnly };

// Every `path` below may instead be a postgresql:// address (databaselocation.h): the
// server database is opened through Qt's PostgreSQL driver and refused, naming the server
// and the database, when the server cannot be reached, the login is refused, or the
// database is missing, empty, not ours or of a schema this program does not know. Its
// audit trail is not recorded yet.
// Opens the existing Velmora file at `path` as the connection `connectionName`, shared.
// Never creates a file. Refuses, naming the file and what is wrong, a folder, a missing or
// unreadable file, a file that is not ours, one of an unknown schema version, one missing
// one of our tables and one that another program holds locked.
// With ReadWrite it refuses a read-only file or folder too, and upgrades an older schema.
// With ReadOnly the connection cannot write the file (isReadOnly()): an older schema,
// which could not be upgraded, is refused, and the work tables that printing fills are
// given empty temporary twins on the connection, so that reports keep working.
// On failure returns an invalid QSqlDatabase with the reason, worded for the operator,
// in *error.
QSqlDatabase openDatabase(const QString& path, const QString& connectionName, QString* error,
                          Access access = Access::ReadWrite);

// Opens `path` as openDatabase() does, read-only when the file or its folder is: for work
// that only reads the database. It works while another program holds the write lock, and
// rolls back a journal that a killed program left when the file may be written.
QSqlDatabase openDatabaseToRead(const QString& path, const QString& connectionName, QString* error);

// Opens `path` with openDatabaseToRead() and closes it again: the file is refused as every
// command refuses it, and a journal a killed program left is rolled back, before work that
// reads the file on a read-only connection of its own. False with the reason in *error.
bool recoverForReading(const QString& path, QString* error);

// Opens a database that holds nothing yet, for a firm to be built in: a new SQLite file at
// `path` (refused where a file exists), or an existing server database without tables
// (`path` a postgresql:// address; one that holds tables is refused). The caller gives it
// the schema (migrateSchema(), upgradeSchema()). Failure as openDatabase().
QSqlDatabase openEmptyDatabase(const QString& path, const QString& connectionName, QString* error);

// Creates a new file at `path` with the current schema and opens it as `connectionName`.
// Refuses a path where a file already exists. A postgresql:// address gives an empty
// server database the schema instead (openEmptyDatabase()). Failure as openDatabase().
QSqlDatabase createDatabase(const QString& path, const QString& connectionName, QString* error);

// Ends the connection `connectionName`, letting SQLite refresh the statistics its queries
// found stale (PRAGMA optimize) first, and on a server the second connection its lists read
// on (BatchedQuery). Every query on it must have gone.
void closeDatabase(const QString& connectionName);

} // namespace velmora
