#include "rowbatch.h"

#include "dialect.h"
#include "fault.h"

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

} // namespace

RowBatch::RowBatch(const QSqlDatabase& db, QString sql, const QList<BatchValue>& columns,
                   QVariantList leading)
    : m_db(db), m_sql(std::move(sql)), m_width(std::max<qsizetype>(columns.size(), 1)),
      m_rows(std::clamp<qsizetype>((kBindings - leading.size()) / m_width, 1,
                                   engineOf(db) == Engine::PostgreSQL ? kServerRows : kFileRows)),
      m_leading(std::move(leading)), m_full(db)
{
    QStringList values;
    for (const BatchValue column : columns)
        values << castOf(column, engineOf(db));
    m_row = u'(' + values.join(QStringLiteral(", ")) + u')';
}

QString RowBatch::statement(qsizetype rows) const
{
    QStringList list;
    list.fill(m_row, rows);
    return m_sql.arg(list.join(QStringLiteral(", ")));
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
    QSqlQuery partial(m_db);
    QSqlQuery& query = rows == m_rows ? m_full : partial;
    bool ok = (rows == m_rows && m_prepared) || query.prepare(statement(rows));
    m_prepared = m_prepared || (ok && rows == m_rows);
    int index = 0;
    for (const QVariant& value : std::as_const(m_leading))
        query.bindValue(index++, value);
    for (const QVariant& value : std::as_const(m_pending))
        query.bindValue(index++, value);
    ok = ok && query.exec();
    m_pending.clear();
    if (!ok)
        *error = queryFault(query);
    return ok;
}

RowBatch insertBatch(const QSqlDatabase& db, const QString& table, const QStringList& columns)
{
    return RowBatch(db,
                    QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                        .arg(table, columns.join(QStringLiteral(", ")), QStringLiteral("%1")),
                    QList<BatchValue>(columns.size(), BatchValue::AsBound));
}

} // namespace velmora
