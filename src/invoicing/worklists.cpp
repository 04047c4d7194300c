#include "worklists.h"

#include "data/dates.h"
#include "data/dialect.h"
#include "data/sql.h"

#include <QSqlQuery>

namespace velmora {

namespace {

// Accounts are walked by name and each one's waiting jobs found through its index, so
// the first rows come at once however long the list; jobs whose account row is missing
// follow, read by a statement of their own once the first has ended (a server plans the
// parts of a UNION for all their rows, and would sort every waiting job first). Each part's
// order is whole, ending on the job's rowid as SQLite's indexes do, so that both engines
// give the same order.
const QLatin1String
    kWaiting("select accounts.account_name, accounts.contact_name, jobs.job_id "
             "from accounts cross join jobs where jobs.account_no = accounts.account_id "
             "and jobs.invoiced = 'N' "
             "order by accounts.account_name nulls first, accounts.account_id, jobs.rowid");
const QLatin1String
    kOrphaned("select null, null, jobs.job_id from jobs "
              "where jobs.invoiced = 'N' and jobs.account_no <> 0 "
              "and not exists (select 1 from accounts where accounts.account_id = jobs.account_no) "
              "order by jobs.rowid");

// The rows of one statement, then of the next once it has ended.
class SequencedRows final : public RowSource
{
public:
    SequencedRows(std::unique_ptr<StatementRows> first, std::unique_ptr<StatementRows> next)
        : m_current(std::move(first)), m_next(std::move(next))
    {
    }

    bool read(int count, QList<QStringList>* rows, QString* error) override
    {
        const qsizetype wanted = rows->size() + count;
        while (rows->size() < wanted && !m_current->atEnd()) {
            if (!m_current->read(int(wanted - rows->size()), rows, error)) {
                m_next.reset();
                return false;
            }
            if (m_current->atEnd() && m_next) {
                m_current = std::move(m_next);
                if (!m_current->run({}, error))
                    return false;
            }
        }
        return true;
    }
    bool atEnd() const override { return m_current->atEnd() && !m_next; }

private:
    std::unique_ptr<StatementRows> m_current;
    std::unique_ptr<StatementRows> m_next;
};

// The jobs that have no cost line at all, by date and time (missing ones first).
QString withoutCostsSql(Engine engine)
{
    return QStringLiteral(
               "select jobs.job_prefix, jobs.job_id, jobs.date, jobs.record_status, jobs.time, "
               "jobs.passenger_name, jobs.address_from, jobs.address_to from jobs "
               "where not exists (select 1 from Costs where %1 "
               "and Costs.jobnumber = jobs.job_id) "
               "order by jobs.date nulls first, jobs.time nulls first, jobs.job_prefix, "
               "jobs.job_id, jobs.rowid")
        .arg(caseBlindEquals(engine, QStringLiteral("Costs.job_prefix"),
                             QStringLiteral("jobs.job_prefix")));
}

std::unique_ptr<RowSource> started(std::unique_ptr<StatementRows> rows, const QVariantList& values,
                                   QString* error)
{
    if (!rows->run(values, error))
        return nullptr;
    return rows;
}

} // namespace

QStringList notInvoicedHeadings()
{
    return {QStringLiteral("Grid No"), QStringLiteral("Company Name"),
            QStringLiteral("Contact Name"), QStringLiteral("Job Id")};
}

std::unique_ptr<RowSource> jobsNotInvoiced(const QSqlDatabase& db, QString* error)
{
    auto number = std::make_shared<qint64>(0);
    const auto rows = [&db, number](const QString& sql) {
        return std::make_unique<StatementRows>(db, sql, [number](const QSqlQuery& row) {
            return QStringList{QString::number(++*number), row.value(0).toString(),
                               row.value(1).toString(), row.value(2).toString()};
        });
    };
    auto waiting = rows(kWaiting);
    if (!waiting->run({}, error))
        return nullptr;
    return std::make_unique<SequencedRows>(std::move(waiting), rows(kOrphaned));
}

QStringList noncostedHeadings()
{
    return {QString(),
            QStringLiteral("Job"),
            QStringLiteral("Date"),
            QStringLiteral("Status"),
            QStringLiteral("Time"),
            QStringLiteral("Passenger"),
            QStringLiteral("From"),
            QStringLiteral("To"),
            QString(),
            QString()};
}

std::unique_ptr<RowSource> jobsWithoutCosts(const QSqlDatabase& db, QString* error)
{
    return started(std::make_unique<StatementRows>(
                       db, withoutCostsSql(engineOf(db)),
                       [](const QSqlQuery& row) {
                           const QString prefix = row.value(0).toString();
                           const QString number = row.value(1).toString();
                           const QDate date = dateFromStored(row.value(2).toString());
                           return QStringList{QString(),
                                              prefix + number,
                                              date.isValid() ? ukDate(date)
                                                             : row.value(2).toString(),
                                              row.value(3).toString(),
                                              row.value(4).toString().left(5),
                                              row.value(5).toString(),
                                              row.value(6).toString(),
                                              row.value(7).toString(),
                                              prefix,
                                              number};
                       }),
                   {}, error);
}

std::optional<qint64> countJobs(const QSqlDatabase& db, QDate first, QDate last, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, jobCountSql(), {storedDate(first), storedDate(last.addDays(1))}, error) ||
        !query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

std::optional<bool> anyJobs(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select exists (select 1 from jobs)"), {}, error) ||
        !query.next())
        return std::nullopt;
    return query.value(0).toBool();
}

QString jobsNotInvoicedSql()
{
    return QStringLiteral("select * from (%1) waiting union all select * from (%2) orphaned")
        .arg(kWaiting, kOrphaned);
}

QString jobsWithoutCostsSql() { return withoutCostsSql(Engine::SQLite); }

QString jobCountSql()
{
    return QStringLiteral("select count(*) from jobs where date >= ? and date < ?");
}

} // namespace velmora
