#include "profitability.h"

#include "data/dates.h"
#include "data/fault.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

namespace {

// Words an error of the period's sums: one that ran past 64 bits names the job of the
// period with the largest cost line, whose amount is almost always the one at fault.
QString sumError(const QSqlDatabase& db, const QString& from, const QString& until,
                 const QString& error)
{
    if (!error.contains(QLatin1String("integer overflow")))
        return error;
    QSqlQuery query(db);
    QString ignored;
    if (!run(query,
             QStringLiteral("SELECT c.job_prefix || c.jobnumber FROM costs c JOIN jobs j "
                            "ON c.job_prefix = j.job_prefix AND c.jobnumber = j.job_id "
                            "WHERE j.date >= ? AND j.date < ? ORDER BY CASE WHEN c.net_cost < 0 "
                            "THEN -c.net_cost ELSE c.net_cost END DESC LIMIT 1"),
             {from, until}, &ignored) ||
        !query.next())
        return error;
    return QObject::tr("The cost lines of the period add up to more than can be held: the "
                       "largest is on job %1. Correct its cost lines and run again.")
        .arg(query.value(0).toString());
}

bool readLines(const QSqlDatabase& db, const QString& from, const QString& until,
               QList<ProfitLine>* lines, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, profitStatements().lines, {from, until}, error)) {
        *error = sumError(db, from, until, *error);
        return false;
    }
    std::optional<ProfitLine> others;
    while (query.next()) {
        ProfitLine line{query.value(1).toString(), query.value(2).toLongLong(),
                        Money::fromVariant(query.value(3)), Money::fromVariant(query.value(4)),
                        Money()};
        line.profit = line.receipts - line.costs;
        if (query.value(0).toLongLong() != 0) {
            lines->append(line);
        } else if (line.jobs > 0) {
            line.name = othersLineName();
            others = line;
        }
    }
    if (query.lastError().isValid()) {
        *error = sumError(db, from, until, queryFault(query));
        return false;
    }
    if (others)
        lines->append(*others);
    return true;
}

bool readOperationalCosts(const QSqlDatabase& db, const QString& from, const QString& until,
                          Money* total, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, profitStatements().operationalCosts, {from, until}, error))
        return false;
    *total = query.next() ? Money::fromVariant(query.value(0)) : Money();
    return true;
}

bool writeLines(const QSqlDatabase& db, const QList<ProfitLine>& lines, QDate start, QDate end,
                QString* error)
{
    QSqlQuery query(db);
    if (!run(query, profitStatements().clear, {}, error))
        return false;
    if (!query.prepare(profitStatements().addLine)) {
        *error = queryFault(query);
        return false;
    }
    for (const ProfitLine& line : lines) {
        query.bindValue(0, line.name);
        query.bindValue(1, storedDate(start));
        query.bindValue(2, storedDate(end));
        query.bindValue(3, line.jobs);
        query.bindValue(4, line.receipts.toVariant());
        query.bindValue(5, line.costs.toVariant());
        query.bindValue(6, line.profit.toVariant());
        if (!query.exec()) {
            *error = queryFault(query);
            return false;
        }
    }
    return true;
}

} // namespace

const ProfitStatements& profitStatements()
{
    // Each job of the period with the net of its income lines (null when it has none) and
    // of its expense lines, added up by account; cost lines belong to a job by prefix and
    // number, and a job whose account is not on file takes no part.
    static const ProfitStatements statements{
        QStringLiteral(R"(
            WITH job_totals AS (
                SELECT j.account_no,
                       (SELECT sum(c.net_cost) FROM Costs c
                        WHERE c.job_prefix = j.job_prefix AND c.jobnumber = j.job_id
                          AND c.income_expence = 'I') AS income,
                       (SELECT sum(c.net_cost) FROM Costs c
                        WHERE c.job_prefix = j.job_prefix AND c.jobnumber = j.job_id
                          AND c.income_expence = 'E') AS expense
                FROM jobs j
                WHERE j.date >= ? AND j.date < ?
            )
            SELECT t.account_no, coalesce(a.account_name, ''), count(t.income),
                   coalesce(sum(t.income), 0), coalesce(sum(t.expense), 0)
            FROM job_totals t
            LEFT JOIN accounts a ON a.account_id = t.account_no
            WHERE (t.income IS NOT NULL OR t.expense IS NOT NULL)
              AND (t.account_no = 0 OR a.account_id IS NOT NULL)
            GROUP BY t.account_no, a.account_name
            ORDER BY t.account_no)"),
        QStringLiteral("SELECT sum(opcost_gross) FROM operational_cost "
                       "WHERE opcost_Date >= ? AND opcost_Date < ?"),
        QStringLiteral("DELETE FROM profitability"),
        QStringLiteral("INSERT INTO profitability (company_name, start_date, end_date, job_count, "
                       "total_receipts, total_costs, profit_loss) VALUES (?, ?, ?, ?, ?, ?, ?)"),
    };
    return statements;
}

QString othersLineName() { return QStringLiteral("Others"); }

QString operationalCostsLineName() { return QStringLiteral("Less Operational Costs"); }

std::optional<QList<ProfitLine>> runProfitability(const QSqlDatabase& db, QDate start, QDate end,
                                                  QString* error)
{
    // Stored dates may carry a time after the day, so the period ends before the next day.
    const QString from = storedDate(start);
    const QString until = storedDate(end.addDays(1));
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = QObject::tr("The profitability run could not begin a transaction.");
        return std::nullopt;
    }
    QList<ProfitLine> lines;
    Money operational;
    if (!readLines(db, from, until, &lines, error) ||
        !readOperationalCosts(db, from, until, &operational, error))
        return std::nullopt;
    if (operational > Money())
        lines.append({operationalCostsLineName(), 0, Money(), -operational, -operational});
    if (!writeLines(db, lines, start, end, error) || !transaction.commit(error))
        return std::nullopt;
    return lines;
}

} // namespace velmora
