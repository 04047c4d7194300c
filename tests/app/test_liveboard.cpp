#include "app/boardmodel.h"
#include "app/frmmain.h"
#include "data/audit.h"
#include "data/database.h"
#include "data/sql.h"
#include "platform/scripteddialogs.h"
#include "postgresserver.h"

#include <QMenuBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>

using velmora::test::PostgresServer;
using velmora::test::serverAddress;

namespace {

// Books a job at the desk `db` for today, of the firm's one vehicle type.
bool book(const QSqlDatabase& db, const QString& passenger)
{
    QSqlQuery query(db);
    return velmora::run(query,
                        QStringLiteral("insert into jobs (job_prefix, date, time, passenger_name, "
                                       "record_status, vehicle_type) select 'A', ?, '09:00', ?, "
                                       "'B', min(vehicletypeid) from vehicle_types"),
                        {QDate::currentDate().toString(Qt::ISODate), passenger});
}

} // namespace

// The board of a desk on a server database follows what other desks do, and says when the
// server is out of reach.
class TestLiveBoard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theBoardFollowsTheOtherDesks()
    {
        VELMORA_REQUIRE_SERVER(m_server);
        const velmora::DatabaseLocation firm = m_server.createDatabase(QStringLiteral("board"));
        QString error;
        QSqlDatabase other =
            velmora::createDatabase(serverAddress(firm), QStringLiteral("other"), &error);
        QVERIFY2(other.isValid(), qPrintable(error));
        QSqlQuery query(other);
        QVERIFY(velmora::run(
            query,
            QStringLiteral("insert into vehicle_types (vehicledescription) values ('Car')")));
        QSqlDatabase desk =
            velmora::openDatabase(serverAddress(firm), QStringLiteral("desk"), &error);
        QVERIFY2(desk.isValid(), qPrintable(error));
        QVERIFY(velmora::setAuditOperator(desk, QStringLiteral("Sandra"), &error));
        QSqlQuery session(desk);
        QVERIFY(session.exec(QStringLiteral("SELECT pg_backend_pid()")) && session.next());
        const qint64 deskSession = session.value(0).toLongLong();
        session = QSqlQuery();
        {
            velmora::ScriptedDialogs dialogs;
            velmora::frmmain window(desk, dialogs);
            window.start();
            QSignalSpy reads(window.board(), &QAbstractItemModel::modelReset);
            // Bookings close together are read together, each within a second.
            for (const char* passenger : {"Ann", "Bob", "Cy", "Di"})
                QVERIFY(book(other, QString::fromLatin1(passenger)));
            QTRY_VERIFY_WITH_TIMEOUT(reads.count() > 0, 1000);
            QTest::qWait(300);
            QVERIFY2(reads.count() < 4, qPrintable(QString::number(reads.count())));

            // The server ends the desk's session: the board stays, closed to changes, and is
            // read again once the desk is back.
            QVERIFY(m_server.execute(
                QStringLiteral("SELECT pg_terminate_backend(%1)").arg(deskSession)));
            QTRY_VERIFY_WITH_TIMEOUT(
                window.statusBar()->currentMessage().contains(QLatin1String("has been lost")),
                5000);
            QVERIFY(!window.menuBar()->actions().constFirst()->isEnabled());
            reads.clear();
            QTRY_VERIFY_WITH_TIMEOUT(
                window.statusBar()->currentMessage().contains(QLatin1String("is back")), 5000);
            QVERIFY(window.menuBar()->actions().constFirst()->isEnabled());
            QCOMPARE(reads.count(), 1);
            // The new session records the trail for the same operator.
            QSqlQuery trail(desk);
            QVERIFY(
                trail.exec(QStringLiteral("SELECT current_setting('velmora.audit_operator')")) &&
                trail.next());
            QCOMPARE(trail.value(0).toString(), QStringLiteral("Sandra"));
            QVERIFY(book(other, QStringLiteral("Ed")));
            QTRY_COMPARE_WITH_TIMEOUT(reads.count(), 2, 1000);
        }
        query = QSqlQuery();
        other = QSqlDatabase();
        desk = QSqlDatabase();
        velmora::closeDatabase(QStringLiteral("other"));
        velmora::closeDatabase(QStringLiteral("desk"));
    }

private:
    PostgresServer m_server;
};

QTEST_MAIN(TestLiveBoard)
#include "test_liveboard.moc"
