#pragma once

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <functional>

namespace velmora {

// How far a copy is: the table being copied, its rows copied and its rows in all.
using CopyProgress = std::function<void(const char* table, std::int64_t done, std::int64_t total)>;

// Copies the whole firm in `source` (open, of the current schema) into `target`, an empty
// database of either engine (openEmptyDatabase()), in one transaction on the target: the
// schema, every row of every table with every column, each row keeping its rowid (on
// PostgreSQL its column rowid), then each counter of keys moved past the highest key. The
// rows are read and written in batches, so the memory used does not grow with the firm.
// False with the reason in *error, the target's transaction rolled back: it is left empty.
bool copyFirm(const QSqlDatabase& source, QSqlDatabase& target, const CopyProgress& progress,
              QString* error);

// The tables copyFirm() copies, by name in order: the schema's tables but SQLite's
// full-text index of the jobs (isSqliteIndexTable()), which each engine builds from the jobs.
QStringList firmTables();

} // namespace velmora
