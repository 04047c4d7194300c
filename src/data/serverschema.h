#pragma once

#include <QStringList>

namespace velmora {

// PostgreSQL's own statements for schema migration `version`, in place of those of its
// SQLite statements that have no PostgreSQL form (postgresStatements()); run after the
// migration's other statements. Empty for a migration that needs none.
QStringList serverStatements(int version);

// The channel on which a server tells of changes of the jobs: each committed statement that
// books, changes or removes jobs sends the rowid of its one job, or an empty message for
// several.
QString jobChangesChannel();

} // namespace velmora
