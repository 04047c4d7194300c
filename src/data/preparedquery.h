#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <optional>

namespace velmora {

// A statement run on a copy prepared the first time its text runs on the connection and
// kept with the connection until it is removed, so that screens running the same
// statements again and again do not prepare them each time. The rows are read
// forward only where the engine allows (readForwardOnly()). The statement is finished when the
// object goes, so that its read of the file ends, and must go before its connection is removed. A
// text whose kept copy is in use (a run inside another's rows) gets a copy of its own.
class PreparedQuery
{
public:
    PreparedQuery(const QSqlDatabase& db, const QString& sql);
    ~PreparedQuery();
    PreparedQuery(const PreparedQuery&) = delete;
    PreparedQuery& operator=(const PreparedQuery&) = delete;

    // Binds `values` to the ? placeholders in order and runs the statement; false with the
    // driver's text in *error.
    bool run(const QVariantList& values, QString* error);

    // The statement, to read the rows of a run that succeeded.
    QSqlQuery& query() { return *m_query; }

private:
    QSqlQuery* m_query = nullptr;
    bool* m_inUse = nullptr;             // the kept copy's mark, when this object holds it
    std::optional<QSqlQuery> m_own;      // the copy of its own otherwise
    std::optional<QString> m_unprepared; // the driver's text when the text did not prepare
    QSqlDatabase m_db;                   // with the text, to find the kept copy again
    QString m_sql;
};

// Lets go of the statements kept for `db` that are not in use: for a connection to a server
// that was lost and closed, whose new session will not know them.
void forgetPreparedStatements(const QSqlDatabase& db);

} // namespace velmora
