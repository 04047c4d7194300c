#pragma once

#include "data/sqlitequery.h"

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace velmora::cli {

using velmora::sqliteHandle;

// Runs `sql` (one or more statements without parameters) on `db`; false with SQLite's
// text in *error.
bool executeRaw(sqlite3* db, const char* sql, QString* error);

// One statement prepared once on a raw SQLite connection and run many times, for bulk
// work where Qt's per-row cost matters. Finalized with the object.
class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // False when the statement could not be prepared; error() says why.
    bool isValid() const { return m_statement != nullptr; }

    // Bind the ? placeholder numbered `index` from 1. Bound text is not copied: it must
    // stay as it is until the next execute() or next().
    void bind(int index, std::int64_t value);
    void bind(int index, std::string_view text);
    void bindNull(int index);

    // Runs a statement that returns no rows and makes it ready to run again.
    bool execute();
    // Steps a query: true on a row, false at the end or on an error (then error() is set).
    bool next();
    std::int64_t integer(int column) const;
    std::string_view text(int column) const;

    QString error() const { return m_error; }

private:
    bool fail();

    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    QString m_error;
};

} // namespace velmora::cli
