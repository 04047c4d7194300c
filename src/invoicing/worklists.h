#pragma once

#include "platform/lazyrows.h"

#include <QDate>
#include <QSqlDatabase>
#include <QStringList>

#include <memory>
#include <optional>

namespace velmora {

// The account jobs not yet invoiced, by account name: the running number from 1, the
// account's name and contact (empty for a job whose account row is missing; those jobs
// come last) and the job number, read a batch at a time; null with the driver's text
// in *error.
std::unique_ptr<RowSource> jobsNotInvoiced(const QSqlDatabase& db, QString* error);
QStringList notInvoicedHeadings();

// The columns of the jobs without costs: a narrow blank one, "Job" (prefix and number),
// "Date", "Status", "Time", "Passenger", "From", "To", then the prefix and the number
// alone, which the grid keeps hidden.
enum NoncostedColumn {
    NoncostedBlank,
    NoncostedJob,
    NoncostedDate,
    NoncostedStatus,
    NoncostedTime,
    NoncostedPassenger,
    NoncostedFrom,
    NoncostedTo,
    NoncostedPrefix,
    NoncostedNumber,
    NoncostedColumnCount
};
QStringList noncostedHeadings();
// Every job, of any status, with no cost line of its own prefix and number, oldest first.
std::unique_ptr<RowSource> jobsWithoutCosts(const QSqlDatabase& db, QString* error);

// How many jobs lie on the days from `first` to `last`, both whole days included.
// nullopt with the driver's text in *error.
std::optional<qint64> countJobs(const QSqlDatabase& db, QDate first, QDate last, QString* error);
// Whether the jobs table holds any job at all.
std::optional<bool> anyJobs(const QSqlDatabase& db, QString* error);

// The statements of the lists and of the count (bound: the first day and the day after
// the last), as a file runs them, which the benchmark runs too.
QString jobsNotInvoicedSql();
QString jobsWithoutCostsSql();
QString jobCountSql();

} // namespace velmora
