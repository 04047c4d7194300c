#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace velmora {

// A fault the database met while the program runs ("database is locked Unable to fetch
// row"), as the operator reads it: what went wrong and in which file. The refusal of a
// read-only file is left as it is, and so is a fault already told this way.
QString databaseFault(const QSqlDatabase& db, const QString& fault);

// The last fault of `query` (of its connection) told the same way.
QString queryFault(const QSqlQuery& query);
QString connectionFault(const QSqlDatabase& db);

} // namespace velmora
