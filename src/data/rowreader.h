#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <memory>
#include <vector>

struct sqlite3;

namespace velmora {

class SqliteStatement;

// A statement prepared once and run many times, its rows read a value at a time, alike on
// both engines. On an SQLite file its rows are read straight from SQLite: no value passes
// through QVariant or UTF-16 unless the caller asks for a QString. For the hot reads of
// screens (the board, the job search), where Qt's per-value cost is most of the work, and
// for the batch writes of imports. On a server it runs through the connection's driver
// with the same results; a run's rows are all received when it starts, so that other
// statements may run on the connection while its rows are read, or, for a list read as it
// is shown (InBatches), a batch at a time from a cursor (BatchedQuery), planned for its first
// rows, or for all of them (AllInBatches: rows read to their end, a batch at a time); a
// statement that binds no values is sent to a server unprepared, in one round trip. Its owner
// must let it go before the connection is closed (it keeps the statement prepared until then).
class RowReader
{
public:
    enum Rows { Whole, InBatches, AllInBatches };

    RowReader(QSqlDatabase db, QString sql, Rows rows = Whole);
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // Ends any run before, binds `values` (texts, whole numbers, NULL) to the ? placeholders
    // in order and starts a run. False with the engine's text in *error.
    bool run(const QVariantList& values, QString* error);
    // For batch work, where even a QVariantList a row costs: ends any run before and starts
    // one whose values are then given by bind(), each ? numbered from 1. A value stays bound
    // from run to run until it is bound again. Bound text is not copied: it must stay as it
    // is until next() has run. A failed bind makes the next next() fail with its reason.
    bool start(QString* error);
    void bind(int index, qint64 value);
    void bind(int index, QByteArrayView utf8);
    // Steps to the next row: true on a row; false at the end of the run, or on a failure
    // with the engine's text in *error (left untouched at the end). Either way the run ends.
    bool next(QString* error);
    // Ends the run, releasing its read of the database.
    void finish();

    bool isNull(int column) const;
    qint64 integer(int column) const;
    // The column's text as UTF-8, valid until the next step; empty for NULL.
    QByteArrayView utf8(int column) const;
    QString text(int column) const { return QString::fromUtf8(utf8(column)); }
    // A stored date ("yyyy-MM-dd"); invalid when the column holds none.
    QDate date(int column) const;

private:
    class Server;

    bool prepare(QString* error);
    bool nextOnServer(QString* error);
    void bindOnServer(int index, const QVariant& value);

    QSqlDatabase m_connection;
    QString m_sql;
    Rows m_rows;
    sqlite3* m_db = nullptr;
    std::unique_ptr<SqliteStatement> m_statement;
    std::unique_ptr<Server> m_server;
    bool m_running = false;
    QString m_bindError;             // the first failing bind's reason since start()
    std::vector<QByteArray> m_texts; // the texts run() bound, kept until the next run
};

} // namespace velmora
