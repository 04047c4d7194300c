#include "app/boardmodel.h"
#include "app/frmmain.h"
#include "app/screenopener.h"
#include "data/audit.h"
#include "data/database.h"
#include "data/readonly.h"
#include "data/sql.h"
#include "platform/scripteddialogs.h"
#include "postgresserver.h"
#include "reference/frmtype_table.h"
#include "screenhelpers.h"

#include <QMenuBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>
#include <QThread>

using velmora::test::child;
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
// server is out of reach, the desk's open screens closed to changes until it is back.
class TestLiveBoard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The server ends the desk's session, or the server itself stops and starts again.
    void theBoardFollowsTheOtherDesks_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::newRow("session ended") << false;
        QTest::newRow("server restarted") << true;
    }
    void theBoardFollowsTheOtherDesks()
    {
        QFETCH(bool, restart);
        VELMORA_REQUIRE_SERVER(m_server);
        const velmora::DatabaseLocation firm = m_server.createDatabase(
            restart ? QStringLiteral("restarted") : QStringLiteral("ended"));
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

            auto* types =
                new velmora::frmtype_table(velmora::TypeTable::vehicleTypes(), desk, dialogs);
            QVERIFY(velmora::openScreen(&window, types));
            auto* field = child<QLineEdit>(*types, QStringLiteral("txtcar_type"));
            auto* save = child<QAction>(*types, QStringLiteral("mnusave"));
            field->setText(QStringLiteral("Estate"));

            if (restart) {
                QVERIFY2(m_server.stop(), qPrintable(m_server.problem()));
            } else {
                QVERIFY(m_server.execute(
                    QStringLiteral("SELECT pg_terminate_backend(%1)").arg(deskSession)));
                QThread::msleep(300);
            }
            // A save before the desk has noticed fails whole, saying why, and keeps what
            // was typed.
            dialogs.clear();
            save->trigger();
            QCOMPARE(dialogs.texts(), QStringList{velmora::lostConnectionText()});
            QCOMPARE(field->text(), QStringLiteral("Estate"));

            // The board and the open screen stay, closed to changes, until the desk is back.
            QTRY_VERIFY_WITH_TIMEOUT(
                window.statusBar()->currentMessage().contains(QLatin1String("has been lost")),
                5000);
            QVERIFY(!window.menuBar()->actions().constFirst()->isEnabled());
            QVERIFY(types->statusBar()->currentMessage().contains(QLatin1String("has been lost")));
            QVERIFY(!field->isEnabled() && !save->isEnabled());
            QVERIFY(child<QAction>(*types, QStringLiteral("mnuexit"))->isEnabled());
            QCOMPARE(field->text(), QStringLiteral("Estate"));
            reads.clear();
            if (restart) {
                // Away for longer than the first tries.
                QTest::qWait(2500);
                QVERIFY(!field->isEnabled());
                QVERIFY2(m_server.restart(), qPrintable(m_server.problem()));
                other.close();
                QVERIFY(other.open());
            }
            QTRY_VERIFY_WITH_TIMEOUT(
                window.statusBar()->currentMessage().contains(QLatin1String("is back")), 15000);
            QVERIFY(window.menuBar()->actions().constFirst()->isEnabled());
            QVERIFY(field->isEnabled() && save->isEnabled());
            QCOMPARE(reads.count(), 1);

            // The new session records the trail for the same operator, and the board hears
            // of the other desks again.
            dialogs.clear();
            save->trigger();
            QVERIFY2(dialogs.texts().isEmpty(), qPrintable(dialogs.texts().join(u'\n')));
            QSqlQuery trail(other);
            QVERIFY(trail.exec(
                        QStringLiteral("select operator_name from audit_trail where table_name = "
                                       "'vehicle_types' order by seq desc limit 1")) &&
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
