#pragma once

#include <QSqlDatabase>
#include <QString>

namespace velmora {

// What marks a database as a Velmora one of a schema version. An SQLite file carries it in
// its header (PRAGMA application_id and user_version); a PostgreSQL database in the one row
// of its table database_header. A database without it (an empty one) reads 0 and 0.
struct SchemaStamp
{
    int applicationId = 0;
    int version = 0;
};

// The stamp `db` carries; false with the reason in *error when it cannot be read.
bool readSchemaStamp(const QSqlDatabase& db, SchemaStamp* stamp, QString* error);

// Marks `db` as ours, of schema `version`, in the transaction the caller holds.
// False with the reason in *error.
bool writeSchemaStamp(const QSqlDatabase& db, int version, QString* error);

} // namespace velmora
