#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// The engines a firm's database lives in: an SQLite file, or a database on a PostgreSQL
// server shared by several desks.
enum class Engine { SQLite, PostgreSQL };

// The engine behind `db`, told by its driver.
Engine engineOf(const QSqlDatabase& db);

// The schema statement `sqlite`, written for SQLite, as PostgreSQL runs it:
// - text that compares without case (TEXT COLLATE NOCASE) is citext, and an index
//   expression's COLLATE NOCASE goes, the column already comparing so;
// - INTEGER is bigint and REAL double precision;
// - an INTEGER PRIMARY KEY (AUTOINCREMENT or not) is an identity column, numbered by the
//   server when a row brings no number, and a trigger moves its counter past a number a
//   row brings (postgresSetup());
// - every table gets a column rowid, so that statements that address rows by SQLite's
//   rowid run alike: a copy of the table's INTEGER PRIMARY KEY (which SQLite's rowid is),
//   or else an identity column numbering the rows in the order they were added.
// nullopt for a statement with no PostgreSQL form (a trigger, a virtual table or a command
// to one, a pragma), for which a migration gives PostgreSQL statements of its own.
std::optional<QStringList> postgresStatements(const QString& sqlite);

// What the schema needs on a PostgreSQL database before its migrations, each statement
// harmless when run again: the extensions citext and pg_trgm (trusted ones, which a
// database's owner may create) and the function behind the key triggers.
QStringList postgresSetup();

// The trigger that moves the counter of `table`'s key column past the keys its rows bring
// (postgresSetup()), run once a statement; it replaces one of the same name.
QString keyPastTrigger(const QString& table, const QString& keyColumn);

// What a list read whole orders by for `column`, text compared without case: the column
// itself on a file; on a server the column's text in lower case, nulls first as a file puts
// them. It orders as the column does, but a sort lowers each value once, where sorting the
// case-blind column lowers both values at every comparison (12 ms for 2,000 accounts).
QString caseBlindOrder(Engine engine, const QString& column);

// A condition that `left` equals `right`, both text compared without case: `left = right` on
// a file; on a server the texts as stored are compared first, and only texts that differ are
// compared without case. Keys are nearly always stored alike, and the case-blind comparison
// lowers both texts each time (on a server, a fifth of the time of a list that looks up a
// job's cost lines for each of thousands of jobs).
QString caseBlindEquals(Engine engine, const QString& left, const QString& right);

} // namespace velmora
