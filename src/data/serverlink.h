#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>

namespace velmora {

// Watches a desk's connection to a server database: it asks the server every `interval`
// whether it is still there, tells when the connection has dropped, closes it, then opens it
// again by itself, first a third of the interval later and twice as long after each failed
// try, up to ten intervals (half a minute at the usual three seconds), for as long as it
// takes. It puts back what the session held (the audit trail's settings and operator) before
// telling that it is back. While a transaction begun on the lost session has not ended, the
// connection is not opened again, so that what that work runs afterwards fails rather than
// being written outside its transaction. A commit sent as the connection was lost
// (noteCommitInDoubt()) is asked after once it is back, and told of when the server knows. Before
// each try the server's port is reached without waiting on it, so that a network that does not
// answer never holds the desk up for the driver's connect timeout. On a file it does nothing.
class ServerLink final : public QObject
{
    Q_OBJECT

public:
    explicit ServerLink(QSqlDatabase db, QObject* parent = nullptr,
                        std::chrono::milliseconds interval = std::chrono::seconds(3));

    bool isConnected() const { return m_connected; }
    // Asks the server now, as the timer does.
    void check();

Q_SIGNALS:
    // The connection dropped, for `reason`; it has been closed and is tried again.
    void lost(const QString& reason);
    // The connection is open again, its session as it was.
    void restored();
    // A try to open the connection again failed; the next comes `wait` milliseconds later.
    void retrying(qint64 wait);
    // A commit sent as the connection was lost was, or was not, committed.
    void commitSettled(bool committed);

private:
    void reconnect();
    void open();
    void retryLater();
    void settleCommits();

    QSqlDatabase m_db;
    QTimer m_check;
    QTimer m_retry;
    QTcpSocket m_probe;
    QTimer m_probeTimeout;
    std::chrono::milliseconds m_firstWait;
    std::chrono::milliseconds m_longestWait;
    std::chrono::milliseconds m_wait;
    QString m_operator; // the audit trail's operator, last seen
    bool m_connected = true;
};

} // namespace velmora
