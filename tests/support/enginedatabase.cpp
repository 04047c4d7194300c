#include "enginedatabase.h"

#include "data/batchedquery.h"
#include "data/sql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace velmora::test {

namespace {

int databaseCount = 0;

} // namespace

EngineDatabase::EngineDatabase(Engine engine, PostgresServer& server)
    : m_connection(QStringLiteral("velmora-engine-test-%1").arg(++databaseCount))
{
    if (engine == Engine::PostgreSQL) {
        if (!server.isRunning()) {
            m_problem = server.problem();
            return;
        }
        const DatabaseLocation location =
            server.createDatabase(QStringLiteral("firm_%1").arg(databaseCount));
        m_db = location.isServer() ? server.open(location, m_connection) : QSqlDatabase();
        if (!m_db.isValid())
            m_problem = server.problem();
        return;
    }
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_dir.filePath(QStringLiteral("firm.db")));
    if (!m_db.open()) {
        m_problem = m_db.lastError().text();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

std::unique_ptr<TestDatabase> copyOnServer(PostgresServer& server, const QSqlDatabase& source)
{
    const DatabaseLocation location =
        server.createDatabase(QStringLiteral("copy_%1").arg(++databaseCount));
    if (!location.isServer())
        return nullptr;
    return std::make_unique<TestDatabase>(serverAddress(location), source);
}

EngineDatabase::~EngineDatabase()
{
    if (!m_db.isValid())
        return;
    velmora::closeBatchConnection(m_connection);
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

void EngineDatabase::addEngineRows()
{
    QTest::addColumn<int>("engine");
    QTest::newRow("sqlite") << 0;
    QTest::newRow("postgresql") << 1;
}

void exec(QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db);
    QString error;
    QVERIFY2(values.isEmpty() ? velmora::execute(query, sql, &error)
                              : velmora::run(query, sql, values, &error),
             qPrintable(error));
}

} // namespace velmora::test
