#include "batchcache.h"

#include "sqlitestatement.h"

#include <string>

#include <sqlite3.h>

namespace velmora {

namespace {

void setCacheSize(sqlite3* db, int size)
{
    const std::string pragma = "PRAGMA cache_size = " + std::to_string(size);
    // A cache that cannot be resized only leaves the batch as fast as before.
    sqlite3_exec(db, pragma.c_str(), nullptr, nullptr, nullptr);
}

} // namespace

BatchCache::BatchCache(const QSqlDatabase& db, int megabytes) : m_db(sqliteHandle(db))
{
    if (!m_db)
        return;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA cache_size", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        m_kept = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    if (m_kept == 0) {
        m_db = nullptr;
        return;
    }
    // A negative size counts kibibytes rather than pages.
    setCacheSize(m_db, -megabytes * 1024);
}

BatchCache::~BatchCache()
{
    if (m_db)
        setCacheSize(m_db, m_kept);
}

} // namespace velmora
