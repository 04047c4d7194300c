#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace velmora {

// True when `db` was opened read-only: nothing can be written to its file.
bool isReadOnly(const QSqlDatabase& db);

// What the operator is told when a change meets a database open read-only.
QString readOnlyRefusal();

// The operator's words for a failed statement: the driver's text, or readOnlyRefusal()
// when SQLite refused a write to a file it may only read.
QString failureText(const QSqlError& failure);

} // namespace velmora
