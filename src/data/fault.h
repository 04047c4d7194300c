#pragma once

#include <QSqlDatabase>
#include <QString>

namespace velmora {

// A fault the database met while the program runs ("database is locked Unable to fetch
// row"), as the operator reads it: what went wrong and in which file. The refusal of a
// read-only file is left as it is.
QString databaseFault(const QSqlDatabase& db, const QString& fault);

} // namespace velmora
