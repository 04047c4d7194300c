#include "serverroles.h"

#include "dialect.h"
#include "sql.h"

#include <QObject>
#include <QSqlDriver>
#include <QSqlQuery>

namespace velmora {

bool grantDeskRole(const QSqlDatabase& db, const QString& role, QString* error)
{
    if (engineOf(db) != Engine::PostgreSQL) {
        *error = QObject::tr("A database file has no roles: the desks' role is given to a "
                             "server database only.");
        return false;
    }
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT current_schema()"), {}, error) || !query.next())
        return false;
    // A role and a schema are names, not values: quoted as the server quotes names.
    const QString schema =
        db.driver()->escapeIdentifier(query.value(0).toString(), QSqlDriver::TableName);
    const QString grantee = db.driver()->escapeIdentifier(role, QSqlDriver::TableName);
    const QString rows = QStringLiteral("SELECT, INSERT, UPDATE, DELETE");
    const QString counters = QStringLiteral("USAGE, SELECT, UPDATE");
    const QStringList statements = {
        QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, grantee),
        QStringLiteral("GRANT %3 ON ALL TABLES IN SCHEMA %1 TO %2").arg(schema, grantee, rows),
        QStringLiteral("GRANT %3 ON ALL SEQUENCES IN SCHEMA %1 TO %2")
            .arg(schema, grantee, counters),
        QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA %1 GRANT %3 ON TABLES TO %2")
            .arg(schema, grantee, rows),
        QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA %1 GRANT %3 ON SEQUENCES TO %2")
            .arg(schema, grantee, counters),
    };
    Transaction transaction(db);
    if (!transaction.begun(error))
        return false;
    for (const QString& statement : statements) {
        if (!execute(query, statement, error))
            return false;
    }
    return transaction.commit(error);
}

} // namespace velmora
