#include "baseline.h"

namespace velmora::bench {

bool RawRows::read(sqlite3_stmt* statement, qsizetype limit, QString* error)
{
    m_integers.clear();
    m_texts.clear();
    m_textEnds.clear();
    m_rows = 0;
    const int columns = sqlite3_column_count(statement);
    int result = SQLITE_ROW;
    while ((limit < 0 || static_cast<qsizetype>(m_rows) < limit) &&
           (result = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int column = 0; column < columns; ++column) {
            switch (sqlite3_column_type(statement, column)) {
            case SQLITE_NULL:
                break;
            case SQLITE_INTEGER:
                m_integers.push_back(sqlite3_column_int64(statement, column));
                break;
            default:
                m_texts.append(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                    static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
                m_textEnds.push_back(m_texts.size());
            }
        }
        ++m_rows;
    }
    return finish(statement, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

Statement prepare(sqlite3* db, const char* sql, QString* error)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(statement);
        return nullptr;
    }
    return Statement(statement, sqlite3_finalize);
}

void bind(sqlite3_stmt* statement, int index, const QString& value)
{
    sqlite3_bind_text16(statement, index, value.utf16(),
                        static_cast<int>(value.size() * sizeof(char16_t)), SQLITE_STATIC);
}

QString text(sqlite3_stmt* statement, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                             sqlite3_column_bytes(statement, column));
}

std::optional<QString> optionalText(sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return std::nullopt;
    return text(statement, column);
}

bool finish(sqlite3_stmt* statement, int result, QString* error)
{
    sqlite3_reset(statement);
    if (result == SQLITE_DONE)
        return true;
    *error = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(statement)));
    return false;
}

bool execute(sqlite3_stmt* statement, QString* error)
{
    return finish(statement, sqlite3_step(statement), error);
}

} // namespace velmora::bench
