#include "operationalcosts.h"

#include "data/dates.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlQuery>

namespace velmora {

QString operationalCostsQuery()
{
    return QStringLiteral("SELECT opcost_id, opcost_Date, opcost_gross, opcost_description "
                          "FROM operational_cost ORDER BY opcost_Date DESC, opcost_id DESC");
}

std::optional<OperationalCost> findOperationalCost(const QSqlDatabase& db, qint64 id,
                                                   QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("SELECT opcost_Date, opcost_gross, opcost_description "
                            "FROM operational_cost WHERE opcost_id = ?"),
             {id}, error) ||
        !query.next())
        return std::nullopt;
    return OperationalCost{id, dateFromStored(query.value(0).toString()),
                           Money::fromVariant(query.value(1)), query.value(2).toString()};
}

bool saveOperationalCost(const QSqlDatabase& db, OperationalCost* cost, QString* error)
{
    QSqlQuery query(db);
    const QVariantList values = {storedDate(cost->date), cost->amount.toVariant(),
                                 cost->description};
    if (cost->id == 0) {
        const std::optional<qint64> id =
            insertRow(query,
                      QStringLiteral("INSERT INTO operational_cost (opcost_Date, opcost_gross, "
                                     "opcost_description) VALUES (?, ?, ?)"),
                      values, error);
        cost->id = id.value_or(0);
        return id.has_value();
    }
    if (!run(query,
             QStringLiteral("UPDATE operational_cost SET opcost_Date = ?, opcost_gross = ?, "
                            "opcost_description = ? WHERE opcost_id = ?"),
             values + QVariantList{cost->id}, error))
        return false;
    if (query.numRowsAffected() == 1)
        return true;
    *error = QObject::tr("The cost is no longer on file; add it again.");
    return false;
}

bool deleteOperationalCost(const QSqlDatabase& db, qint64 id, QString* error)
{
    QSqlQuery query(db);
    return run(query, QStringLiteral("DELETE FROM operational_cost WHERE opcost_id = ?"), {id},
               error);
}

} // namespace velmora
