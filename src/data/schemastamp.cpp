#include "schemastamp.h"

#include "dialect.h"
#include "schema.h"
#include "sql.h"

#include <QSqlQuery>

namespace velmora {

namespace {

bool readPragma(QSqlQuery& query, const QString& name, int* value, QString* error)
{
    if (!run(query, QStringLiteral("PRAGMA ") + name, {}, error))
        return false;
    *value = query.next() ? query.value(0).toInt() : 0;
    return true;
}

bool readServerStamp(QSqlQuery& query, SchemaStamp* stamp, QString* error)
{
    if (!run(query, QStringLiteral("select to_regclass('database_header') is not null"), {},
             error) ||
        !query.next())
        return false;
    *stamp = {};
    if (!query.value(0).toBool())
        return true;
    if (!run(query, QStringLiteral("select application_id, user_version from database_header"), {},
             error))
        return false;
    if (query.next())
        *stamp = {query.value(0).toInt(), query.value(1).toInt()};
    return true;
}

} // namespace

bool readSchemaStamp(const QSqlDatabase& db, SchemaStamp* stamp, QString* error)
{
    QSqlQuery query(db);
    if (engineOf(db) == Engine::PostgreSQL)
        return readServerStamp(query, stamp, error);
    return readPragma(query, QStringLiteral("application_id"), &stamp->applicationId, error) &&
           readPragma(query, QStringLiteral("user_version"), &stamp->version, error);
}

bool writeSchemaStamp(const QSqlDatabase& db, int version, QString* error)
{
    QSqlQuery query(db);
    if (engineOf(db) == Engine::SQLite)
        return run(query, QStringLiteral("PRAGMA user_version = %1").arg(version), {}, error) &&
               run(query, QStringLiteral("PRAGMA application_id = %1").arg(velmoraApplicationId()),
                   {}, error);
    return execute(query,
                   QStringLiteral("CREATE TABLE IF NOT EXISTS database_header ("
                                  "application_id bigint NOT NULL, user_version bigint NOT NULL)"),
                   error) &&
           run(query, QStringLiteral("delete from database_header"), {}, error) &&
           run(query,
               QStringLiteral(
                   "insert into database_header (application_id, user_version) values (?, ?)"),
               {velmoraApplicationId(), version}, error);
}

} // namespace velmora
