#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace velmora {

// How a value of a batch's rows is read: as both engines would compare a value bound beside
// a column of that kind (on a server, text compared without case is citext), or as bound,
// where the statement gives it its type (the VALUES of an INSERT: the column's).
enum class BatchValue { Integer, Text, CaselessText, AsBound };

// One statement run over many rows a batch at a time, each batch one statement (on a server,
// one round trip instead of one per row). `sql` holds %1 where the rows go as a query whose
// columns both engines name column1, column2 and so on: on a file a VALUES list ("VALUES
// (?, ?), (?, ?)"); on a server, where every column has a kind, one array a column unnested
// ("SELECT * FROM unnest(CAST(? AS bigint[]), ...)"), which the server reads and plans alike
// for any number of rows, where it plans a VALUES list anew for each batch, a few times
// the cost of its rows. `leading` are values bound before the rows in every batch. The rows
// run in the order they were added.
class RowBatch
{
public:
    RowBatch(const QSqlDatabase& db, QString sql, const QList<BatchValue>& columns,
             QVariantList leading = {});
    // As above, the values of a file's VALUES read as `onFile` says, a server's as `columns`.
    RowBatch(const QSqlDatabase& db, QString sql, const QList<BatchValue>& columns,
             const QList<BatchValue>& onFile, QVariantList leading);

    // Takes a row of one value per column; runs the batch when it is full. False with the
    // driver's text in *error.
    bool add(const QVariantList& row, QString* error);
    // Runs the rows taken and not yet run. False with the driver's text in *error.
    bool flush(QString* error);

private:
    QString statement(qsizetype rows) const;
    // Binds the rows taken from placeholder `first` on: their values, or one array a column.
    bool bindRows(QSqlQuery& query, int first, QString* error) const;

    QSqlDatabase m_db;
    QString m_sql;
    QString m_row;              // one row's "(CAST(? AS ...), ?, ...)"
    QList<BatchValue> m_arrays; // on a server, the kind of each column's array
    qsizetype m_width;          // values to a row
    qsizetype m_rows;           // rows to a full batch
    QVariantList m_leading;
    QSqlQuery m_full;
    bool m_prepared = false;
    QVariantList m_pending;
};

// A batch that inserts rows of `columns` into `table`, each value as bound; on a server, where
// `kinds` gives each column's, as arrays of those.
RowBatch insertBatch(const QSqlDatabase& db, const QString& table, const QStringList& columns,
                     const QList<BatchValue>& kinds = {});

} // namespace velmora
