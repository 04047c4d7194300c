#include "sqliteguard.h"

#include "database.h"
#include "databaselocation.h"
#include "dialect.h"
#include "sqlitestatement.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
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
    if (isServerAddress(path))
        return openDatabase(path, connectionName, error, Access::ReadOnly);
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
    if (engineOf(db) == Engine::PostgreSQL) {
        // Only the first statement of a transaction starts when the transaction did: this
        // one starts later when it runs inside a transaction begun before.
        QSqlQuery query(db);
        return db.isOpen() &&
               query.exec(
                   QStringLiteral("select transaction_timestamp() <> statement_timestamp()")) &&
               query.next() && query.value(0).toBool();
    }
    sqlite3* handle = sqliteHandle(db);
    return handle && sqlite3_get_autocommit(handle) == 0;
}

namespace {

// The number of ? placeholders of `sql` outside its quoted texts and names.
int placeholderCount(const QString& sql)
{
    int count = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull())
            quote = c == quote ? QChar() : quote;
        else if (c == u'\'' || c == u'"')
            quote = c;
        else if (c == u'?')
            ++count;
    }
    return count;
}

// A server's shape of the prepared `query`: its columns, as the statement run with every
// value NULL for no row says them. A server names a column it is not told the case of in
// lower case. Read-only, as a server says nothing of it before the run: the caller holds
// the connection read-only (ReadOnlyHold).
PreparedShape serverShape(const QSqlQuery& query)
{
    PreparedShape shape;
    if (!query.driver())
        return shape;
    QSqlQuery probe(query.driver()->createResult());
    const QString sql = query.lastQuery();
    if (!probe.prepare(QStringLiteral("select * from (%1) as shape limit 0").arg(sql)))
        return shape;
    for (int i = 0; i < placeholderCount(sql); ++i)
        probe.bindValue(i, QVariant());
    if (!probe.exec())
        return shape;
    shape.known = true;
    shape.readOnly = true;
    const QSqlRecord record = probe.record();
    for (int column = 0; column < record.count(); ++column)
        shape.columns.append(record.fieldName(column));
    return shape;
}

} // namespace

PreparedShape preparedShape(const QSqlQuery& query)
{
    if (query.driver() && query.driver()->dbmsType() == QSqlDriver::PostgreSQL)
        return serverShape(query);
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
