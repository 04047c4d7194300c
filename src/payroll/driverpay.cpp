#include "driverpay.h"

#include "data/audit.h"
#include "data/costline.h"
#include "data/dates.h"
#include "data/driverwage.h"
#include "data/fault.h"
#include "data/readonly.h"
#include "data/rowbatch.h"
#include "data/rowversion.h"
#include "data/runlock.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <vector>

namespace velmora {

namespace {

// A job to pay as the run reads it: null percentage when its driver is not paid one,
// null income when it has no income line.
struct Candidate
{
    PayJob job;
    QVariant percentage;
    QVariant income;
};

// Words an error of reading the jobs to pay: a sum past 64 bits names the first job whose
// income lines run past it.
QString candidatesError(const QSqlDatabase& db, const QVariantList& bound, const QString& error)
{
    if (!error.contains(QLatin1String("integer overflow")))
        return error;
    QSqlQuery query(db);
    QString ignored;
    if (!run(query,
             QStringLiteral("SELECT j.job_prefix || j.job_id FROM jobs j "
                            "WHERE j.calculated = 'N' AND j.record_status = 'C' "
                            "AND j.driver_percentage = 'Y' AND j.driver >= ? AND j.driver <= ? "
                            "AND j.date <= ? AND abs((SELECT total(c.gross_cost) FROM Costs c "
                            "WHERE c.job_prefix = j.job_prefix AND c.jobnumber = j.job_id "
                            "AND c.income_expence = 'I')) >= 9.2e18 LIMIT 1"),
             bound, &ignored) ||
        !query.next())
        return error;
    return QObject::tr("The income lines of job %1 add up to more than can be held. Correct "
                       "its receipt lines and run again.")
        .arg(query.value(0).toString());
}

bool readCandidates(const QSqlDatabase& db, const DriverRange& range, QDate lastDay,
                    std::vector<Candidate>* candidates, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString last = lastDay.isValid() ? storedDate(lastDay) : QStringLiteral("9999-12-31");
    const QVariantList bound{range.from, range.to, last};
    if (!run(query, driverPayStatements().candidates, bound, error)) {
        *error = candidatesError(db, bound, *error);
        return false;
    }
    while (query.next()) {
        candidates->push_back(
            {{query.value(0).toString(), query.value(1).toLongLong(), query.value(2).toLongLong()},
             query.value(3),
             query.value(4)});
    }
    if (query.lastError().isValid()) {
        *error = candidatesError(db, bound, queryFault(query));
        return false;
    }
    return true;
}

} // namespace

const DriverPayStatements& driverPayStatements()
{
    // Income lines belong to a job by prefix and number.
    static const DriverPayStatements statements{
        QStringLiteral(R"(
            SELECT j.job_prefix, j.job_id, j.driver, d.driver_percentage,
                   (SELECT sum(c.gross_cost) FROM Costs c
                    WHERE c.job_prefix = j.job_prefix AND c.jobnumber = j.job_id
                      AND c.income_expence = 'I') AS income
            FROM jobs j
            LEFT JOIN drivers d ON d.driver_id = j.driver AND d.driver_percentage > 0
            WHERE j.calculated = 'N' AND j.record_status = 'C' AND j.driver_percentage = 'Y'
              AND j.driver >= ? AND j.driver <= ? AND j.date <= ?
            ORDER BY j.driver, j.job_id, j.job_prefix)"),
        QStringLiteral("UPDATE jobs SET calculated = 'Y', ") + versionBump() +
            QStringLiteral(" WHERE job_prefix = ? AND job_id = ?"),
    };
    return statements;
}

std::optional<QList<PercentageDriver>> percentageDrivers(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query,
             QStringLiteral("SELECT driver_id, driver_name, driver_percentage FROM drivers "
                            "WHERE driver_percentage > ? ORDER BY driver_id"),
             {0}, error))
        return std::nullopt;
    QList<PercentageDriver> drivers;
    while (query.next()) {
        drivers.append(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toInt()});
    }
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return drivers;
}

