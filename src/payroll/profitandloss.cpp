#include "profitandloss.h"

#include "data/dates.h"
#include "data/fault.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <map>

namespace velmora {

namespace {

using Months = std::map<QString, ProfitMonth>; // by yyyy-MM

Months emptyMonths(QDate from, QDate to)
{
    Months months;
    for (QDate month(from.year(), from.month(), 1); month <= to; month = month.addMonths(1))
        months[month.toString(QStringLiteral("yyyy-MM"))].month = month;
    return months;
}

// Adds the sums `sql` returns for each month to the members `into` names, in order.
bool addSums(const QSqlDatabase& db, const QString& sql, const QVariantList& period,
             std::initializer_list<Money ProfitMonth::*> into, Months* months, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, sql, period, error))
        return false;
    while (query.next()) {
        const auto found = months->find(query.value(0).toString());
        if (found == months->end())
            continue;
        int column = 1;
        for (Money ProfitMonth::*member : into)
            found->second.*member += Money::fromVariant(query.value(column++));
    }
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return false;
    }
    return true;
}

bool writeMonths(const QSqlDatabase& db, const std::vector<ProfitMonth>& months, QDate from,
                 QDate to, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("DELETE FROM profit_and_loss"), {}, error))
        return false;
    if (!query.prepare(QStringLiteral(
            "INSERT INTO profit_and_loss (month, start_date, end_date, income, payments, "
            "wages, operational, profit) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))) {
        *error = queryFault(query);
        return false;
    }
    for (const ProfitMonth& month : months) {
        const QVariantList values = {
            storedDate(month.month),       storedDate(from),           storedDate(to),
            month.income.toVariant(),      month.payments.toVariant(), month.wages.toVariant(),
            month.operational.toVariant(), month.profit().toVariant()};
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (!query.exec()) {
            *error = queryFault(query);
            return false;
        }
    }
    return true;
}

} // namespace

const ProfitAndLossStatements& profitAndLossStatements()
{
    static const ProfitAndLossStatements statements{
        QStringLiteral(R"(
            SELECT substr(j.date, 1, 7),
                   sum(CASE WHEN c.income_expence = 'I' THEN c.net_cost - c.vat_value
                            ELSE 0 END),
                   sum(CASE WHEN c.income_expence = 'E' THEN c.net_cost - c.vat_value
                            ELSE 0 END)
            FROM jobs j
            JOIN Costs c ON c.job_prefix = j.job_prefix AND c.jobnumber = j.job_id
            WHERE j.date >= ? AND j.date < ?
            GROUP BY substr(j.date, 1, 7))"),
        QStringLiteral(R"(
            SELECT substr(j.date, 1, 7), sum(w.driver_payment)
            FROM jobs j
            JOIN driver_wages w ON w.job_prefix = j.job_prefix AND w.job_id = j.job_id
            WHERE j.date >= ? AND j.date < ?
            GROUP BY substr(j.date, 1, 7))"),
        QStringLiteral(R"(
            SELECT substr(opcost_Date, 1, 7), sum(opcost_gross)
            FROM operational_cost
            WHERE opcost_Date >= ? AND opcost_Date < ?
            GROUP BY substr(opcost_Date, 1, 7))"),
    };
    return statements;
}

std::optional<std::vector<ProfitMonth>> runProfitAndLoss(const QSqlDatabase& db, QDate from,
                                                         QDate to, QString* error)
{
    // Stored dates may carry a time after the day, so the period ends before the next day.
    const QVariantList period = {storedDate(from), storedDate(to.addDays(1))};
    Transaction transaction(db);
    if (!transaction.begun(error))
        return std::nullopt;
    Months months = emptyMonths(from, to);
    const ProfitAndLossStatements& sql = profitAndLossStatements();
    if (!addSums(db, sql.costs, period, {&ProfitMonth::income, &ProfitMonth::payments}, &months,
                 error) ||
        !addSums(db, sql.wages, period, {&ProfitMonth::wages}, &months, error) ||
        !addSums(db, sql.operational, period, {&ProfitMonth::operational}, &months, error))
        return std::nullopt;
    std::vector<ProfitMonth> result;
    for (const auto& [key, month] : months)
        result.push_back(month);
    if (!writeMonths(db, result, from, to, error) || !transaction.commit(error))
        return std::nullopt;
    return result;
}

} // namespace velmora
