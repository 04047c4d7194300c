#pragma once

#include "data/dialect.h"
#include "postgresserver.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

namespace velmora::test {

// An empty database of either engine for a test that runs on both: an SQLite file in a
// temporary folder, or a new database on `server`. Closed, and the file removed, with the
// object.
class EngineDatabase
{
public:
    EngineDatabase(Engine engine, PostgresServer& server);
    ~EngineDatabase();
    EngineDatabase(const EngineDatabase&) = delete;
    EngineDatabase& operator=(const EngineDatabase&) = delete;

    // Invalid when the database could not be made, for the reason in problem().
    QSqlDatabase& db() { return m_db; }
    QString problem() const { return m_problem; }

    // The test's rows for both engines, in a column `engine` (0 SQLite, 1 PostgreSQL).
    static void addEngineRows();

private:
    QTemporaryDir m_dir;
    QString m_connection;
    QSqlDatabase m_db;
    QString m_problem;
};

// Runs `sql` on `db` with `values`, failing the test with the driver's text. Without values
// it is not prepared, as a server prepares no change of the schema.
void exec(QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

} // namespace velmora::test

// Opens an empty database `name` of the engine in the test's row `engine`, skipping the row
// where no PostgreSQL server can start and failing it where one should but did not.
#define VELMORA_EMPTY_DATABASE(name, server)                                                       \
    QFETCH(int, engine);                                                                           \
    if (engine == 1 && (server).isMissing())                                                       \
        QSKIP(qPrintable((server).problem()));                                                     \
    velmora::test::EngineDatabase name(                                                            \
        engine == 1 ? velmora::Engine::PostgreSQL : velmora::Engine::SQLite, server);              \
    QVERIFY2(name.db().isValid(), qPrintable(name.problem()))
