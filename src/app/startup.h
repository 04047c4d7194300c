#pragma once

#include "data/database.h"

#include <QSqlDatabase>
#include <QString>

namespace velmora {

class Dialogs;

// The name of the program's one shared database connection.
QString programConnectionName();

// Opens the database at `path` as the program's connection. When the file or its folder
// is read-only (as `writable` tells), says so and offers to open it read-only for
// viewing; declining counts as a failure. On failure shows the reason in an information
// box and returns an invalid connection.
QSqlDatabase open_database(const QString& path, Dialogs& dialogs,
                           const WritableCheck& writable = {});

// Runs the program from the login window (the database is opened as it opens) through
// the main window and its event loop. Returns the process exit code: 0 after "&Exit"
// or a cancelled login, 1 when the database could not be opened.
int runFromLogin(const QString& databasePath, Dialogs& dialogs, const WritableCheck& writable = {});

// Runs the whole program: the splash window, then runFromLogin().
int runProgram(const QString& databasePath, Dialogs& dialogs);

} // namespace velmora
