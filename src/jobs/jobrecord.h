#pragma once

#include "data/rowversion.h"
#include "jobkey.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// The booking of a job as the job screen writes it.
struct JobRecord
{
    QDate date;
    QString time; // "HH:mm"
    QString passenger;
    QString from;
    QString to;
    QString instructions;
    QString accountReference;
    QString costCode;
    qint64 account = 0;
    qint64 driver = 0;
    qint64 paymentType = 0;
    qint64 vehicleType = 0;
    bool onAccount = false; // an account job waits to be invoiced
};

// Adds `job` under `prefix` as booked ("I"), leaving the reference and cost code unset
// when they are empty. Returns the number the database gave it, or nullopt with the
// driver's text in *error.
std::optional<qint64> addJob(const QSqlDatabase& db, const QString& prefix, const JobRecord& job,
                             QString* error);

// Adds and updates set the job's driver-percentage flag from its driver: "Y" when the
// driver is paid a percentage and the job is not yet calculated, else "N".

// Rewrites the booking of the job `key` (the reference and cost code as they stand); a job
// already invoiced stays invoiced with its invoice, any other is marked as `job` says. With
// `version`, only while the job is at that row version (rowversion.h: ChangedElsewhere
// with the refusal in *error). Missing when there is no such job; nullopt with the
// driver's text in *error when it could not be written.
std::optional<RowSave> updateJob(const QSqlDatabase& db, const JobKey& key, const JobRecord& job,
                                 std::optional<qint64> version, QString* error);

// A job as the booking shows it; a name is missing when its row does not exist.
struct LoadedJob
{
    JobKey key;
    QDate date;
    QString time; // as stored, "09:30:00"
    QString passenger;
    std::optional<QString> from;
    std::optional<QString> to;
    std::optional<QString> instructions;
    std::optional<QString> driver;
    std::optional<QString> paymentType;
    std::optional<QString> vehicleType;
    std::optional<QString> accountName;
    std::optional<QString> accountReference;
    std::optional<QString> costCode;
    qint64 accountId = 0;          // the account's own number, when it exists
    qint64 account = 0;            // the job's account number
    std::optional<qint64> invoice; // the invoice it is on, once invoiced
    qint64 version = 0;            // its row version as read
};

// The statement loadJob() runs, bound with the prefix and number.
const QString& loadJobStatement();

// Reads the job `key` with the names of its driver, payment type, vehicle type and
// account. Returns false with the driver's text in *error when it cannot be read;
// otherwise *job is empty when there is no such job.
bool loadJob(const QSqlDatabase& db, const JobKey& key, std::optional<LoadedJob>* job,
             QString* error);

} // namespace velmora
