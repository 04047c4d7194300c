#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <utility>

namespace velmora {

// Work that runs at one desk at a time: the invoice run, the driver payment run, and an
// import or removal, which holds off both runs (and they it).
enum class RunKind { Invoices, DriverPay, Exchange };

// While it lives, holds the server's lock for `kind`, taken without waiting: a run takes its
// own lock and shares the one an import or removal takes alone. The locks belong to the
// connection, not to a transaction: make the object before the work's transaction, so that
// it lets go after the transaction ends. An SQLite file, which one program holds at a time,
// needs none.
class RunLock
{
public:
    RunLock(QSqlDatabase db, RunKind kind);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // True when the work may go on; else false with the reason in *error ("The invoice run
    // is already running at another desk").
    bool held(QString* error) const;
    // True when it was refused because another desk holds the lock, not for a fault.
    bool elsewhere() const { return m_elsewhere; }

private:
    QSqlDatabase m_db;
    // Each lock taken: the statement that lets go of it, and its key.
    QList<std::pair<QString, int>> m_held;
    QString m_refusal;
    bool m_elsewhere = false;
};

} // namespace velmora
