#pragma once

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;
class QSqlDriver;

namespace velmora {

// The SQLite connection beneath an open Qt SQLite connection; null for any other driver
// or a closed connection. Engine-only work (bulk writes, backups, interrupts) starts here.
sqlite3* sqliteHandle(const QSqlDatabase& db);
// The same beneath a driver (a statement's); null for any other driver.
sqlite3* sqliteHandle(const QSqlDriver* driver);

// Runs `sql` (one or more statements without parameters) on `db`; false with SQLite's
// text in *error.
bool executeRaw(sqlite3* db, const char* sql, QString* error);

// One statement prepared once on a raw SQLite connection and run many times, for bulk
// work and hot reads where Qt's per-value cost matters. Finalized with the object; its
// owner must let it go before the connection is closed.
class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // False when the statement could not be prepared; error() says why.
    bool isValid() const { return m_statement != nullptr; }

    // Bind the ? placeholder numbered `index` from 1; false (error() says why) when SQLite
    // refuses. Bound text is not copied: it must stay as it is until the next execute() or
    // next(). Empty text is bound as '' (never as NULL). A value stays bound until bound
    // again or cleared.
    bool bind(int index, std::int64_t value);
    bool bind(int index, std::string_view text);
    bool bindNull(int index);
    void clearBindings();

    // Runs a statement that returns no rows and makes it ready to run again.
    bool execute();
    // Steps a query: true on a row, false at the end or on an error (then error() is set).
    bool next();
    // Ends a run part-way, releasing its read of the file; the bindings stay.
    void reset();

    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    // The column's text as UTF-8, valid until the next step; empty for NULL.
    std::string_view text(int column) const;

    QString error() const { return m_error; }

private:
    bool fail();

    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    QString m_error;
};

} // namespace velmora
