#pragma once

#include <QSqlDatabase>
#include <QString>

namespace velmora {

// The schema version this build writes; files carry theirs in PRAGMA user_version.
int currentSchemaVersion();
// Marks a file as ours (PRAGMA application_id), so another SQLite file is refused.
int velmoraApplicationId();

// Brings `db` from its stored version up to currentSchemaVersion(), one migration at a
// time in order, all in one transaction. An empty file (version 0) gets the whole schema.
// Returns false with the reason in *error and leaves the file as it was.
bool migrateSchema(QSqlDatabase& db, QString* error);

} // namespace velmora
