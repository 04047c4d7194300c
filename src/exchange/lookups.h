#pragma once

#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora::exchange {

// The numbers in the first column of `sql` (a small reference table's keys); nullopt
// with the driver's text in *error when the query fails.
std::optional<QSet<qint64>> numbers(const QSqlDatabase& db, const QString& sql, QString* error);

} // namespace velmora::exchange
