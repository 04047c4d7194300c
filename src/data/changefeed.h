#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>

namespace velmora {

// Tells a desk of the changes other desks make to the jobs of a server database, as the
// server sends them once they are committed (serverschema.h: jobChangesChannel()), through
// the notifications of Qt's driver. On a file, which one desk uses, it tells nothing.
class ChangeFeed final : public QObject
{
    Q_OBJECT

public:
    // Listens at once where `db` is a server database.
    explicit ChangeFeed(QSqlDatabase db, QObject* parent = nullptr);

    // Listens on the connection, as after it was opened anew; true when listening (never
    // on a file).
    bool listen();

Q_SIGNALS:
    // Another desk booked, changed or removed the job of `rowid`, or several jobs (0).
    void jobsChanged(qint64 rowid);

private:
    void received(const QString& channel, QSqlDriver::NotificationSource source,
                  const QVariant& payload);

    QSqlDatabase m_db;
    bool m_server;
};

} // namespace velmora
