#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace velmora {

// Runs SQLite's integrity check of the file and of the jobs' text index (not on a
// connection open read-only: comparing the index needs a writable one), then looks for
// what the file format allows but the firm's data must not hold: rows that name a job,
// invoice, type, driver, account or address that does not exist, number counters behind
// the numbers their tables already use, and what must reconcile: each account's balance
// with its payments less its invoices (and those removed), each invoice's amount paid with
// its payments, the jobs marked invoiced with the invoice lines, one wage row per job, and
// the audit trail's chain of hashes. Puts
// one line per fault found into *faults (none when the file is sound). False with the
// reason in *error when the checks could not run. What could not be checked (the index
// while another program holds the write lock) is said in *notes.
bool checkIntegrity(const QSqlDatabase& db, QStringList* faults, QString* error,
                    QStringList* notes = nullptr);

} // namespace velmora
