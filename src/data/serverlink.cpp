#include "serverlink.h"

#include "audit.h"
#include "dialect.h"
#include "serverdatabase.h"
#include "sql.h"

#include <QSqlQuery>

namespace velmora {

namespace {

constexpr std::chrono::milliseconds kFirstWait = std::chrono::seconds(1);
constexpr std::chrono::milliseconds kLongestWait = std::chrono::seconds(30);

} // namespace

ServerLink::ServerLink(QSqlDatabase db, QObject* parent, std::chrono::milliseconds interval)
    : QObject(parent), m_db(std::move(db)), m_wait(kFirstWait)
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
    m_wait = kFirstWait;
    m_retry.start(m_wait);
    Q_EMIT lost(reason);
}

void ServerLink::reconnect()
{
    QString error;
    if (m_db.open() && startAuditTrail(m_db, &error) &&
        (m_operator.isEmpty() || setAuditOperator(m_db, m_operator, &error))) {
        m_connected = true;
        m_check.start();
        Q_EMIT restored();
        return;
    }
    m_db.close();
    m_wait = std::min(m_wait * 2, kLongestWait);
    m_retry.start(m_wait);
}

} // namespace velmora