std::optional<DriverRange> driverRange(const QList<PercentageDriver>& drivers,
                                       const QString& startName, const QString& endName)
{
    if (drivers.isEmpty())
        return std::nullopt;
    const auto named = [&drivers](const QString& name) -> const PercentageDriver& {
        for (const PercentageDriver& driver : drivers) {
            if (driver.name.compare(name, Qt::CaseInsensitive) == 0)
                return driver;
        }
        return drivers.front();
    };
    const PercentageDriver& start = startName.isEmpty() ? drivers.front() : named(startName);
    const PercentageDriver& end = endName.isEmpty() ? drivers.back() : named(endName);
    return DriverRange{start.id, end.id, start.name};
}

std::optional<DriverPayRun> payDrivers(const QSqlDatabase& db, const DriverRange& range,
                                       QDate lastDay, QString* error)
{
    std::vector<Candidate> candidates;
    if (!readCandidates(db, range, lastDay, &candidates, error))
        return std::nullopt;
    DriverPayRun result;
    result.jobsFound = static_cast<qint64>(candidates.size());
    if (candidates.empty())
        return result;
    const AuditPause pause(db);
    // Written a batch at a time: each job is among the candidates once.
    DriverWageWriter wages(db);
    RowBatch calculated = calculatedJobs(db, changeStamp(db));
    for (const Candidate& candidate : candidates) {
        const PayJob& job = candidate.job;
        if (candidate.percentage.isNull()) {
            result.withoutPercentage.append(job);
            continue;
        }
        if (candidate.income.isNull()) {
            result.withoutIncome.append(job);
        } else {
            const Money income = Money::fromVariant(candidate.income);
            if (!wages.write(job.driver, job.prefix, job.number, income,
                             candidate.percentage.toInt(), error))
                return std::nullopt;
            result.total += income;
            ++result.jobsPaid;
        }
        if (!calculated.add({job.prefix, job.number}, error))
            return std::nullopt;
    }
    if (!wages.flush(error) || !calculated.flush(error))
        return std::nullopt;
    if (!writeRunEntry(db, QStringLiteral("driver pay"),
                       QStringLiteral("%1-%2").arg(range.from).arg(range.to),
                       {{QStringLiteral("jobs found"), result.jobsFound},
                        {QStringLiteral("jobs paid"), result.jobsPaid},
                        {QStringLiteral("income"), result.total.toPlainString()}},
                       error))
        return std::nullopt;
    return result;
}

std::optional<DriverPayRun> calculateDriverPay(const QSqlDatabase& db, const DriverRange& range,
                                               QString* error, bool* elsewhere)
{
    const RunLock lock(db, RunKind::DriverPay);
    if (!lock.held(error)) {
        if (elsewhere)
            *elsewhere = lock.elsewhere();
        return std::nullopt;
    }
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = QObject::tr("The driver payment run could not begin a transaction.");
        return std::nullopt;
    }
    auto result = payDrivers(db, range, QDate(), error);
    if (!result || !transaction.commit(error))
        return std::nullopt;
    return result;
}

QStringList unpaidJobsMessages(const DriverPayRun& run)
{
    QStringList lines;
    for (const PayJob& job : run.withoutIncome)
        lines.append(QObject::tr("Job %1 has no costs recorded against it").arg(job.number));
    for (const PayJob& job : run.withoutPercentage) {
        lines.append(QObject::tr("Job %1 has the driver percentage set to yes but the driver "
                                 "does not have a percentage figure recorded against them, "
                                 "please correct manually after processing ")
                         .arg(job.number));
    }
    return lines;
}

std::optional<qint64> markWagesReported(const QSqlDatabase& db, QString* error)
{
    Transaction transaction(db);
    const AuditPause pause(db);
    QSqlQuery query(db);
    if (!transaction.begun(error) ||
        !run(query, QStringLiteral("UPDATE driver_wages SET Reported = 'Y' WHERE Reported = 'N'"),
             {}, error))
        return std::nullopt;
    const qint64 marked = query.numRowsAffected();
    if (marked > 0 && !writeRunEntry(db, QStringLiteral("driver pay"), QStringLiteral("reported"),
                                     {{QStringLiteral("wages reported"), marked}}, error))
        return std::nullopt;
    if (!transaction.commit(error))
        return std::nullopt;
    return marked;
}

} // namespace velmora
