#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>

namespace velmora {

// Turns off SQLite's two-argument fts3_tokenizer() on the connection under `db`, which
// would let a query hand the engine a pointer of its choosing. False for a connection
// that is not SQLite or refuses.
bool disableFts3Tokenizer(const QSqlDatabase& db);

// Opens `path` a second time, read-only, as `connectionName`: the connection a report
// runs on in its own thread; `path` may be a server's postgresql:// address, opened
// read-only as openDatabase() opens it. Invalid with the reason in *error when it cannot be opened.
QSqlDatabase openReadOnlyConnection(const QString& path, const QString& connectionName,
                                    QString* error);

// True while `db` holds a transaction it has not committed: another connection would not
// see what it wrote.
bool inTransaction(const QSqlDatabase& db);

// What the engine knows of a prepared, not yet run, query: its column names and whether it
// only reads. `known` is false when `query` is not a prepared statement the engine can
// describe. On a server the statement is run for no row to learn its columns, and counted
// as only reading: the caller holds the connection read-only.
struct PreparedShape
{
    bool known = false;
    bool readOnly = false;
    QStringList columns;
};
PreparedShape preparedShape(const QSqlQuery& query);

// Watches the statements of one SQLite connection while it lives: once the run is past the
// time limit set with setLimit(), or once cancel() is called (from any thread), whatever runs
// on the connection is interrupted and fails. No text or blob value larger than
// kLargestValueBytes can be made or read on the connection meanwhile, so that no query can
// fill the memory with one value.
class QueryWatch
{
public:
    static constexpr int kLargestValueBytes = 1024 * 1024;

    explicit QueryWatch(const QSqlDatabase& db);
    ~QueryWatch();
    QueryWatch(const QueryWatch&) = delete;
    QueryWatch& operator=(const QueryWatch&) = delete;

    // The time the whole run may take from now on; none when zero.
    void setLimit(std::chrono::milliseconds limit);
    std::chrono::milliseconds limit() const { return m_limit; }
    // True once the run is past its time limit (and then every later step fails too).
    bool pastLimit() const;

    // Interrupts whatever runs on the connection now and every later step. Thread-safe.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }
    // True once a step was stopped by the limit.
    bool timedOut() const { return m_timedOut.load(); }
    bool isWatching() const { return m_handle != nullptr; }

private:
    static int onProgress(void* watch);

    void* m_handle = nullptr; // sqlite3*
    int m_lengthBefore = 0;
    std::chrono::milliseconds m_limit{0};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_timedOut{false};
    std::atomic<std::chrono::steady_clock::rep> m_deadline{
        std::chrono::steady_clock::time_point::max().time_since_epoch().count()};
};

} // namespace velmora
