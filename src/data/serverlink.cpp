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
    m_probeTimeout.setSingleShot(true);
    connect(&m_check, &QTimer::timeout, this, &ServerLink::check);
    connect(&m_retry, &QTimer::timeout, this, &ServerLink::reconnect);
    connect(&m_probe, &QTcpSocket::connected, this, [this] {
        m_probeTimeout.stop();
        m_probe.abort();
        open();
    });
    connect(&m_probe, &QTcpSocket::errorOccurred, this, [this] {
        if (!m_probeTimeout.isActive())
            return; // aborted after it was reached, or given up on
        m_probeTimeout.stop();
        retryLater();
    });
    connect(&m_probeTimeout, &QTimer::timeout, this, [this] {
        m_probe.abort();
        retryLater();
    });
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
            settleCommits();
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
    // Work of the lost session still runs (a run waiting on its progress window): its
    // statements fail on the closed connection until it has ended.
    if (openTransactions(m_db) != 0) {
        retryLater();
        return;
    }
    // A socket's folder rather than a host name: nothing to reach over a network.
    if (m_db.hostName().isEmpty() || m_db.hostName().startsWith(QLatin1Char('/'))) {
        open();
        return;
    }
    m_probeTimeout.start(std::max(m_wait, m_firstWait));
    m_probe.connectToHost(m_db.hostName(), quint16(m_db.port() > 0 ? m_db.port() : 5432));
}

void ServerLink::open()
{
    QString error;
    if (m_db.open() && startAuditTrail(m_db, &error) &&
        (m_operator.isEmpty() || setAuditOperator(m_db, m_operator, &error))) {
        m_connected = true;
        m_check.start();
        Q_EMIT restored();
        settleCommits();
        return;
    }
    if (m_db.isOpen()) {
        m_db.close();
        endSession(m_db);
    }
    retryLater();
}

void ServerLink::settleCommits()
{
    for (const qint64 number : takeCommitsInDoubt(m_db)) {
        QSqlQuery query(m_db);
        // Still in progress while the server has not yet seen that the lost session is gone:
        // asked again at the next check.
        const QString status =
            run(query, QStringLiteral("SELECT txid_status(?)"), {number}) && query.next()
                ? query.value(0).toString()
                : QStringLiteral("in progress");
        if (status == QLatin1String("committed") || status == QLatin1String("aborted"))
            Q_EMIT commitSettled(status == QLatin1String("committed"));
        else if (!status.isEmpty())
            noteCommitInDoubt(m_db, number);
    }
}

void ServerLink::retryLater()
{
    m_wait = std::min(m_wait * 2, m_longestWait);
    m_retry.start(m_wait);
    Q_EMIT retrying(m_wait.count());
}

} // namespace velmora
