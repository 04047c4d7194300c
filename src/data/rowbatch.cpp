#include "rowbatch.h"

#include "dialect.h"
#include "fault.h"

#include <QObject>
#include <QStringList>

#include <algorithm>

namespace velmora {

namespace {

// Rows to a statement on a server, where each statement is a round trip; values bound to one
// statement, far under its limit.
constexpr qsizetype kServerRows = 500;
constexpr qsizetype kBindings = 4000;
// Rows to a statement on a file, where a statement costs no round trip: Qt names each
// placeholder, and SQLite looks a name up among all of a statement's, so that a long list of
// values costs more than it saves.
constexpr qsizetype kFileRows = 16;

QString castOf(BatchValue value, Engine engine)
{
    switch (value) {
    case BatchValue::Integer:
        return engine == Engine::PostgreSQL ? QStringLiteral("CAST(? AS bigint)")
                                            : QStringLiteral("CAST(? AS INTEGER)");
    case BatchValue::CaselessText:
        if (engine == Engine::PostgreSQL)
            return QStringLiteral("CAST(? AS citext)");
        break;
    case BatchValue::Text:
        break;
    case BatchValue::AsBound:
        return QStringLiteral("?");
    }
    return QStringLiteral("CAST(? AS TEXT)");
}

QString arrayOf(BatchValue value)
{
    switch (value) {
    case BatchValue::Integer:
        return QStringLiteral("CAST(? AS bigint[])");
    case BatchValue::CaselessText:
        return QStringLiteral("CAST(? AS citext[])");
    case BatchValue::Text:
    case BatchValue::AsBound:
        break;
    }
    return QStringLiteral("CAST(? AS text[])");
}

// An element of an array's text: NULL, a whole number, or text in double quotes with its
// quotes and backslashes escaped. False for a value of an integer column that is none.
bool appendElement(const QVariant& value, BatchValue kind, QString* array)
{
    if (value.isNull()) {
        array->append(QLatin1String("NULL"));
        return true;
    }
    if (kind == BatchValue::Integer) {
        bool whole = false;
        const qlonglong number = value.toLongLong(&whole);
        array->append(QString::number(number));
        return whole;
    }
    array->append(u'"');
    for (const QChar c : value.toString()) {
        if (c == u'"' || c == u'\\')
            array->append(u'\\');
        array->append(c);
    }
    array->append(u'"');
    return true;
}

} // namespace

RowBatch::RowBatch(const QSqlDatabase& db, QString sql, const QList<BatchValue>& columns,
                   QVariantList leading)
    : RowBatch(db, std::move(sql), columns, columns, std::move(leading))
{
}

RowBatch::RowBatch(const QSqlDatabase& db, QString sql, const QList<BatchValue>& columns,
                   const QList<BatchValue>& onFile, QVariantList leading)
    : m_db(db), m_sql(std::move(sql)), m_width(std::max<qsizetype>(columns.size(), 1)),
      m_rows(std::clamp<qsizetype>((kBindings - leading.size()) / m_width, 1,
                                   engineOf(db) == Engine::PostgreSQL ? kServerRows : kFileRows)),
      m_leading(std::move(leading)), m_full(db)
{
    const Engine engine = engineOf(db);
    if (engine == Engine::PostgreSQL && !columns.contains(BatchValue::AsBound)) {
        m_arrays = columns;
        m_rows = kServerRows;
        return;
    }
    QStringList values;
    for (const BatchValue column : engine == Engine::PostgreSQL ? columns : onFile)
        values << castOf(column, engine);
    m_row = u'(' + values.join(QStringLiteral(", ")) + u')';
}

QString RowBatch::statement(qsizetype rows) const
{
    if (!m_arrays.isEmpty()) {
        QStringList arrays;
        QStringList names;
        for (const BatchValue column : m_arrays) {
            arrays << arrayOf(column);
            names << QStringLiteral("column%1").arg(names.size() + 1);
        }
        return m_sql.arg(
            QStringLiteral("SELECT * FROM unnest(%1) AS batch_rows (%2)")
                .arg(arrays.join(QStringLiteral(", ")), names.join(QStringLiteral(", "))));
    }
    QStringList list;
    list.fill(m_row, rows);
    return m_sql.arg(QStringLiteral("VALUES ") + list.join(QStringLiteral(", ")));
}

bool RowBatch::bindRows(QSqlQuery& query, int first, QString* error) const
{
    if (m_arrays.isEmpty()) {
        for (const QVariant& value : m_pending)
            query.bindValue(first++, value);
        return true;
    }
    for (qsizetype column = 0; column < m_width; ++column) {
        QString array(u'{');
        for (qsizetype at = column; at < m_pending.size(); at += m_width) {
            if (at != column)
                array.append(u',');
            if (!appendElement(m_pending[at], m_arrays[column], &array)) {
                *error = QObject::tr("The value \"%1\" is not a whole number.")
                             .arg(m_pending[at].toString());
                return false;
            }
        }
        array.append(u'}');
        query.bindValue(first + int(column), array);
    }
    return true;
}

bool RowBatch::add(const QVariantList& row, QString* error)
{
    m_pending.append(row);
    return m_pending.size() < m_rows * m_width || flush(error);
}

bool RowBatch::flush(QString* error)
{
    const qsizetype rows = m_pending.size() / m_width;
    if (rows == 0)
        return true;
    // Arrays make one statement of every batch, whatever its rows.
    const bool full = rows == m_rows || !m_arrays.isEmpty();
    QSqlQuery partial(m_db);
    QSqlQuery& query = full ? m_full : partial;
    bool ok = (full && m_prepared) || query.prepare(statement(rows));
    m_prepared = m_prepared || (ok && full);
    int index = 0;
    for (const QVariant& value : std::as_const(m_leading))
        query.bindValue(index++, value);
    if (ok && !bindRows(query, index, error)) {
        m_pending.clear();
        return false;
    }
    ok = ok && query.exec();
    m_pending.clear();
    if (!ok)
        *error = queryFault(query);
    return ok;
}

RowBatch insertBatch(const QSqlDatabase& db, const QString& table, const QStringList& columns,
                     const QList<BatchValue>& kinds)
{
    Q_ASSERT(kinds.isEmpty() || kinds.size() == columns.size());
    const QList<BatchValue> asBound(columns.size(), BatchValue::AsBound);
    return RowBatch(db,
                    QStringLiteral("INSERT INTO %1 (%2) %3")
                        .arg(table, columns.join(QStringLiteral(", ")), QStringLiteral("%1")),
                    kinds.size() == columns.size() ? kinds : asBound, asBound, {});
}

} // namespace velmora
