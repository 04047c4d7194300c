#include "lookups.h"

#include "data/fault.h"
#include "data/readonly.h"
#include "data/sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace velmora::exchange {

std::optional<QSet<qint64>> numbers(const QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, sql, {}, error))
        return std::nullopt;
    QSet<qint64> found;
    while (query.next())
        found.insert(query.value(0).toLongLong());
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return found;
}

} // namespace velmora::exchange
