#include "driverwage.h"

#include "costline.h"
#include "rowversion.h"

namespace velmora {

const DriverWageStatements& driverWageStatements()
{
    static const DriverWageStatements statements{
        QStringLiteral("UPDATE driver_wages SET job_net_cost = ?, driver_percentage = ?, "
                       "driver_payment = ? WHERE rowid = (SELECT rowid FROM driver_wages "
                       "WHERE driver_id = ? AND job_prefix = ? AND job_id = ? "
                       "AND Reported = 'N' ORDER BY rowid LIMIT 1)"),
        QStringLiteral("INSERT INTO driver_wages (driver_id, job_prefix, job_id, job_net_cost, "
                       "driver_percentage, driver_payment, Reported) "
                       "SELECT ?, ?, ?, ?, ?, ?, 'N' WHERE NOT EXISTS (SELECT 1 FROM "
                       "driver_wages WHERE driver_id = ? AND job_prefix = ? AND job_id = ?)"),
    };
    return statements;
}

namespace {

constexpr qsizetype kBatch = 500;

const QList<BatchValue> kWageRow = {BatchValue::Integer, BatchValue::CaselessText,
                                    BatchValue::Integer, BatchValue::Integer,
                                    BatchValue::Integer, BatchValue::Integer};

// The driver's row of the job: `v` is a row of driver, prefix, number.
const char* const kSameJob =
    "w.driver_id = v.column1 AND w.job_prefix = v.column2 AND w.job_id = v.column3";

} // namespace

DriverWageWriter::DriverWageWriter(const QSqlDatabase& db)
    : m_update(db,
               QStringLiteral("UPDATE driver_wages SET job_net_cost = t.income, "
                              "driver_percentage = t.percentage, driver_payment = t.share "
                              "FROM (SELECT (SELECT w.rowid FROM driver_wages w WHERE %1 "
                              "AND w.Reported = 'N' ORDER BY w.rowid LIMIT 1) AS target, "
                              "v.column4 AS income, v.column5 AS percentage, v.column6 AS share "
                              "FROM (%2) AS v) AS t WHERE driver_wages.rowid = t.target")
                   .arg(QString::fromLatin1(kSameJob), QStringLiteral("%1")),
               kWageRow),
      m_insert(db,
               QStringLiteral("INSERT INTO driver_wages (driver_id, job_prefix, job_id, "
                              "job_net_cost, driver_percentage, driver_payment, Reported) "
                              "SELECT v.column1, v.column2, v.column3, v.column4, v.column5, "
                              "v.column6, 'N' FROM (%2) AS v WHERE NOT EXISTS "
                              "(SELECT 1 FROM driver_wages w WHERE %1)")
                   .arg(QString::fromLatin1(kSameJob), QStringLiteral("%1")),
               kWageRow)
{
}

bool DriverWageWriter::write(qint64 driver, const QString& prefix, qint64 number, Money income,
                             int percentage, QString* error)
{
    m_pending.append({driver, prefix, number, income.toVariant(), percentage,
                      driverShare(income, percentage).toVariant()});
    return m_pending.size() < kBatch || flush(error);
}

bool DriverWageWriter::flush(QString* error)
{
    // The unreported rows first, so that only jobs without any row get one.
    for (RowBatch* batch : {&m_update, &m_insert}) {
        for (const QVariantList& row : std::as_const(m_pending)) {
            if (!batch->add(row, error))
                return false;
        }
        if (!batch->flush(error))
            return false;
    }
    m_pending.clear();
    return true;
}

RowBatch calculatedJobs(const QSqlDatabase& db, const QVariant& stamp)
{
    return RowBatch(db,
                    QStringLiteral("UPDATE jobs SET calculated = 'Y', ") + versionBump() +
                        QStringLiteral(" FROM (%1) AS v WHERE jobs.job_prefix = v.column1 "
                                       "AND jobs.job_id = v.column2"),
                    {BatchValue::CaselessText, BatchValue::Integer}, {stamp});
}

} // namespace velmora
