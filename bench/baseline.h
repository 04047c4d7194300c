#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sqlite3.h>

// Helpers for the baselines, which run the statements of our code through the sqlite3 C
// API, each prepared once. A baseline times its rows read as C values (RawRows); the
// readers into our own rows, converting as our code does, only check once that both
// sides read the same rows.
namespace velmora::bench {

// The rows a baseline reads, kept as C values: each column an integer, or its text's
// bytes, or nothing for NULL. Kept between runs so that its buffers are reused.
class RawRows
{
public:
    // Steps `statement` (its values bound) for up to `limit` rows, or all of them when
    // `limit` is negative, keeping every column, then resets it. False with SQLite's text
    // in *error.
    bool read(sqlite3_stmt* statement, qsizetype limit, QString* error);
    std::size_t rows() const { return m_rows; }

private:
    std::vector<std::int64_t> m_integers;
    std::string m_texts;
    std::vector<std::size_t> m_textEnds;
    std::size_t m_rows = 0;
};

using Statement = std::shared_ptr<sqlite3_stmt>;

// `sql` prepared on `db` to be run many times; null with SQLite's text in *error.
Statement prepare(sqlite3* db, const char* sql, QString* error);

// Binds `value` to the parameter numbered `index` from 1. The text is not copied: it must
// stay as it is until the statement is reset.
void bind(sqlite3_stmt* statement, int index, const QString& value);

// Column `column` of the current row as text; empty for NULL.
QString text(sqlite3_stmt* statement, int column);
// The same, nullopt for NULL.
std::optional<QString> optionalText(sqlite3_stmt* statement, int column);

// Resets `statement` after its last step returned `result`: true when that was
// SQLITE_DONE, otherwise false with SQLite's text in *error.
bool finish(sqlite3_stmt* statement, int result, QString* error);

// Runs `statement`, which returns no rows, and resets it; false with SQLite's text in
// *error.
bool execute(sqlite3_stmt* statement, QString* error);

} // namespace velmora::bench
