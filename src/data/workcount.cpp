#include "workcount.h"

#include "fault.h"
#include "sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

std::optional<WorkCount> countWork(const QSqlDatabase& db, const QString& sql,
                                   const QVariantList& values, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, sql, values, error))
        return std::nullopt;
    if (!query.next()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return WorkCount{query.value(0).toLongLong(), query.value(1).toLongLong()};
}

} // namespace velmora
