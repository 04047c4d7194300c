#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

namespace velmora::exchange {

// What a transfer routine did. A routine that fails keeps nothing of its file: an import
// runs in one transaction and an export replaces the file only when all of it is written.
struct TransferOutcome
{
    bool completed = false;
    bool cancelled = false; // the operator stopped the run; nothing of the file is kept
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

// Told how far an import has come: `done` records read of the `total` the file holds (0
// when its size is not known). It is told every few hundred records and after the last;
// returning false stops the import, which then keeps nothing of the file.
using TransferProgress = std::function<bool(qint64 done, qint64 total)>;

// Imports a jobs transfer file: each record adds a job, or updates the completed job of
// the same prefix and number, after its account, driver, payment type and vehicle type
// are found. `path` names the file in the messages; a file transferFileProblem() refuses
// fails the run.
TransferOutcome import_job_transfer(const QSqlDatabase& db, const QString& path,
                                    const TransferProgress& progress = {});
TransferOutcome import_job_transfer(const QSqlDatabase& db, QIODevice& file, const QString& path,
                                    const TransferProgress& progress = {});

// Imports a costs transfer file: each record adds the cost line of its job, or updates
// the line of the same job, direction and type, after the job and the type are found.
TransferOutcome import_cost_transfer(const QSqlDatabase& db, const QString& path,
                                     const TransferProgress& progress = {});
TransferOutcome import_cost_transfer(const QSqlDatabase& db, QIODevice& file, const QString& path,
                                     const TransferProgress& progress = {});

// Writes every account, in account number order, to a new accounts transfer file at
// `path`, replacing a file there only when `replace`; never over the database or anything
// else OutputFile refuses.
TransferOutcome export_account_transfer(const QSqlDatabase& db, const QString& path, bool replace);

// The largest transfer file an import reads: far more than any office sends.
inline constexpr qint64 kLargestTransferFile = qint64(2) * 1024 * 1024 * 1024;

// Why the file at `path` cannot be imported, naming it; empty when it can be read: it must
// be an ordinary file (not a pipe or device, which could block or never end) that may be
// read, of at most kLargestTransferFile bytes.
QString transferFileProblem(const QString& path);

} // namespace velmora::exchange
