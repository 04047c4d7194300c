#include "firmcopy.h"

#include "dialect.h"
#include "rowbatch.h"
#include "schema.h"
#include "sql.h"
#include "sqliteguard.h"

#include <QObject>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <limits>
#include <utility>

namespace velmora {

namespace {

// Rows read from the source at a time.
constexpr int kBatchRows = 1000;

// A table's columns as the source holds them, and the column that holds its rowid: its
// INTEGER PRIMARY KEY, which then carries the rowid across, or else rowid itself. Rows are
// read in its order, through the index each engine keeps of it.
struct TableShape
{
    QStringList columns;
    QString rowid;
    bool rowidIsKey() const { return rowid != QLatin1String("rowid"); }
};

// A column's name as both engines read it: a plain name bare, so that PostgreSQL folds it to
// the lower case it stores, another (one with a space) quoted as the schema declares it.
QString columnName(const QString& name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return plain.match(name).hasMatch() ? name : u'"' + name + u'"';
}

bool readShape(const QSqlDatabase& db, const QString& table, TableShape* shape, QString* error)
{
    const bool server = engineOf(db) == Engine::PostgreSQL;
    QSqlQuery query(db);
    if (!run(query,
             server ? QStringLiteral("select column_name from information_schema.columns where "
                                     "table_schema = current_schema() and table_name = lower(?) "
                                     "and column_name <> 'rowid' order by ordinal_position")
                    : QStringLiteral("select name from pragma_table_info(?) order by cid"),
             {table}, error))
        return false;
    while (query.next())
        shape->columns.append(columnName(query.value(0).toString()));
    if (!run(query,
             // On the server the key, else rowid, is the table's one identity column.
             server ? QStringLiteral("select coalesce(max(column_name), 'rowid') from "
                                     "information_schema.columns where table_schema = "
                                     "current_schema() and table_name = lower(?) and "
                                     "is_identity = 'YES'")
                    : QStringLiteral("select case when count(*) = 1 and max(upper(type)) = "
                                     "'INTEGER' then max(name) else 'rowid' end "
                                     "from pragma_table_info(?) where pk > 0"),
             {table}, error) ||
        !query.next())
        return false;
    shape->rowid = columnName(query.value(0).toString());
    if (shape->columns.isEmpty()) {
        *error = QObject::tr("The table %1 is missing.").arg(table);
        return false;
    }
    return true;
}

qint64 rowCount(const QSqlDatabase& db, const QString& table, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select count(*) from %1").arg(table), {}, error) ||
        !query.next())
        return -1;
    return query.value(0).toLongLong();
}

// Inserts rows into one table several to a statement, so that a server is spoken to once
// a batch rather than once a row.
class RowWriter
{
public:
    RowWriter(const QSqlDatabase& db, QString table, const QStringList& columns)
        : m_table(std::move(table)), m_width(int(columns.size())),
          m_batch(insertBatch(db, m_table, columns))
    {
    }

    // Takes the `columns` values of `read` from column `first` on as a row.
    bool add(const QSqlQuery& read, int first, QString* error)
    {
        QVariantList row;
        for (int column = first; column < first + m_width; ++column)
            row.append(read.value(column));
        return m_batch.add(row, error) || failed(error);
    }

    // Inserts the rows taken and not yet inserted.
    bool flush(QString* error) { return m_batch.flush(error) || failed(error); }

private:
    bool failed(QString* error) const
    {
        *error = QObject::tr("Rows of %1 could not be copied: %2").arg(m_table, *error);
        return false;
    }

    QString m_table;
    int m_width;
    RowBatch m_batch;
};

// Copies one table's rows in order of rowid, a batch at a time, in place of the rows the
// schema's migrations put in the new database (settings, counters).
bool copyTable(const QSqlDatabase& source, const QSqlDatabase& target, const QString& table,
               const CopyProgress& progress, QString* error)
{
    TableShape shape;
    if (!readShape(source, table, &shape, error))
        return false;
    const qint64 total = rowCount(source, table, error);
    if (total < 0)
        return false;
    const QByteArray stage = table.toUtf8();
    QStringList written = shape.columns;
    if (!shape.rowidIsKey())
        written.prepend(QStringLiteral("rowid"));
    QSqlQuery read(source);
    read.setForwardOnly(true);
    const QString select = QStringLiteral("select %1, %2 from %3 where %1 > ? order by %1 limit %4")
                               .arg(shape.rowid, shape.columns.join(QStringLiteral(", ")), table)
                               .arg(kBatchRows);
    QSqlQuery clear(target);
    if (!run(clear, QStringLiteral("delete from %1").arg(table), {}, error))
        return false;
    RowWriter writer(target, table, written);
    const int first = shape.rowidIsKey() ? 1 : 0;
    qint64 done = 0;
    QVariant last = std::numeric_limits<qint64>::min();
    for (bool more = true; more;) {
        if (!run(read, select, {last}, error))
            return false;
        int rows = 0;
        while (read.next()) {
            if (!writer.add(read, first, error))
                return false;
            last = read.value(0);
            ++rows;
        }
        if (read.lastError().isValid()) {
            *error = read.lastError().text();
            return false;
        }
        done += rows;
        more = rows == kBatchRows;
        if (!more && !writer.flush(error))
            return false;
        if (progress && total > 0)
            progress(stage.constData(), done, total);
    }
    return true;
}

// Moves every identity counter of a server database past the highest value its column
// holds, so that the next row without one never meets a row copied in. SQLite moves its
// own counters as the rows arrive.
bool moveCounters(const QSqlDatabase& db, QString* error)
{
    if (engineOf(db) != Engine::PostgreSQL)
        return true;
    QSqlQuery identities(db);
    if (!run(identities,
             QStringLiteral("select table_name, column_name from information_schema.columns "
                            "where table_schema = current_schema() and is_identity = 'YES'"),
             {}, error))
        return false;
    QSqlQuery move(db);
    while (identities.next()) {
        const QString table = identities.value(0).toString();
        const QString column = identities.value(1).toString();
        if (!run(move,
                 QStringLiteral("select setval(pg_get_serial_sequence(?, ?), "
                                "coalesce(max(%1), 0) + 1, false) from %2")
                     .arg(column, table),
                 {table, column}, error))
            return false;
    }
    return true;
}

} // namespace

QStringList firmTables()
{
    QStringList tables = schemaTables(currentSchemaVersion());
    tables.removeIf(
        [](const QString& name) { return name.startsWith(QLatin1String("jobs_text")); });
    return tables;
}

bool copyFirm(const QSqlDatabase& source, QSqlDatabase& target, const CopyProgress& progress,
              QString* error)
{
    // A server's tables are read in one snapshot, whatever other desks write meanwhile.
    const bool snapshot = engineOf(source) == Engine::PostgreSQL && !inTransaction(source);
    QSqlQuery read(source);
    if (snapshot &&
        !execute(read,
                 QStringLiteral("START TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"),
                 error))
        return false;
    Transaction transaction(target);
    bool done = transaction.begun(error) && upgradeSchema(target, 0, error);
    for (const QString& table : firmTables()) {
        if (done)
            done = copyTable(source, target, table, progress, error);
    }
    done = done && moveCounters(target, error) && transaction.commit(error);
    if (snapshot)
        execute(read, QStringLiteral("COMMIT"));
    return done;
}

} // namespace velmora
