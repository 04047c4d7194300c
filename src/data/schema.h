#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace velmora {

// The schema version this build writes; a database carries its own (schemastamp.h).
int currentSchemaVersion();
// Marks a database as ours (schemastamp.h), so another SQLite file is refused.
int velmoraApplicationId();

// True when `version` is one this build has written at some time (0 is an empty file).
bool isKnownSchemaVersion(int version);

// The tables a file of schema `version` holds, by name in order.
QStringList schemaTables(int version);
// True for SQLite's full-text index of the jobs and the tables that keep it (jobs_text*),
// which a server database does without (it indexes the jobs' own columns).
bool isSqliteIndexTable(const QString& table);
// The tables of schema `version` that `db` lacks.
QStringList missingTables(const QSqlDatabase& db, int version);

// Brings `db` from its stored version up to currentSchemaVersion(), one migration at a
// time in order, all in one transaction, on SQLite or PostgreSQL (dialect.h). An empty
// file or database (version 0) gets the whole schema.
// Returns false with the reason in *error and leaves the database as it was.
bool migrateSchema(QSqlDatabase& db, QString* error);

// Brings `db` from schema `from` (0: an empty database) up to currentSchemaVersion() in the
// transaction the caller holds, so that work of the caller's (a copy) lands with it.
// False with the reason in *error; the caller's rollback leaves the database as it was.
bool upgradeSchema(QSqlDatabase& db, int from, QString* error);

// Gathers the statistics the query planner chooses its indexes by (ANALYZE), after a
// generation or an upgrade has changed the file wholesale. False with the reason in *error.
bool gatherStatistics(const QSqlDatabase& db, QString* error);

} // namespace velmora
