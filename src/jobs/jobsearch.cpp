#include "jobsearch.h"

#include "data/dates.h"

#include <QSqlError>

namespace velmora {

namespace {

// The jobs with the description of their vehicle type. Drivers and accounts are matched
// by the numbers of those whose names fit, so that a name's index leads to the jobs' own.
const QLatin1String kSelect("select jobs.job_prefix, jobs.job_id, jobs.time, jobs.date, "
                            "jobs.passenger_name, vehicle_types.vehicledescription, "
                            "jobs.address_from, jobs.address_to from jobs "
                            "left join vehicle_types "
                            "on vehicle_types.vehicletypeid = jobs.vehicle_type");

// "= ?" or, for a pattern, "like ? escape '\'", with the value to bind.
QString comparison(const QString& text, QVariantList* values)
{
    if (!text.contains(QLatin1Char('*'))) {
        values->append(text);
        return QStringLiteral(" = ?");
    }
    QString pattern = text;
    pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"))
        .replace(QLatin1Char('*'), QLatin1Char('%'));
    values->append(pattern);
    return QStringLiteral(" like ? escape '\\'");
}

// Adds "where" or "and", then `before`, the comparison with `text` and `after`, unless
// `text` is empty.
void addCondition(SearchStatement* statement, const QString& before, const QString& text,
                  const QString& after = {})
{
    if (text.isEmpty())
        return;
    statement->sql +=
        statement->values.isEmpty() ? QStringLiteral(" where ") : QStringLiteral(" and ");
    statement->sql += before + comparison(text, &statement->values) + after;
}

} // namespace

std::optional<SearchStatement> searchStatement(const SearchCriteria& criteria)
{
    SearchStatement statement{kSelect, {}};
    if (!criteria.account.isEmpty()) {
        statement.sql += QStringLiteral(" where jobs.account_no in "
                                        "(select account_id from accounts where account_name = ?)");
        statement.values.append(criteria.account);
        return statement;
    }
    addCondition(&statement, QStringLiteral("jobs.passenger_name"), criteria.customer);
    if (!criteria.date.isEmpty()) {
        const auto date = parseUkDate(criteria.date);
        if (!date)
            return std::nullopt;
        addCondition(&statement, QStringLiteral("jobs.date"), storedDate(*date));
    }
    addCondition(&statement,
                 QStringLiteral("jobs.driver in (select driver_id from drivers where driver_name"),
                 criteria.driver, QStringLiteral(")"));
    addCondition(&statement, QStringLiteral("jobs.address_from"), criteria.pickup);
    addCondition(&statement, QStringLiteral("jobs.address_to"), criteria.drop);
    return statement;
}

JobFinder::JobFinder(QSqlDatabase db) : m_db(std::move(db)) {}

bool JobFinder::start(const SearchStatement& statement, QString* error)
{
    finish();
    m_running.emplace(m_db, statement.sql);
    if (m_running->run(statement.values, error))
        return true;
    finish();
    return false;
}

bool JobFinder::read(qsizetype count, QList<FoundJob>* jobs, QString* error)
{
    for (qsizetype done = 0; m_running && done < count; ++done) {
        QSqlQuery& query = m_running->query();
        if (!query.next()) {
            const QSqlError failure = query.lastError();
            finish();
            if (failure.type() == QSqlError::NoError)
                return true;
            *error = failure.text();
            return false;
        }
        jobs->append({{query.value(0).toString(), query.value(1).toLongLong()},
                      query.value(2).toString(),
                      dateFromStored(query.value(3).toString()),
                      query.value(4).toString(),
                      query.value(5).toString(),
                      query.value(6).toString(),
                      query.value(7).toString()});
    }
    return true;
}

} // namespace velmora
