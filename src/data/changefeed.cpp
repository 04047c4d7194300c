#include "changefeed.h"

#include "dialect.h"
#include "serverschema.h"

#include <QVariant>

namespace velmora {

ChangeFeed::ChangeFeed(QSqlDatabase db, QObject* parent)
    : QObject(parent), m_db(std::move(db)), m_server(engineOf(m_db) == Engine::PostgreSQL)
{
    if (!m_server)
        return;
    connect(m_db.driver(), &QSqlDriver::notification, this, &ChangeFeed::received);
    listen();
}

bool ChangeFeed::listen()
{
    if (!m_server || !m_db.isOpen())
        return false;
    QSqlDriver* driver = m_db.driver();
    return driver->subscribedToNotifications().contains(jobChangesChannel()) ||
           driver->subscribeToNotification(jobChangesChannel());
}

void ChangeFeed::received(const QString& channel, QSqlDriver::NotificationSource source,
                          const QVariant& payload)
{
    // This desk's own changes rebuild its board where they are made.
    if (channel == jobChangesChannel() && source != QSqlDriver::SelfSource)
        Q_EMIT jobsChanged(payload.toLongLong());
}

} // namespace velmora
