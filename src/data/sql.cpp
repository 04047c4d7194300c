#include "sql.h"

#include "dialect.h"
#include "fault.h"
#include "readonly.h"
#include "serverdatabase.h"
#include "serversession.h"

#include <QObject>
#include <QSqlDriver>
#include <QSqlError>

#include <utility>

namespace velmora {

void readForwardOnly(QSqlQuery& query)
{
    query.setForwardOnly(!query.driver() || query.driver()->dbmsType() != QSqlDriver::PostgreSQL);
}

bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    // Without values the statement is sent as it is: a server takes three round trips for a
    // prepared one (prepare, run, let go) and one for this.
    if (values.isEmpty())
        return execute(query, sql, error);
    bool ok = query.prepare(sql);
    if (ok) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok && error)
        *error = queryFault(query);
    return ok;
}

std::optional<qint64> insertRow(QSqlQuery& query, const QString& insert, const QVariantList& values,
                                QString* error)
{
    if (!run(query, insert + QStringLiteral(" RETURNING rowid"), values, error))
        return std::nullopt;
    if (!query.next()) {
        *error = QObject::tr("The new row could not be read back.");
        return std::nullopt;
    }
    const qint64 row = query.value(0).toLongLong();
    query.finish();
    return row;
}

bool execute(QSqlQuery& query, const QString& sql, QString* error)
{
    const bool ok = query.exec(sql);
    if (!ok && error)
        *error = queryFault(query);
    return ok;
}

QString assignments(const QStringList& columns)
{
    return columns.join(QStringLiteral(" = ?, ")) + QStringLiteral(" = ?");
}

QString placeholders(qsizetype count)
{
    QStringList marks;
    marks.fill(QStringLiteral("?"), count);
    return marks.join(QStringLiteral(", "));
}

Transaction::Transaction(QSqlDatabase db) : m_db(std::move(db)), m_active(m_db.transaction())
{
    m_counted = m_active;
    if (m_counted)
        countTransaction(m_db, 1);
}

Transaction::~Transaction()
{
    if (m_active)
        m_db.rollback();
    if (m_counted)
        countTransaction(m_db, -1);
}

bool Transaction::begun(QString* error) const
{
    if (!m_active && error)
        *error = QObject::tr("A transaction could not be begun: %1").arg(connectionFault(m_db));
    return m_active;
}

bool Transaction::commit(QString* error)
{
    if (!m_active) {
        if (error)
            *error = connectionFault(m_db);
        return false;
    }
    m_active = false;
    // On a server, the transaction's number first (it has one once it wrote): should the
    // connection be lost before the commit's answer comes, the server can say later whether
    // it was committed.
    std::optional<qint64> number;
    if (engineOf(m_db) == Engine::PostgreSQL) {
        QSqlQuery query(m_db);
        if (query.exec(QStringLiteral("SELECT txid_current_if_assigned()")) && query.next() &&
            !query.isNull(0))
            number = query.value(0).toLongLong();
    }
    if (m_db.commit())
        return true;
    if (number && isConnectionLost(m_db.lastError())) {
        noteCommitInDoubt(m_db, *number);
        if (error)
            *error = commitInDoubtText();
    } else if (error) {
        *error = connectionFault(m_db);
    }
    m_db.rollback();
    return false;
}

} // namespace velmora
