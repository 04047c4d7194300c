#include "jobsearch.h"

#include "data/dates.h"
#include "data/jobtext.h"
#include "foundrows.h"

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

// The same for one of the jobs' own text columns, which a pattern finds through an index of
// the column's text (jobTextNarrowing()) rather than by reading every job.
void addTextCondition(SearchStatement* statement, Engine engine, const QString& column,
                      const QString& text)
{
    if (text.isEmpty())
        return;
    statement->sql +=
        statement->values.isEmpty() ? QStringLiteral(" where ") : QStringLiteral(" and ");
    statement->sql += jobTextNarrowing(engine, column, text, &statement->values);
    statement->sql += QStringLiteral("jobs.") + column + comparison(text, &statement->values);
}

} // namespace

std::optional<SearchStatement> searchStatement(const SearchCriteria& criteria, Engine engine)
{
    SearchStatement statement{kSelect, {}};
    if (!criteria.account.isEmpty()) {
        statement.sql += QStringLiteral(" where jobs.account_no in "
                                        "(select account_id from accounts where account_name = ?)");
        statement.values.append(criteria.account);
        return statement;
    }
    addTextCondition(&statement, engine, QStringLiteral("passenger_name"), criteria.customer);
    if (!criteria.date.isEmpty()) {
        const auto date = parseUkDate(criteria.date);
        if (!date)
            return std::nullopt;
        addCondition(&statement, QStringLiteral("jobs.date"), storedDate(*date));
    }
    addCondition(&statement,
                 QStringLiteral("jobs.driver in (select driver_id from drivers where driver_name"),
                 criteria.driver, QStringLiteral(")"));
    addTextCondition(&statement, engine, QStringLiteral("address_from"), criteria.pickup);
    addTextCondition(&statement, engine, QStringLiteral("address_to"), criteria.drop);
    return statement;
}

JobFinder::JobFinder(QSqlDatabase db) : m_db(std::move(db)) {}

bool JobFinder::start(const SearchStatement& statement, QString* error)
{
    finish();
    std::unique_ptr<RowReader>& kept = m_statements[statement.sql];
    if (!kept)
        kept = std::make_unique<RowReader>(m_db, statement.sql, RowReader::InBatches);
    if (!kept->run(statement.values, error))
        return false;
    m_running = kept.get();
    return true;
}

void JobFinder::finish()
{
    if (m_running)
        m_running->finish();
    m_running = nullptr;
}

bool JobFinder::read(qsizetype count, FoundRows* rows, QString* error)
{
    for (qsizetype done = 0; m_running && done < count; ++done) {
        RowReader& query = *m_running;
        QString failure;
        if (!query.next(&failure)) {
            m_running = nullptr;
            if (failure.isEmpty())
                return true;
            *error = failure;
            return false;
        }
        rows->append(FoundRows::Bytes{query.utf8(0), query.integer(1), query.utf8(2), query.date(3),
                                      query.utf8(4), query.utf8(5), query.utf8(6), query.utf8(7)});
    }
    return true;
}

} // namespace velmora
