#include "jobsearch.h"

#include "data/dates.h"
#include "data/sql.h"

#include <QSqlQuery>

namespace velmora {

namespace {

const QLatin1String kSelect("select jobs.job_prefix, jobs.job_id, jobs.time, jobs.date, "
                            "jobs.passenger_name, vehicle_types.vehicledescription, "
                            "jobs.address_from, jobs.address_to from jobs "
                            "left join accounts on accounts.account_id = jobs.account_no "
                            "left join drivers on drivers.driver_id = jobs.driver "
                            "left join vehicle_types "
                            "on vehicle_types.vehicletypeid = jobs.vehicle_type");

// Adds "column = ?" or, for a pattern, "column like ? escape '\'" with its value.
void addCondition(SearchStatement* statement, const QString& column, const QString& text)
{
    if (text.isEmpty())
        return;
    statement->sql +=
        statement->values.isEmpty() ? QStringLiteral(" where ") : QStringLiteral(" and ");
    if (!text.contains(QLatin1Char('*'))) {
        statement->sql += column + QStringLiteral(" = ?");
        statement->values.append(text);
        return;
    }
    QString pattern = text;
    pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"))
        .replace(QLatin1Char('*'), QLatin1Char('%'));
    statement->sql += column + QStringLiteral(" like ? escape '\\'");
    statement->values.append(pattern);
}

} // namespace

std::optional<SearchStatement> searchStatement(const SearchCriteria& criteria)
{
    SearchStatement statement{kSelect, {}};
    if (!criteria.account.isEmpty()) {
        statement.sql += QStringLiteral(" where accounts.account_name = ?");
        statement.values.append(criteria.account);
    } else {
        addCondition(&statement, QStringLiteral("jobs.passenger_name"), criteria.customer);
        if (!criteria.date.isEmpty()) {
            const auto date = parseUkDate(criteria.date);
            if (!date)
                return std::nullopt;
            addCondition(&statement, QStringLiteral("jobs.date"), storedDate(*date));
        }
        addCondition(&statement, QStringLiteral("drivers.driver_name"), criteria.driver);
        addCondition(&statement, QStringLiteral("jobs.address_from"), criteria.pickup);
        addCondition(&statement, QStringLiteral("jobs.address_to"), criteria.drop);
    }
    statement.sql += QStringLiteral(" order by jobs.rowid");
    return statement;
}

std::optional<QList<FoundJob>> findJobs(const QSqlDatabase& db, const SearchStatement& statement,
                                        QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, statement.sql, statement.values, error))
        return std::nullopt;
    QList<FoundJob> jobs;
    while (query.next())
        jobs.append({{query.value(0).toString(), query.value(1).toLongLong()},
                     query.value(2).toString(),
                     dateFromStored(query.value(3).toString()),
                     query.value(4).toString(),
                     query.value(5).toString(),
                     query.value(6).toString(),
                     query.value(7).toString()});
    return jobs;
}

} // namespace velmora
