#include "data/audit.h"
#include "data/changefeed.h"
#include "data/database.h"
#include "data/serverdatabase.h"
#include "data/serverlink.h"
#include "data/serverroles.h"
#include "data/sql.h"
#include "postgresserver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using velmora::DatabaseLocation;
using velmora::test::PostgresServer;

namespace {

QString address(const DatabaseLocation& location, const QString& settings = {})
{
    return QStringLiteral("postgresql://%1@%2:%3/%4%5")
        .arg(location.user, location.host)
        .arg(location.port)
        .arg(location.name, settings);
}

QVariant value(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0) : QVariant();
}

// Makes, in `dir`, a certificate authority `name`.crt (key `name`.key) and, when `server`,
// a certificate it signs for 127.0.0.1: server.crt and server.key.
bool makeCertificates(const QTemporaryDir& dir, const QString& name, bool server)
{
    const auto openssl = [&dir](const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral("openssl"), arguments);
        return process.waitForFinished(60000) && process.exitCode() == 0;
    };
    const QStringList key = {QStringLiteral("-newkey"), QStringLiteral("ec"),
                             QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:P-256"),
                             QStringLiteral("-nodes")};
    if (!openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + key +
                 QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key"),
                             QStringLiteral("-out"), name + QStringLiteral(".crt"),
                             QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                             QStringLiteral("/CN=") + name}))
        return false;
    if (!server)
        return true;
    QFile names(dir.filePath(QStringLiteral("names.cnf")));
    if (!names.open(QIODevice::WriteOnly) ||
        names.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n") < 0)
        return false;
    names.close();
    return openssl(QStringList{QStringLiteral("req")} + key +
                   QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"),
                               QStringLiteral("-out"), QStringLiteral("server.csr"),
                               QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")}) &&
           openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                    QStringLiteral("server.csr"), QStringLiteral("-CA"),
                    name + QStringLiteral(".crt"), QStringLiteral("-CAkey"),
                    name + QStringLiteral(".key"), QStringLiteral("-CAcreateserial"),
                    QStringLiteral("-out"), QStringLiteral("server.crt"), QStringLiteral("-days"),
                    QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("names.cnf")});
}

} // namespace

