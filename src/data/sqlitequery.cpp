#include "sqlitequery.h"

#include <QSqlDriver>
#include <QVariant>

#include <cstring>

#include <sqlite3.h>

namespace velmora {

namespace {

int digits(const char* text, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QSqlDriver* driver = db.driver();
    if (!driver || !db.isOpen())
        return nullptr;
    const QVariant handle = driver->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

SqliteQuery::SqliteQuery(QSqlDatabase db, QString sql)
    : m_connection(std::move(db)), m_sql(std::move(sql))
{
}

SqliteQuery::~SqliteQuery() { sqlite3_finalize(m_statement); }

bool SqliteQuery::prepare(QString* error)
{
    sqlite3* db = sqliteHandle(m_connection);
    if (!db) {
        *error = QObject::tr("The database is not open.");
        return false;
    }
    if (db == m_db && m_statement)
        return true;
    // First use, or the connection was opened again: prepare on the one open now.
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_db = db;
    const QByteArray sql = m_sql.toUtf8();
    if (sqlite3_prepare_v3(db, sql.constData(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr) == SQLITE_OK)
        return true;
    *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    return false;
}

bool SqliteQuery::run(const QVariantList& values, QString* error)
{
    finish();
    if (!prepare(error))
        return false;
    sqlite3_clear_bindings(m_statement);
    m_bindResult = SQLITE_OK;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& value = values.at(i);
        const int index = static_cast<int>(i + 1);
        int result = SQLITE_OK;
        if (value.isNull()) {
            result = sqlite3_bind_null(m_statement, index);
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            result = sqlite3_bind_int64(m_statement, index, value.toLongLong());
        } else {
            const QByteArray text = value.toString().toUtf8();
            result = sqlite3_bind_text(m_statement, index, text.constData(),
                                       static_cast<int>(text.size()), SQLITE_TRANSIENT);
        }
        if (result != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
            return false;
        }
    }
    m_running = true;
    return true;
}

bool SqliteQuery::start(QString* error)
{
    finish();
    if (!prepare(error))
        return false;
    m_bindResult = SQLITE_OK;
    m_running = true;
    return true;
}

void SqliteQuery::bind(int index, qint64 value)
{
    const int result = sqlite3_bind_int64(m_statement, index, value);
    if (m_bindResult == SQLITE_OK)
        m_bindResult = result;
}

void SqliteQuery::bind(int index, QByteArrayView utf8)
{
    // An empty view may have no data; SQLite would bind that as NULL, not as ''.
    static const char kEmpty = '\0';
    const int result = sqlite3_bind_text(m_statement, index, utf8.isEmpty() ? &kEmpty : utf8.data(),
                                         static_cast<int>(utf8.size()), SQLITE_STATIC);
    if (m_bindResult == SQLITE_OK)
        m_bindResult = result;
}

bool SqliteQuery::next(QString* error)
{
    if (!m_running)
        return false;
    if (m_bindResult != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errstr(m_bindResult));
        m_bindResult = SQLITE_OK;
        finish();
        return false;
    }
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE)
        *error = QString::fromUtf8(sqlite3_errmsg(m_db));
    finish();
    return false;
}

void SqliteQuery::finish()
{
    if (m_statement && m_running)
        sqlite3_reset(m_statement);
    m_running = false;
}

bool SqliteQuery::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 SqliteQuery::integer(int column) const { return sqlite3_column_int64(m_statement, column); }

QByteArrayView SqliteQuery::utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return {text, sqlite3_column_bytes(m_statement, column)};
}

QDate SqliteQuery::date(int column) const
{
    const QByteArrayView text = utf8(column);
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return {};
    return QDate(digits(text.data(), 4), digits(text.data() + 5, 2), digits(text.data() + 8, 2));
}

} // namespace velmora
