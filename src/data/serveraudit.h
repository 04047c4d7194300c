#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace velmora {

// The audit trail on a PostgreSQL database. Each audited table has a trigger that records
// a change as SQLite's temporary triggers do, with the same keys, value texts and hash, but
// only for a connection that started the trail: the connection's operator, pause count and
// fixed time are its settings velmora.audit_operator, velmora.audit_paused and
// velmora.audit_stamp. Appends are serialised by a lock held to the end of the writer's
// transaction, so that desks writing at once make one chain in seq order.

// The functions and triggers, each statement harmless when run again; empty with the
// reason in *error when the schema's columns could not be read.
QStringList serverAuditStatements(QString* error);

// Starts the trail on a server connection, installing it first on a database made before
// it existed; entries are stamped in the desk's own time zone, as a file's are. False with
// the reason in *error.
bool startServerAudit(const QSqlDatabase& db, QString* error);

// The statement that appends an entry of five bound values (table, key, job, before,
// after), as the triggers do.
QString serverAppendEntry();

} // namespace velmora
