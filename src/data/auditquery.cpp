#include "auditquery.h"

#include "dates.h"

#include <QStringList>

namespace velmora {

AuditQuery auditQuery(const AuditFilter& filter)
{
    QStringList conditions;
    AuditQuery query;
    if (filter.from.isValid()) {
        conditions << QStringLiteral("changed_at >= ?");
        query.values << storedDate(filter.from);
    }
    if (filter.to.isValid()) {
        conditions << QStringLiteral("changed_at < ?");
        query.values << storedDate(filter.to.addDays(1));
    }
    if (!filter.operatorName.isEmpty()) {
        conditions << QStringLiteral("operator_name = ?");
        query.values << filter.operatorName;
    }
    if (!filter.table.isEmpty()) {
        conditions << QStringLiteral("table_name = ?");
        query.values << filter.table;
    }
    if (!filter.key.isEmpty()) {
        conditions << QStringLiteral("(row_key = ? OR job = ?)");
        query.values << filter.key << filter.key;
    }
    query.sql = QStringLiteral("SELECT seq, changed_at, operator_name, table_name, row_key, "
                               "before_value, after_value FROM audit_trail");
    if (!conditions.isEmpty())
        query.sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    query.sql += QStringLiteral(" ORDER BY seq");
    return query;
}

QString auditStamp(const QString& stored)
{
    const QDate date = dateFromStored(stored);
    return date.isValid() ? ukDate(date) + stored.mid(10) : stored;
}

} // namespace velmora
