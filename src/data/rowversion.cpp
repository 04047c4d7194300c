#include "rowversion.h"

#include "audit.h"
#include "dates.h"
#include "sql.h"

#include <QDateTime>
#include <QObject>
#include <QSqlQuery>

namespace velmora {

QString versionBump()
{
    return QStringLiteral("row_version = row_version + 1, row_changed_at = ?");
}

QVariant changeStamp(const QSqlDatabase& db)
{
    const QString fixed = fixedAuditStamp(db);
    return fixed.isEmpty() ? storedStamp(QDateTime::currentDateTime()) : fixed;
}

std::optional<RowSave> saveRow(const QSqlDatabase& db, const ReadRow& row, const QString& sets,
                               QVariantList values, std::optional<qint64> version, QString* error)
{
    QString update = QStringLiteral("UPDATE %1 SET %2, %3 WHERE %4")
                         .arg(row.table, sets, versionBump(), row.where);
    values.append(changeStamp(db));
    values.append(row.key);
    if (version) {
        update += QStringLiteral(" AND row_version = ?");
        values.append(*version);
    }
    QSqlQuery query(db);
    if (!run(query, update, values, error))
        return std::nullopt;
    if (query.numRowsAffected() > 0)
        return RowSave::Saved;
    if (!run(query,
             QStringLiteral("SELECT row_changed_at FROM %1 WHERE %2").arg(row.table, row.where),
             row.key, error))
        return std::nullopt;
    if (!query.next())
        return RowSave::Missing;
    // The stamp's time of day, "14:32".
    const QString when = query.value(0).toString().mid(11, 5);
    *error = QObject::tr("%1 was changed at another desk at %2; your changes were not saved")
                 .arg(row.name, when);
    return RowSave::ChangedElsewhere;
}

} // namespace velmora
