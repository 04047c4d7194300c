#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QTimer>

#include <chrono>

namespace velmora {

// Watches a desk's connection to a server database: it asks the server every few seconds
// whether it is still there, tells when the connection has dropped, then opens it again by
// itself, waiting twice as long after each failed try (up to half a minute), and puts back
// what the session held (the audit trail's settings and operator) before telling that it is
// back. On a file it does nothing.
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

private:
    void reconnect();

    QSqlDatabase m_db;
    QTimer m_check;
    QTimer m_retry;
    std::chrono::milliseconds m_wait;
    QString m_operator; // the audit trail's operator, last seen
    bool m_connected = true;
};

} // namespace velmora
