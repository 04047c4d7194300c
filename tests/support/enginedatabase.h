#pragma once

#include "data/dialect.h"
#include "postgresserver.h"
#include "testdatabase.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

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

// The firm in `source` copied whole into a new database on `server`; null when the
// database could not be made, for the reason in server.problem().
std::unique_ptr<TestDatabase> copyOnServer(PostgresServer& server, const QSqlDatabase& source);

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

// `t`: the firm of the TestDatabase `file` where the test's row `engine` runs it, the file
// itself or a copy of it on `server`; the row is skipped where no server can start.
#define VELMORA_FIRM_ON_THE_ROWS_ENGINE(t, file, server)                                           \
    const bool t##_onServer = [] {                                                                 \
        QFETCH(int, engine);                                                                       \
        return engine == 1;                                                                        \
    }();                                                                                           \
    if (t##_onServer && (server).isMissing())                                                      \
        QSKIP(qPrintable((server).problem()));                                                     \
    const std::unique_ptr<velmora::test::TestDatabase> t##_copy =                                  \
        t##_onServer ? velmora::test::copyOnServer(server, (file).db()) : nullptr;                 \
    QVERIFY2(!t##_onServer || t##_copy, qPrintable((server).problem()));                           \
    velmora::test::TestDatabase& t = t##_copy ? *t##_copy : (file)
