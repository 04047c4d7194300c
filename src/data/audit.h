#pragma once

#include "sqlitestatement.h"

#include <QDateTime>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <string_view>

namespace velmora {

// The audit trail: every change the program makes to the firm's records (jobs, cost lines,
// payments, invoices, accounts, addresses, drivers, vehicles, the company, operators,
// settings, type tables) is recorded in audit_trail by triggers of the connection, in the
// statement that makes it and so in its transaction: when, which operator, the table and
// the row's key, the row before and after as JSON. Each entry carries the SHA-256 of its
// content and of the entry before it, so that an edited, removed or moved entry shows.

// Installs the trail on a connection that writes the database: on a file the hash function
// and the connection's triggers, on a server the connection's settings that the server's
// triggers read (serveraudit.h); the program's name is the operator until
// setAuditOperator(). False with the reason in *error.
bool startAuditTrail(const QSqlDatabase& db, QString* error);

// Names the operator that later entries of the connection record.
bool setAuditOperator(const QSqlDatabase& db, const QString& name, QString* error);

// One entry written by the program itself rather than by a trigger: a run's summary.
struct AuditEntry
{
    QString table;
    QString key;
    QString job; // the job key ("A51") when the entry concerns one job
    QString before;
    QString after;
};
bool writeAuditEntry(const QSqlDatabase& db, const AuditEntry& entry, QString* error);
// The summary entry of a run: `run` as the table, `key` naming what it ran over, `summary`
// as the values after.
bool writeRunEntry(const QSqlDatabase& db, const QString& run, const QString& key,
                   const QJsonObject& summary, QString* error);

// A run that changes many rows (invoice run, driver pay, import, removal, generation)
// records one summary entry instead of one per row: while the object lives the triggers
// record nothing. The summary is written with writeAuditEntry() in the run's transaction.
class AuditPause
{
public:
    explicit AuditPause(QSqlDatabase db);
    ~AuditPause();
    AuditPause(const AuditPause&) = delete;
    AuditPause& operator=(const AuditPause&) = delete;

private:
    QSqlDatabase m_db;
};

// While the object lives, entries of the connection carry `when` instead of the time they
// are written: a generated firm's trail bears the firm's own days. Restores the time before.
class AuditTime
{
public:
    AuditTime(QSqlDatabase db, const QDateTime& when);
    ~AuditTime();
    AuditTime(const AuditTime&) = delete;
    AuditTime& operator=(const AuditTime&) = delete;

private:
    QSqlDatabase m_db;
    QVariant m_before;
};

// The moment an AuditTime or AuditClock fixed for the connection's entries ("yyyy-MM-dd
// HH:mm:ss"); empty when they bear the time they are written.
QString fixedAuditStamp(const QSqlDatabase& db);

// A writer of many rows on an SQLite connection's raw handle that gives each its own moment
// ("yyyy-MM-dd HH:mm:ss"), as a generated firm's bookings bear theirs. Leaves the moment
// set: an AuditTime around the writer puts the time back.
class AuditClock
{
public:
    explicit AuditClock(sqlite3* handle);
    // False with the reason in *error.
    bool set(std::string_view stamp, QString* error);

private:
    SqliteStatement m_stamp;
};

// Reads the trail in order and recomputes the chain. Empty *fault when it is whole, else
// names the first entry that was altered, removed or moved. False with the reason in
// *error when the trail could not be read.
bool checkAuditTrail(const QSqlDatabase& db, QString* fault, QString* error);

} // namespace velmora
