#include "firmpayroll.h"

#include "data/audit.h"
#include "data/dates.h"
#include "data/money.h"
#include "data/sql.h"
#include "firmrandom.h"
#include "payroll/driverpay.h"
#include "payroll/operationalcosts.h"

#include <QSqlQuery>

namespace velmora::firm {

namespace {

// The first day of the month of the oldest job; null when there is no job.
QDate firstMonth(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT min(date) FROM jobs"), {}, error) || !query.next())
        return {};
    const QDate first = QDate::fromString(query.value(0).toString(), Qt::ISODate);
    return first.isValid() ? QDate(first.year(), first.month(), 1) : QDate();
}

// The slips of the jobs before `day` have been printed (the invoice run pays the drivers of
// account jobs at each month's end, so rows of later jobs are already there).
bool markSlipsPrintedBefore(const QSqlDatabase& db, QDate day, QString* error)
{
    QSqlQuery query(db);
    return run(query,
               QStringLiteral("UPDATE driver_wages SET Reported = 'Y' WHERE Reported = 'N' "
                              "AND EXISTS (SELECT 1 FROM jobs j WHERE j.job_prefix = "
                              "driver_wages.job_prefix AND j.job_id = driver_wages.job_id "
                              "AND j.date < ?)"),
               {storedDate(day)}, error);
}

bool payMonths(const QSqlDatabase& db, QDate first, const FirmOptions& options,
               const FirmProgress& progress, QString* error)
{
    const auto drivers = percentageDrivers(db, error);
    if (!drivers)
        return false;
    if (drivers->isEmpty())
        return true;
    const DriverRange everyone{drivers->front().id, drivers->back().id, {}};
    const QDate thisMonth(options.today.year(), options.today.month(), 1);
    const auto months = static_cast<std::int64_t>((thisMonth.year() - first.year()) * 12 +
                                                  thisMonth.month() - first.month());
    std::int64_t done = 0;
    for (QDate month = first; month < thisMonth; month = month.addMonths(1)) {
        const QDate next = month.addMonths(1);
        const AuditTime at(db, QDateTime(next.addDays(-1), QTime(18, 0)));
        // Every slip before last month's has been printed.
        if ((next == thisMonth && !markSlipsPrintedBefore(db, month, error)) ||
            !payDrivers(db, everyone, next.addDays(-1), error))
            return false;
        if (progress)
            progress("driver pay", ++done, months);
    }
    return true;
}

// Rent and insurance on the first of the month; radio, phones and the office's sundries
// in amounts that vary.
bool recordCosts(const QSqlDatabase& db, QDate first, const FirmOptions& options, QString* error)
{
    Random random(options.seed ^ 0x6f70636f737473ULL);
    for (QDate month = first; month <= options.today; month = month.addMonths(1)) {
        const OperationalCost costs[] = {
            {0, month, Money::fromPence(185000), QStringLiteral("Office rent")},
            {0, month, Money::fromPence(64000), QStringLiteral("Insurance")},
            {0, month.addDays(9), Money::fromPence(21000 + random.below(60) * 250),
             QStringLiteral("Radio and telephones")},
            {0, month.addDays(19), Money::fromPence(5000 + random.below(200) * 100),
             QStringLiteral("Office sundries")},
        };
        for (OperationalCost cost : costs) {
            if (cost.date > options.today)
                continue;
            const AuditTime at(db, QDateTime(cost.date, QTime(9, 30)));
            if (!saveOperationalCost(db, &cost, error))
                return false;
        }
    }
    return true;
}

} // namespace

bool writeFirmPayroll(const QSqlDatabase& db, const FirmOptions& options,
                      const FirmProgress& progress, QString* error)
{
    error->clear();
    const QDate first = firstMonth(db, error);
    if (!first.isValid())
        return error->isEmpty();
    {
        // The runs record one summary entry each.
        const AuditPause pause(db);
        if (!payMonths(db, first, options, progress, error))
            return false;
    }
    return recordCosts(db, first, options, error);
}

} // namespace velmora::firm
