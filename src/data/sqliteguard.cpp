#include "sqliteguard.h"

#include "sqlitequery.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <QVariant>

#include <cstring>

#include <sqlite3.h>

namespace velmora {

namespace {

// SQLite calls the progress handler every this many virtual machine steps.
constexpr int kProgressSteps = 2000;

} // namespace

bool disableFts3Tokenizer(const QSqlDatabase& db)
{
    sqlite3* handle = sqliteHandle(db);
    int enabled = 1;
    return handle &&
           sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, &enabled) ==
               SQLITE_OK &&
           enabled == 0;
}

QSqlDatabase openReadOnlyConnection(const QString& path, const QString& connectionName,
                                    QString* error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open() || !disableFts3Tokenizer(db)) {
        *error = db.isOpen() ? QStringLiteral("the connection cannot be made safe")
                             : db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }
    return db;
}

bool inTransaction(const QSqlDatabase& db)
{
    sqlite3* handle = sqliteHandle(db);
    return handle && sqlite3_get_autocommit(handle) == 0;
}

PreparedShape preparedShape(const QSqlQuery& query)
{
    PreparedShape shape;
    const QSqlResult* result = query.result();
    const QVariant handle = result ? result->handle() : QVariant();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return shape;
    sqlite3_stmt* statement = *static_cast<sqlite3_stmt* const*>(handle.constData());
    if (!statement)
        return shape;
    shape.known = true;
    shape.readOnly = sqlite3_stmt_readonly(statement) != 0;
    for (int column = 0; column < sqlite3_column_count(statement); ++column)
        shape.columns.append(QString::fromUtf8(sqlite3_column_name(statement, column)));
    return shape;
}

QueryWatch::QueryWatch(const QSqlDatabase& db) : m_handle(sqliteHandle(db))
{
    if (!m_handle)
        return;
    auto* handle = static_cast<sqlite3*>(m_handle);
    sqlite3_progress_handler(handle, kProgressSteps, &QueryWatch::onProgress, this);
    m_lengthBefore = sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, kLargestValueBytes);
}

QueryWatch::~QueryWatch()
{
    if (!m_handle)
        return;
    auto* handle = static_cast<sqlite3*>(m_handle);
    sqlite3_progress_handler(handle, 0, nullptr, nullptr);
    sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, m_lengthBefore);
}

void QueryWatch::setLimit(std::chrono::milliseconds limit)
{
    m_limit = limit;
    const auto deadline = limit.count() > 0 ? std::chrono::steady_clock::now() + limit
                                            : std::chrono::steady_clock::time_point::max();
    m_deadline.store(deadline.time_since_epoch().count());
}

bool QueryWatch::pastLimit() const
{
    return std::chrono::steady_clock::now().time_since_epoch().count() > m_deadline.load();
}

void QueryWatch::cancel()
{
    m_cancelled.store(true);
    if (m_handle)
        sqlite3_interrupt(static_cast<sqlite3*>(m_handle));
}

int QueryWatch::onProgress(void* watch)
{
    auto* self = static_cast<QueryWatch*>(watch);
    if (self->m_cancelled.load())
        return 1;
    if (self->pastLimit()) {
        self->m_timedOut.store(true);
        return 1;
    }
    return 0;
}

} // namespace velmora
