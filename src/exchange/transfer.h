#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class QIODevice;

namespace velmora::exchange {

// What a transfer routine did. A routine that fails keeps nothing of its file: an import
// runs in one transaction and an export replaces the file only when all of it is written.
struct TransferOutcome
{
    bool completed = false;
    // The summary of a completed run, or why the run failed and that nothing was kept.
    QString message;
    // The message of each rejected record, in the file's order.
    QStringList rejections;
    qint64 added = 0;
    qint64 updated = 0;
    qint64 rejected = 0;
    qint64 written = 0;
    qint64 strayBytes = 0; // bytes at the end of an imported file that made no record
    qint64 unmappable = 0; // characters an export wrote as "?"
};

// Imports a jobs transfer file: each record adds a job, or updates the completed job of
// the same prefix and number, after its account, driver, payment type and vehicle type
// are found. `path` names the file in the messages.
TransferOutcome import_job_transfer(const QSqlDatabase& db, const QString& path);
TransferOutcome import_job_transfer(const QSqlDatabase& db, QIODevice& file, const QString& path);

// Imports a costs transfer file: each record adds the cost line of its job, or updates
// the line of the same job, direction and type, after the job and the type are found.
TransferOutcome import_cost_transfer(const QSqlDatabase& db, const QString& path);
TransferOutcome import_cost_transfer(const QSqlDatabase& db, QIODevice& file, const QString& path);

// Writes every account, in account number order, to a new accounts transfer file at
// `path`, replacing the file there.
TransferOutcome export_account_transfer(const QSqlDatabase& db, const QString& path);

} // namespace velmora::exchange
