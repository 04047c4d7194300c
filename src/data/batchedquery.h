#pragma once

#include "preparedquery.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>
#include <optional>

namespace velmora {

// A statement whose rows a list reads a batch at a time as it needs them, alike on both
// engines, so that a list of any length shows its first rows at once. On a file it is the
// connection's kept statement (PreparedQuery), read forward only. On a server, whose driver
// receives a result whole (and keeps one read a row at a time only until the connection's
// next statement), its rows come from a cursor, fetched a batch at a time, on a second
// connection of the desk's: there the cursors share a read-only transaction that lasts while
// any of them is open, so that the desk's own statements and transactions go on beside them.
// Each run reads the rows as they were when it began. Its owner must let it go before the
// connection is closed.
class BatchedQuery
{
public:
    // What a server's planner plans the statement for: its first rows soonest (a list of any
    // length), or all its rows (rows read to their end, or those of one account).
    enum Plan { FirstRows, AllRows };

    BatchedQuery(QSqlDatabase db, QString sql, Plan plan = FirstRows);
    ~BatchedQuery();
    BatchedQuery(const BatchedQuery&) = delete;
    BatchedQuery& operator=(const BatchedQuery&) = delete;

    // Ends any run before, binds `values` to the ? placeholders in order and starts a run.
    // False with the driver's text in *error.
    bool run(const QVariantList& values, QString* error);
    // Steps to the next row: true on a row; false at the end of the run, or on a failure
    // with the driver's text in *error (left untouched at the end). Either way the run ends.
    bool next(QString* error);
    // The row stepped to.
    const QSqlQuery& row();
    // Ends the run, releasing its read of the database.
    void finish();

private:
    class Cursor;

    QSqlDatabase m_db;
    QString m_sql;
    Plan m_plan;
    std::optional<PreparedQuery> m_file;
    std::unique_ptr<Cursor> m_cursor;
};

// Ends the second connection the server's cursors of the connection `connectionName` read
// on, if it has one; every BatchedQuery of the connection must have gone.
void closeBatchConnection(const QString& connectionName);

} // namespace velmora
