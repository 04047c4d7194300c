#pragma once

#include <QSqlDatabase>
#include <QString>

namespace velmora {

// A fault the database met while the program runs ("database is locked Unable to fetch
// row"), as the operator reads it: what went wrong and in which file.
QString databaseFault(const QSqlDatabase& db, const QString& fault);

} // namespace velmora
