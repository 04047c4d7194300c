#pragma once

#include "money.h"
#include "rowbatch.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace velmora {

// The two statements that record a driver's share of a job one at a time, for the
// benchmark's baseline. `update` binds income, percentage, share, driver, prefix and number
// and rewrites the driver's unreported row of the job; when it changed nothing, `insert`
// binds driver, prefix, number, income, percentage and share, then driver, prefix and
// number again, and adds a row unless the driver already has one (a reported row).
struct DriverWageStatements
{
    QString update, insert;
};
const DriverWageStatements& driverWageStatements();

// Records drivers' shares of jobs in driver_wages: one row per driver and job (by prefix
// and number), rewritten while it is unreported and never once its slip is printed. The
// shares are written a batch at a time, with the statements above made set-wise: each job
// at most once between flushes.
class DriverWageWriter
{
public:
    explicit DriverWageWriter(const QSqlDatabase& db);

    // Takes `driver`'s share (driverShare) of the job's `income` at `percentage`; writes the
    // batch when it is full. False with the driver's text in *error.
    bool write(qint64 driver, const QString& prefix, qint64 number, Money income, int percentage,
               QString* error);
    // Writes the shares taken and not yet written. False with the driver's text in *error.
    bool flush(QString* error);

private:
    RowBatch m_update;
    RowBatch m_insert;
    QList<QVariantList> m_pending;
};

// Marks jobs (rows of prefix and number) calculated, as a driver's share of them is
// recorded, stamping the change with `stamp` (changeStamp()).
RowBatch calculatedJobs(const QSqlDatabase& db, const QVariant& stamp);

} // namespace velmora
