#include "data/changefeed.h"
#include "data/database.h"
#include "data/preparedquery.h"
#include "data/readonly.h"
#include "data/rowreader.h"
#include "data/serverdatabase.h"
#include "data/serverlink.h"
#include "data/serversession.h"
#include "data/sql.h"
#include "postgresserver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

using velmora::DatabaseLocation;
using velmora::test::PostgresServer;
using velmora::test::serverAddress;

namespace {

// The firm's certificate authority (firm.crt), another (other.crt), and a certificate for
// 127.0.0.1 that the firm's signs (server.crt, server.key).
const char* const kCertificates = R"(set -e
key="-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes"
for ca in firm other; do
    openssl req -x509 $key -keyout $ca.key -out $ca.crt -days 2 -subj /CN=$ca
done
openssl req $key -keyout server.key -out server.csr -subj /CN=127.0.0.1
echo subjectAltName=IP:127.0.0.1 > names
openssl x509 -req -in server.csr -CA firm.crt -CAkey firm.key -CAcreateserial -days 2 \
    -extfile names -out server.crt)";

} // namespace

// Desks sharing a server database: the changes one makes reach the others, a desk comes
// back after the server restarted, the server's certificate is checked, and a password is
// asked for when none is kept.
class TestDesks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { VELMORA_REQUIRE_SERVER(m_server); }

    void cleanup()
    {
        for (const QString& name : {QStringLiteral("a"), QStringLiteral("b")})
            velmora::closeDatabase(name);
    }

    // What each statement at desk A tells desk B: the job's rowid, or 0 for several.
    void changesReachTheOtherDesk_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<qint64>("told");
        QTest::newRow("booked") << "insert into jobs (passenger_name) values ('New')" << 3LL;
        QTest::newRow("dispatched") << "update jobs set record_status = 'P' where rowid = 2" << 2LL;
        QTest::newRow("several") << "update jobs set record_status = 'C'" << 0LL;
        QTest::newRow("removed") << "delete from jobs where rowid = 1" << 1LL;
    }
    void changesReachTheOtherDesk()
    {
        QFETCH(QString, statement);
        QFETCH(qint64, told);
        QString error;
        QSqlDatabase a;
        QSqlDatabase b;
        QVERIFY2(openDesks(&a, &b, &error), qPrintable(error));
        QSqlQuery query(a);
        QVERIFY(velmora::run(
            query, QStringLiteral("insert into jobs (passenger_name) values ('One'), ('Two')")));
        velmora::ChangeFeed atA(a);
        velmora::ChangeFeed atB(b);
        QSignalSpy toA(&atA, &velmora::ChangeFeed::jobsChanged);
        QSignalSpy toB(&atB, &velmora::ChangeFeed::jobsChanged);
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(velmora::run(query, statement, {}, &error), qPrintable(error));
        QVERIFY(toB.wait(1000));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(toB.takeFirst().at(0).toLongLong(), told);
        // The desk that made the change is not told of it.
        QTest::qWait(100);
        QCOMPARE(toA.count() + toB.count(), 0);
    }

    // The server stops for longer than the longest wait between tries and starts again: the
    // desk keeps trying without piling up tries, does not open a new session while work of
    // the lost one runs, and its statements kept prepared work on the new session.
    void aDeskComesBackAfterTheServerRestarts()
    {
        QString error;
        QSqlDatabase a;
        QSqlDatabase b;
        QVERIFY2(openDesks(&a, &b, &error), qPrintable(error));
        const QString insert = QStringLiteral("insert into jobs (passenger_name) values (?)");
        const QString count = QStringLiteral("select count(*) from jobs where passenger_name <> ?");
        const auto counted = [&](const QSqlDatabase& db) {
            velmora::PreparedQuery query(db, count);
            return query.run({QStringLiteral("-")}, &error) && query.query().next()
                       ? query.query().value(0).toLongLong()
                       : -1;
        };
        velmora::RowReader reader(b, QStringLiteral("select passenger_name from jobs where "
                                                    "rowid = ?"));
        {
            velmora::PreparedQuery booking(b, insert);
            QVERIFY2(booking.run({QStringLiteral("One")}, &error), qPrintable(error));
        }
        QCOMPARE(counted(b), 1);
        QVERIFY(reader.run({1}, &error) && reader.next(&error));
        reader.finish();

        velmora::ServerLink link(b, nullptr, std::chrono::milliseconds(60));
        QSignalSpy lost(&link, &velmora::ServerLink::lost);
        QSignalSpy restored(&link, &velmora::ServerLink::restored);
        QSignalSpy retrying(&link, &velmora::ServerLink::retrying);
        std::optional<velmora::Transaction> work;
        work.emplace(b);
        QVERIFY(work->isActive());
        QVERIFY2(m_server.stop(), qPrintable(m_server.problem()));
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 2000);
        QTest::qWait(1500);
        QVERIFY2(m_server.restart(), qPrintable(m_server.problem()));
        // The work of the lost session fails whole, saying why, however long it runs on.
        QTest::qWait(800);
        QCOMPARE(restored.count(), 0);
        QSqlQuery late(b);
        QVERIFY(!velmora::run(late, insert, {QStringLiteral("Late")}, &error));
        QCOMPARE(error, velmora::lostConnectionText());
        QVERIFY(!work->commit(&error));
        work.reset();
        QTRY_COMPARE_WITH_TIMEOUT(restored.count(), 1, 2000);
        // One try at a time, each waiting twice as long, up to ten checks' time.
        QVERIFY2(retrying.count() >= 4 && retrying.count() <= 12,
                 qPrintable(QString::number(retrying.count())));
        QCOMPARE(retrying.constLast().at(0).toLongLong(), 600);
        const auto tries = retrying.count();
        QTest::qWait(300);
        QCOMPARE(retrying.count(), tries);
        QCOMPARE(lost.count(), 1);

        // What was prepared before is prepared again, in a transaction too.
        {
            velmora::Transaction transaction(b);
            velmora::PreparedQuery booking(b, insert);
            QVERIFY2(booking.run({QStringLiteral("Two")}, &error), qPrintable(error));
            QVERIFY2(transaction.commit(&error), qPrintable(error));
        }
        QCOMPARE(counted(b), 2);
        QVERIFY2(reader.run({2}, &error) && reader.next(&error), qPrintable(error));
        QCOMPARE(reader.text(0), QStringLiteral("Two"));
        reader.finish();
        a.close();
        QVERIFY(a.open());
        QCOMPARE(counted(a), 2);
    }

    // A commit under which the connection is lost (here the session ends as it commits) is
    // told of as in doubt, and settled once the desk is back: not saved. One the server
    // committed is told of as saved.
    void aCommitLostWithItsConnectionIsSettledWhenBack()
    {
        QString error;
        QSqlDatabase a;
        QSqlDatabase b;
        QVERIFY2(openDesks(&a, &b, &error), qPrintable(error));
        QSqlQuery atA(a);
        QVERIFY(velmora::execute(atA, QStringLiteral(R"(CREATE FUNCTION end_session()
            RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN
                PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NULL; END $$)")));
        QVERIFY(velmora::execute(
            atA, QStringLiteral("CREATE CONSTRAINT TRIGGER ends_session AFTER INSERT ON vehicles "
                                "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW "
                                "EXECUTE FUNCTION end_session()")));
        velmora::ServerLink link(b, nullptr, std::chrono::milliseconds(60));
        QSignalSpy settled(&link, &velmora::ServerLink::commitSettled);
        const QString add = QStringLiteral("insert into vehicles (reg_no) values (?)");
        {
            velmora::Transaction lost(b);
            QSqlQuery query(b);
            QVERIFY(velmora::run(query, add, {QStringLiteral("LOST1")}));
            QVERIFY(!lost.commit(&error));
            QCOMPARE(error, velmora::commitInDoubtText());
        }
        QTRY_COMPARE_WITH_TIMEOUT(settled.count(), 1, 3000);
        QCOMPARE(settled.takeFirst().at(0).toBool(), false);
        QVERIFY(velmora::execute(atA, QStringLiteral("DROP TRIGGER ends_session ON vehicles")));
        QVERIFY(velmora::run(atA, QStringLiteral("select count(*) from vehicles")) && atA.next());
        QCOMPARE(atA.value(0).toInt(), 0);

        QSqlQuery query(b);
        QVERIFY(velmora::execute(query, QStringLiteral("BEGIN")));
        QVERIFY(velmora::run(query, add, {QStringLiteral("KEPT1")}));
        QVERIFY(velmora::execute(query, QStringLiteral("SELECT txid_current()")) && query.next());
        const qint64 number = query.value(0).toLongLong();
        QVERIFY(velmora::execute(query, QStringLiteral("COMMIT")));
        velmora::noteCommitInDoubt(b, number);
        link.check();
        QCOMPARE(settled.count(), 1);
        QCOMPARE(settled.takeFirst().at(0).toBool(), true);
        link.check();
        QCOMPARE(settled.count(), 0);
    }

    // A server the network leaves unanswered (its handshakes dropped, as behind a pulled
    // cable) holds the desk up at no try: the event loop runs on while the link tries again.
    void anUnansweringNetworkHoldsNothingUp()
    {
        QTcpServer silent;
        silent.setListenBacklogSize(0);
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        silent.pauseAccepting();
        // Its queue filled, the listener's system drops the handshakes that follow.
        std::vector<std::unique_ptr<QTcpSocket>> queued;
        for (int i = 0; i < 3; ++i) {
            queued.push_back(std::make_unique<QTcpSocket>());
            queued.back()->connectToHost(QHostAddress::LocalHost, silent.serverPort());
        }
        QTest::qWait(300);
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("a"));
            db.setHostName(QStringLiteral("127.0.0.1"));
            db.setPort(silent.serverPort());
            db.setConnectOptions(QStringLiteral("connect_timeout=3"));
            velmora::ServerLink link(db, nullptr, std::chrono::milliseconds(60));
            QSignalSpy retrying(&link, &velmora::ServerLink::retrying);
            QElapsedTimer clock;
            clock.start();
            qint64 longest = 0;
            qint64 last = 0;
            while (clock.elapsed() < 1500) {
                QTest::qWait(10);
                longest = std::max(longest, clock.elapsed() - last);
                last = clock.elapsed();
            }
            QVERIFY2(longest < 500, qPrintable(QString::number(longest)));
            QVERIFY(retrying.count() >= 2);
            QVERIFY(!link.isConnected());
        }
    }

    void theServersCertificateIsChecked()
    {
        QTemporaryDir dir;
        QProcess openssl;
        openssl.setWorkingDirectory(dir.path());
        openssl.start(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QString::fromLatin1(kCertificates)});
        QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
        QVERIFY2(m_server.enableTls(dir.filePath(QStringLiteral("server.crt")),
                                    dir.filePath(QStringLiteral("server.key"))),
                 qPrintable(m_server.problem()));
        const DatabaseLocation firm = newDatabase();
        for (const QString& authority : {QStringLiteral("firm"), QStringLiteral("other")}) {
            QString error;
            const std::optional<DatabaseLocation> location = velmora::parseDatabaseLocation(
                serverAddress(firm, QStringLiteral("?sslmode=verify-full&sslrootcert=") +
                                        dir.filePath(authority + QStringLiteral(".crt"))),
                &error);
            QVERIFY2(location, qPrintable(error));
            QSqlDatabase db = velmora::connectServer(*location, QStringLiteral("a"), &error);
            QSqlQuery query(db);
            const bool secret = query.exec(QStringLiteral(
                                    "SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()")) &&
                                query.next() && query.value(0).toBool();
            QCOMPARE(secret, authority == QLatin1String("firm"));
            QVERIFY2(secret || error.contains(QLatin1String("cannot be trusted")),
                     qPrintable(error));
        }
    }

    // kept: the password in PGPASSWORD; typed: what the login box gives ("-" cancelled).
    void aPasswordIsAskedForWhenNoneIsKept_data()
    {
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("said");
        QTest::newRow("typed") << QString() << "Open Sesame" << 1 << QString();
        QTest::newRow("kept") << "Open Sesame"
                              << "-" << 0 << QString();
        QTest::newRow("typed wrong") << QString() << "Sesame" << 1 << "refused the login";
        QTest::newRow("cancelled") << QString() << "-" << 1 << "none was found";
    }
    void aPasswordIsAskedForWhenNoneIsKept()
    {
        QFETCH(QString, kept);
        QFETCH(QString, typed);
        QFETCH(int, asked);
        QFETCH(QString, said);
        if (!m_clerk) {
            QVERIFY2(m_server.execute(QStringLiteral("CREATE ROLE clerk LOGIN PASSWORD "
                                                     "'Open Sesame'")) &&
                         m_server.requirePassword(QStringLiteral("clerk")),
                     qPrintable(m_server.problem()));
            m_clerk = true;
        }
        DatabaseLocation location = newDatabase();
        location.user = QStringLiteral("clerk");
        qputenv("PGPASSFILE", "/nonexistent/pgpass");
        if (!kept.isEmpty())
            qputenv("PGPASSWORD", kept.toUtf8());
        QStringList prompts;
        velmora::setPasswordSource([&](const QString& prompt) -> std::optional<QString> {
            prompts << prompt;
            return typed == QLatin1String("-") ? std::nullopt : std::optional<QString>(typed);
        });
        QString error;
        const bool opened = velmora::connectServer(location, QStringLiteral("a"), &error).isValid();
        velmora::setPasswordSource({});
        qunsetenv("PGPASSWORD");
        QCOMPARE(prompts.size(), asked);
        QVERIFY(!asked || prompts.first().contains(QLatin1String("clerk")));
        QCOMPARE(opened, said.isEmpty());
        QVERIFY2(error.contains(said), qPrintable(error));
        QVERIFY(!error.contains(QLatin1String("Sesame")));
    }

private:
    DatabaseLocation newDatabase()
    {
        return m_server.createDatabase(QStringLiteral("desks_%1").arg(++m_count));
    }

    // A new firm on the server, made at desk "a" and opened at desk "b"; false with the
    // reason in *error.
    bool openDesks(QSqlDatabase* a, QSqlDatabase* b, QString* error)
    {
        const QString firm = serverAddress(newDatabase());
        *a = velmora::createDatabase(firm, QStringLiteral("a"), error);
        *b = velmora::openDatabase(firm, QStringLiteral("b"), error);
        return a->isValid() && b->isValid();
    }

    PostgresServer m_server;
    int m_count = 0;
    bool m_clerk = false;
};

QTEST_GUILESS_MAIN(TestDesks)
#include "test_desks.moc"
