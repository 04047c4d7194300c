#include "cliprocess.h"
#include "data/database.h"
#include "data/firmcopy.h"
#include "data/schema.h"
#include "data/sql.h"
#include "postgresserver.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

using velmora::DatabaseLocation;
using velmora::test::OpenedDatabase;
using velmora::test::Outcome;
using velmora::test::PostgresServer;

namespace {

Outcome cli(const QStringList& arguments, const QByteArray& input = {})
{
    return velmora::test::runProgram(QStringLiteral(VELMORA_CLI), arguments, input);
}

QString address(const DatabaseLocation& location)
{
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(location.user, location.host)
        .arg(location.port)
        .arg(location.name);
}

// Every row of every table the copy carries, ordered by rowid, one line a row.
QStringList dump(QSqlDatabase& db)
{
    QStringList lines;
    for (const QString& table : velmora::firmTables()) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("select rowid, * from %1 order by rowid").arg(table)))
            return {table + QStringLiteral(" unread")};
        while (query.next()) {
            QStringList values{table};
            for (int column = 0; column < query.record().count(); ++column)
                values << (query.isNull(column) ? QStringLiteral("NULL")
                                                : query.value(column).toString());
            lines << values.join(QLatin1Char('|'));
        }
    }
    return lines;
}

// The tables a server database holds.
int serverTableCount(PostgresServer& server, const DatabaseLocation& location)
{
    int count = -1;
    {
        QSqlDatabase db = server.open(location, QStringLiteral("velmora-test-count"));
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("select count(*) from information_schema.tables where "
                                      "table_schema = current_schema()")) &&
            query.next())
            count = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("velmora-test-count"));
    return count;
}

} // namespace

class TestCliServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (m_server.isMissing())
            QSKIP(qPrintable(m_server.problem()));
        QVERIFY2(m_server.isRunning(), qPrintable(m_server.problem()));
    }

    void refusesWhatIsNotAFirm_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("said");
        QTest::newRow("no server") << QString() << QStringLiteral("port") << "cannot be reached";
        QTest::newRow("login refused")
            << QString() << QStringLiteral("user") << "refused the login";
        QTest::newRow("no database") << QString() << QStringLiteral("name") << "does not exist";
        QTest::newRow("empty") << QString() << QString() << "holds no firm yet";
        QTest::newRow("not ours") << QStringLiteral("create table fares (id bigint)") << QString()
                                  << "is not a Velmora database";
        QTest::newRow("newer")
            << QStringLiteral("create table database_header as select %1 as application_id, "
                              "%2 as user_version")
                   .arg(velmora::velmoraApplicationId())
                   .arg(velmora::currentSchemaVersion() + 1)
            << QString() << "newer version";
    }
    void refusesWhatIsNotAFirm()
    {
        QFETCH(QString, setup);
        QFETCH(QString, change);
        QFETCH(QString, said);
        DatabaseLocation location = m_server.createDatabase(nextName());
        if (!setup.isEmpty()) {
            QSqlDatabase db = m_server.open(location, QStringLiteral("velmora-test-setup"));
            QSqlQuery query(db);
            QVERIFY2(query.exec(setup), qPrintable(query.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("velmora-test-setup"));
        if (change == QLatin1String("port"))
            location.port = 1;
        else if (change == QLatin1String("user"))
            location.user = QStringLiteral("nobody_here");
        else if (change == QLatin1String("name"))
            location.name = QStringLiteral("no_such_firm");
        const Outcome outcome =
            cli({QStringLiteral("check"), QStringLiteral("--database"), address(location)});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(said), qPrintable(outcome.err));
        QVERIFY2(outcome.err.contains(QStringLiteral("on 127.0.0.1:%1").arg(location.port)),
                 qPrintable(outcome.err));
    }

    void initPutsTheSchemaAndOperatorOnAnEmptyDatabaseOnly()
    {
        const QString target = address(m_server.createDatabase(nextName()));
        const QStringList init = {QStringLiteral("init"), QStringLiteral("--database"), target,
                                  QStringLiteral("--operator"), QStringLiteral("Sandra")};
        Outcome outcome = cli(init + QStringList{QStringLiteral("--demo")}, "Open Sesame 1\n");
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(QLatin1String("velmora-cli copy")), qPrintable(outcome.err));
        outcome = cli(init, "Open Sesame 1\n");
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        // The address reaches the command untouched from the environment too.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VELMORA_DATABASE"), target);
        outcome = velmora::test::runProgram(QStringLiteral(VELMORA_CLI), {QStringLiteral("check")},
                                            {}, environment);
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.out + outcome.err));
        QVERIFY2(outcome.out.contains(QLatin1String("skipped")), qPrintable(outcome.out));
        outcome = cli(init, "Open Sesame 1\n");
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(QLatin1String("already holds tables")),
                 qPrintable(outcome.err));

        // Opened to view, the firm's tables refuse changes; the work tables take them.
        const QString connection = QStringLiteral("velmora-test-view");
        {
            QString error;
            QSqlDatabase db =
                velmora::openDatabase(target, connection, &error, velmora::Access::ReadOnly);
            QVERIFY2(db.isValid(), qPrintable(error));
            QSqlQuery query(db);
            QVERIFY(!velmora::run(query, QStringLiteral("delete from passwords")));
            QVERIFY(velmora::run(query, QStringLiteral("delete from jobboard")));
        }
        velmora::closeDatabase(connection);
    }

    void copiesAFirmToTheServerAndBack()
    {
        const QString demo = m_dir.filePath(QStringLiteral("demo.mdb"));
        Outcome outcome =
            cli({QStringLiteral("init"), QStringLiteral("--demo"), QStringLiteral("--database"),
                 demo, QStringLiteral("--operator"), QStringLiteral("Sandra")},
                "Open Sesame 1\n");
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        const QString server = address(m_server.createDatabase(nextName()));
        const QString back = m_dir.filePath(QStringLiteral("back.mdb"));
        for (const auto& [from, to] : {std::pair{demo, server}, std::pair{server, back}}) {
            outcome = cli({QStringLiteral("copy"), QStringLiteral("--from"), from,
                           QStringLiteral("--to"), to});
            QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
            outcome = cli({QStringLiteral("check"), QStringLiteral("--database"), to});
            QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.out + outcome.err));
        }
        OpenedDatabase before(demo);
        OpenedDatabase after(back);
        const QStringList rows = dump(before.db());
        QVERIFY(rows.size() > 100);
        QCOMPARE(dump(after.db()), rows);

        // A target that holds a firm is refused, a file or a server database.
        for (const QString& taken : {server, back}) {
            outcome = cli({QStringLiteral("copy"), QStringLiteral("--from"), demo,
                           QStringLiteral("--to"), taken});
            QCOMPARE(outcome.exitCode, 1);
            QVERIFY2(outcome.err.contains(QLatin1String("already")), qPrintable(outcome.err));
        }
    }

    void aCopyThatFailsLeavesTheServerEmpty()
    {
        const QString file = m_dir.filePath(QStringLiteral("odd.mdb"));
        Outcome outcome =
            cli({QStringLiteral("init"), QStringLiteral("--demo"), QStringLiteral("--database"),
                 file, QStringLiteral("--operator"), QStringLiteral("Sandra")},
                "Open Sesame 1\n");
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        {
            // SQLite keeps text in a number column; the server refuses it mid-copy.
            OpenedDatabase odd(file);
            QSqlQuery query(odd.db());
            QVERIFY(
                velmora::run(query, QStringLiteral("update jobs set driver = 'Dave' where rowid = "
                                                   "(select max(rowid) from jobs)")));
        }
        const DatabaseLocation location = m_server.createDatabase(nextName());
        outcome = cli({QStringLiteral("copy"), QStringLiteral("--from"), file,
                       QStringLiteral("--to"), address(location)});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(QLatin1String("jobs")), qPrintable(outcome.err));
        QCOMPARE(serverTableCount(m_server, location), 0);
    }

    // The owner grants the desks' role; the desk logs in with the password it is asked for,
    // which a command run without a terminal cannot ask for.
    void aDeskLogsInWithTheRoleTheOwnerGranted()
    {
        QVERIFY2(
            m_server.execute(QStringLiteral("CREATE ROLE desk LOGIN PASSWORD 'Open Sesame'")) &&
                m_server.requirePassword(QStringLiteral("desk")),
            qPrintable(m_server.problem()));
        DatabaseLocation location = m_server.createDatabase(nextName());
        Outcome outcome =
            cli({QStringLiteral("init"), QStringLiteral("--database"), address(location),
                 QStringLiteral("--operator"), QStringLiteral("Sandra")},
                "Open Sesame 1\n");
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        outcome = cli({QStringLiteral("grant"), QStringLiteral("--database"), address(location),
                       QStringLiteral("--role"), QStringLiteral("desk")});
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        location.user = QStringLiteral("desk");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSFILE"), m_dir.filePath(QStringLiteral("none")));
        environment.remove(QStringLiteral("PGPASSWORD"));
        const QStringList check = {QStringLiteral("check"), QStringLiteral("--database"),
                                   address(location)};
        outcome = velmora::test::runProgram(QStringLiteral(VELMORA_CLI), check, {}, environment);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(QLatin1String("not a terminal")) &&
                     outcome.err.contains(QLatin1String("password of desk")),
                 qPrintable(outcome.err));
        environment.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("Open Sesame"));
        outcome = velmora::test::runProgram(QStringLiteral(VELMORA_CLI), check, {}, environment);
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.out + outcome.err));
        // A file has no roles to grant.
        const QString file = m_dir.filePath(QStringLiteral("desk.mdb"));
        outcome = cli({QStringLiteral("init"), QStringLiteral("--database"), file,
                       QStringLiteral("--operator"), QStringLiteral("Sandra")},
                      "Open Sesame 1\n");
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        outcome = cli({QStringLiteral("grant"), QStringLiteral("--database"), file,
                       QStringLiteral("--role"), QStringLiteral("desk")});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(QLatin1String("no roles")), qPrintable(outcome.err));
    }

private:
    QString nextName() { return QStringLiteral("firm_%1").arg(++m_databases); }

    PostgresServer m_server;
    QTemporaryDir m_dir;
    int m_databases = 0;
};

QTEST_GUILESS_MAIN(TestCliServer)
#include "test_cli_server.moc"
