#pragma once

#include <QSqlDatabase>

struct sqlite3;

namespace velmora {

// Lends the SQLite connection beneath `db` a larger page cache for the life of the object,
// for batch work (an import, a removal) whose writes reach many pages of many indexes, and
// gives back the size it had. The cache is bounded, so the batch's memory stays flat
// however large its file. Nothing happens on another driver.
class BatchCache
{
public:
    static constexpr int kDefaultMegabytes = 64;

    explicit BatchCache(const QSqlDatabase& db, int megabytes = kDefaultMegabytes);
    ~BatchCache();
    BatchCache(const BatchCache&) = delete;
    BatchCache& operator=(const BatchCache&) = delete;

private:
    sqlite3* m_db = nullptr;
    int m_kept = 0; // the cache_size to give back
};

} // namespace velmora
