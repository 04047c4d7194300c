#pragma once

#include "data/money.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// A driver paid a percentage of the income of the jobs they drive.
struct PercentageDriver
{
    qint64 id = 0;
    QString name;
    int percentage = 0;
};

// Every driver whose percentage is above zero, by driver number; nullopt with the
// driver's text in *error when they cannot be read.
std::optional<QList<PercentageDriver>> percentageDrivers(const QSqlDatabase& db, QString* error);

// The drivers a payment run covers, by driver number, both ends included.
struct DriverRange
{
    qint64 from = 0;
    qint64 to = 0;
    QString fromName; // the name the start list shows after the run
};

// The range named by the texts of the start and end lists: an empty start is the first
// driver of `drivers`, an empty end the last; a name that is not among them (compared
// without case) is the first driver, at either end. nullopt when `drivers` is empty.
std::optional<DriverRange> driverRange(const QList<PercentageDriver>& drivers,
                                       const QString& startName, const QString& endName);

// A job as the run names it in its messages.
struct PayJob
{
    QString prefix;
    qint64 number = 0;
    qint64 driver = 0;
};

// What a driver payment run did.
struct DriverPayRun
{
    qint64 jobsFound = 0; // completed percentage jobs not yet calculated
    qint64 jobsPaid = 0;  // wage rows written or rewritten
    Money total;          // the income the paid jobs' shares were taken from
    // Jobs without an income line: marked calculated, no wage row.
    QList<PayJob> withoutIncome;
    // Jobs whose driver has no percentage: left uncalculated, no wage row, so that they
    // are paid by the first run after a percentage is set.
    QList<PayJob> withoutPercentage;
};

// Works out the share of every completed job flagged as paying its driver a percentage
// that no run has taken in yet, for the drivers `range` covers (and, when `lastDay` is
// valid, picked up on or before it). Each job gets its driver's wage row (DriverWageWriter:
// rewritten while unreported, never once reported) with the job's income (the gross of its
// income lines, credit notes with their sign), the driver's percentage and the exact share;
// the job is marked calculated. Runs inside the caller's transaction.
// nullopt with the driver's text in *error; the caller's rollback then undoes it all.
std::optional<DriverPayRun> payDrivers(const QSqlDatabase& db, const DriverRange& range,
                                       QDate lastDay, QString* error);

// payDrivers() over every day, in a transaction of its own: all or nothing. When it is
// refused because the run is running at another desk, as *error says, *elsewhere (when
// given) is set.
std::optional<DriverPayRun> calculateDriverPay(const QSqlDatabase& db, const DriverRange& range,
                                               QString* error, bool* elsewhere = nullptr);

// The messages that name the jobs a run could not pay, one for each job.
QStringList unpaidJobsMessages(const DriverPayRun& run);

// The statements of a payment run: candidates, for the run and the benchmark's baseline,
// binds the first and last driver and the last day (yyyy-MM-dd) and returns prefix, number,
// driver, percentage (null when the driver has none) and income (null when the job has no
// income line). markCalculated, the baseline's mark of one job at a time (the run marks a
// batch with calculatedJobs()), binds the stamp of the change (changeStamp()), prefix and
// number; the baseline writes the wage rows with driverWageStatements().
struct DriverPayStatements
{
    QString candidates, markCalculated;
};
const DriverPayStatements& driverPayStatements();

// Marks every unreported wage row, whoever wrote it, as reported once the slips are
// printed. Returns how many rows it marked, or nullopt with the driver's text in *error.
std::optional<qint64> markWagesReported(const QSqlDatabase& db, QString* error);

} // namespace velmora
