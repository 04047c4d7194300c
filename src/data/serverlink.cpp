#include "serverlink.h"

#include "audit.h"
#include "dialect.h"
#include "serverdatabase.h"
#include "serversession.h"
#include "sql.h"

#include <QSqlQuery>

namespace velmora {

ServerLink::ServerLink(QSqlDatabase db, QObject* parent, std::chrono::milliseconds interval)
    : QObject(parent), m_db(std::move(db)), m_firstWait(interval / 3), m_longestWait(interval * 10),
      m_wait(m_firstWait)
{
    m_retry.setSingleShot(true);
    connect(&m_check, &QTimer::timeout, this, &ServerLink::check);
    connect(&m_retry, &QTimer::timeout, this, &ServerLink::reconnect);
    if (engineOf(m_db) != Engine::PostgreSQL)
        return;
    m_check.start(interval);
    check();
}

void ServerLink::check()
{
    if (!m_connected)
        return;
    QString reason = QObject::tr("The connection was closed.");
    // The driver closes a connection it found broken.
    if (m_db.isOpen()) {
        QSqlQuery query(m_db);
        if (query.exec(QStringLiteral("SELECT current_setting('velmora.audit_operator', true)"))) {
            if (query.next() && !query.value(0).toString().isEmpty())
                m_operator = query.value(0).toString();
            return;
        }
        // A statement refused inside a transaction another part of the desk holds is no
        // drop.
        if (!isConnectionLost(query.lastError()))
            return;
        reason = query.lastError().text();
    }
    m_connected = false;
    m_check.stop();
    m_db.close();
    endSession(m_db);
    m_wait = m_firstWait;
    m_retry.start(m_wait);
    Q_EMIT lost(reason);
}

void ServerLink::reconnect()
{
    QString error;
    // Work of the lost session still runs (a run waiting on its progress window): its
    // statements fail on the closed connection until it has ended.
    const bool idle = openTransactions(m_db) == 0;
    if (idle && m_db.open() && startAuditTrail(m_db, &error) &&
        (m_operator.isEmpty() || setAuditOperator(m_db, m_operator, &error))) {
        m_connected = true;
        m_check.start();
        Q_EMIT restored();
        return;
    }
    if (m_db.isOpen()) {
        m_db.close();
        endSession(m_db);
    }
    m_wait = std::min(m_wait * 2, m_longestWait);
    m_retry.start(m_wait);
    Q_EMIT retrying(m_wait.count());
}

} // namespace velmora