// Several desks on one server database: the changes one makes reach the others, a dropped
// connection comes back by itself, the desks' role writes rows only, the server's
// certificate is checked and a password is asked for when none is kept.
class TestDesks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        QVERIFY2(m_server.isRunning(), qPrintable(m_server.problem()));
    }

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
        QSqlDatabase a =
            velmora::createDatabase(address(newDatabase()), QStringLiteral("a"), &error);
        QVERIFY2(a.isValid(), qPrintable(error));
        QSqlQuery query(a);
        QVERIFY(velmora::run(
            query, QStringLiteral("insert into jobs (passenger_name) values ('One'), ('Two')"), {},
            &error));
        QSqlDatabase b = velmora::openDatabase(address(m_last), QStringLiteral("b"), &error);
        QVERIFY2(b.isValid(), qPrintable(error));
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

    void aDroppedConnectionComesBack()
    {
        QString error;
        QSqlDatabase a =
            velmora::createDatabase(address(newDatabase()), QStringLiteral("a"), &error);
        QVERIFY2(a.isValid(), qPrintable(error));
        QVERIFY(velmora::setAuditOperator(a, QStringLiteral("Sandra"), &error));
        velmora::ServerLink link(a, nullptr, std::chrono::milliseconds(100));
        velmora::ChangeFeed feed(a);
        QSignalSpy lost(&link, &velmora::ServerLink::lost);
        QSignalSpy restored(&link, &velmora::ServerLink::restored);
        QTest::qWait(300);
        QVERIFY2(m_server.execute(QStringLiteral("SELECT pg_terminate_backend(pid) FROM "
                                                 "pg_stat_activity WHERE datname = '%1'")
                                      .arg(m_last.name)),
                 qPrintable(m_server.problem()));
        QVERIFY(lost.wait(2000));
        QVERIFY(!link.isConnected());
        QVERIFY(restored.wait(5000));
        QVERIFY(link.isConnected());
        QCOMPARE(lost.count(), 1);
        // The session is as it was: the trail names the operator, and the feed listens again.
        QCOMPARE(
            value(a, QStringLiteral("SELECT current_setting('velmora.audit_operator')")).toString(),
            QStringLiteral("Sandra"));
        QVERIFY(feed.listen());
        QSignalSpy told(&feed, &velmora::ChangeFeed::jobsChanged);
        QSqlDatabase b = velmora::openDatabase(address(m_last), QStringLiteral("b"), &error);
        QVERIFY2(b.isValid(), qPrintable(error));
        QSqlQuery query(b);
        QVERIFY(velmora::run(
            query, QStringLiteral("insert into jobs (passenger_name) values ('X')"), {}, &error));
        QVERIFY(told.wait(1000));
    }

    void theDesksRoleWritesRowsOnly()
    {
        QString error;
        QSqlDatabase owner =
            velmora::createDatabase(address(newDatabase()), QStringLiteral("a"), &error);
        QVERIFY2(owner.isValid(), qPrintable(error));
        QVERIFY(m_server.execute(QStringLiteral("CREATE ROLE velmora_desk LOGIN")) ||
                m_server.problem().contains(QLatin1String("already exists")));
        QVERIFY2(velmora::grantDeskRole(owner, QStringLiteral("velmora_desk"), &error),
                 qPrintable(error));
        DatabaseLocation desk = m_last;
        desk.user = QStringLiteral("velmora_desk");
        QSqlDatabase b = velmora::openDatabase(address(desk), QStringLiteral("b"), &error);
        QVERIFY2(b.isValid(), qPrintable(error));
        QSqlQuery query(b);
        QVERIFY2(velmora::run(query,
                              QStringLiteral("insert into jobs (passenger_name) values ('Desk')"),
                              {}, &error),
                 qPrintable(error));
        for (const char* change : {"create table fares (id bigint)", "drop table jobs",
                                   "alter table jobs add column fare bigint"}) {
            QVERIFY2(!velmora::execute(query, QString::fromLatin1(change), &error), change);
            QVERIFY2(error.contains(QLatin1String("owner")) ||
                         error.contains(QLatin1String("permission denied")),
                     qPrintable(error));
        }
        query = QSqlQuery();
        b = QSqlDatabase();
        velmora::closeDatabase(QStringLiteral("b"));

        // A database that needs upgrading is refused to the desks' role, saying why.
        QSqlQuery stamp(owner);
        QVERIFY(velmora::run(stamp, QStringLiteral("update database_header set user_version = 15"),
                             {}, &error));
        b = velmora::openDatabase(address(desk), QStringLiteral("b"), &error);
        QVERIFY(!b.isValid());
        QVERIFY2(error.contains(QLatin1String("only its owner may do")), qPrintable(error));
    }

    void theServersCertificateIsChecked()
    {
        QTemporaryDir dir;
        QVERIFY(makeCertificates(dir, QStringLiteral("firm_ca"), true));
        QVERIFY(makeCertificates(dir, QStringLiteral("other_ca"), false));
        QVERIFY2(m_server.enableTls(dir.filePath(QStringLiteral("server.crt")),
                                    dir.filePath(QStringLiteral("server.key"))),
                 qPrintable(m_server.problem()));
        const DatabaseLocation firm = newDatabase();
        const auto connect = [&firm, &dir](const QString& authority, QString* error) {
            std::optional<DatabaseLocation> location = velmora::parseDatabaseLocation(
                address(firm, QStringLiteral("?sslmode=verify-full&sslrootcert=") +
                                  dir.filePath(authority + QStringLiteral(".crt"))),
                error);
            return location ? velmora::connectServer(*location, QStringLiteral("a"), error)
                            : QSqlDatabase();
        };
        QString error;
        {
            QSqlDatabase db = connect(QStringLiteral("firm_ca"), &error);
            QVERIFY2(db.isValid(), qPrintable(error));
            QCOMPARE(value(db, QStringLiteral("SELECT ssl FROM pg_stat_ssl WHERE pid = "
                                              "pg_backend_pid()")),
                     QVariant(true));
        }
        velmora::closeDatabase(QStringLiteral("a"));
        QVERIFY(!connect(QStringLiteral("other_ca"), &error).isValid());
        QVERIFY2(error.contains(QLatin1String("cannot be trusted")), qPrintable(error));
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
        if (kept.isEmpty())
            qunsetenv("PGPASSWORD");
        else
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
        velmora::closeDatabase(QStringLiteral("a"));
        QCOMPARE(prompts.size(), asked);
        if (asked)
            QVERIFY2(prompts.first().contains(QLatin1String("clerk")), qPrintable(prompts.first()));
        QCOMPARE(opened, said.isEmpty());
        QVERIFY2(error.contains(said), qPrintable(error));
        QVERIFY(!error.contains(QLatin1String("Sesame")));
    }

private:
    // A new empty database of the owner's, kept as m_last.
    DatabaseLocation newDatabase()
    {
        m_last = m_server.createDatabase(QStringLiteral("desks_%1").arg(++m_count));
        return m_last;
    }

    PostgresServer m_server;
    DatabaseLocation m_last;
    int m_count = 0;
    bool m_clerk = false;
};

QTEST_GUILESS_MAIN(TestDesks)
#include "test_desks.moc"
