#include "sqlitestatement.h"

#include <QSqlDriver>
#include <QVariant>

#include <cstring>

#include <sqlite3.h>

namespace velmora {

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    return db.isOpen() ? sqliteHandle(db.driver()) : nullptr;
}

sqlite3* sqliteHandle(const QSqlDriver* driver)
{
    if (!driver)
        return nullptr;
    const QVariant handle = driver->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

bool executeRaw(sqlite3* db, const char* sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : m_db(db)
{
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_statement, nullptr) != SQLITE_OK) {
        fail();
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(m_statement); }

bool SqliteStatement::bind(int index, std::int64_t value)
{
    return sqlite3_bind_int64(m_statement, index, value) == SQLITE_OK || fail();
}

bool SqliteStatement::bind(int index, std::string_view text)
{
    // An empty view may have no data; SQLite would bind that as NULL, not as ''.
    static const char kEmpty = '\0';
    return sqlite3_bind_text(m_statement, index, text.empty() ? &kEmpty : text.data(),
                             static_cast<int>(text.size()), SQLITE_STATIC) == SQLITE_OK ||
           fail();
}

bool SqliteStatement::bindNull(int index)
{
    return sqlite3_bind_null(m_statement, index) == SQLITE_OK || fail();
}

void SqliteStatement::clearBindings() { sqlite3_clear_bindings(m_statement); }

bool SqliteStatement::execute()
{
    m_error.clear();
    const bool done = sqlite3_step(m_statement) == SQLITE_DONE || fail();
    sqlite3_reset(m_statement);
    return done;
}

bool SqliteStatement::next()
{
    m_error.clear();
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE)
        fail();
    return false;
}

void SqliteStatement::reset() { sqlite3_reset(m_statement); }

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string_view SqliteStatement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return data ? std::string_view(
                      data, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                : std::string_view();
}

bool SqliteStatement::fail()
{
    m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

} // namespace velmora
