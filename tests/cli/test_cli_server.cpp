#include "cliprocess.h"
#include "data/database.h"
#include "data/firmcopy.h"
#include "data/readonly.h"
#include "data/schema.h"
#include "data/sql.h"
#include "postgresserver.h"
#include "transferfiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
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

// What a command said, with the database, the folder it wrote in and a safety copy (whose
// place differs: beside a file, in the data folder for a server) named alike for both
// engines, and without check's note that a server's file check is skipped.
QString said(const Outcome& outcome, const QString& database, const QString& folder)
{
    static const QRegularExpression copy(
        QStringLiteral("/\\S*-\\d{8}-\\d{6}-\\d{3}\\.backup\\.mdb"));
    static const QRegularExpression skipped(QStringLiteral("The file integrity check[^\\n]*\\n"));
    QString text = QString::number(outcome.exitCode) + u'\n' + outcome.out + outcome.err;
    return text.replace(database, QStringLiteral("DB"))
        .replace(folder, QStringLiteral("DIR"))
        .replace(copy, QStringLiteral("COPY"))
        .remove(skipped);
}

} // namespace

class TestCliServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { VELMORA_REQUIRE_SERVER(m_server); }

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
        Outcome outcome = cli(init, "Open Sesame 1\n");
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
            QVERIFY(velmora::isReadOnly(db));
            QSqlQuery query(db);
            QVERIFY(!velmora::run(query, QStringLiteral("delete from passwords")));
            QCOMPARE(velmora::failureText(query.lastError()), velmora::readOnlyRefusal());
            QVERIFY(velmora::run(query, QStringLiteral("delete from jobboard")));
        }
        velmora::closeDatabase(connection);
    }

    // A generated firm and the demo firm are built in a file of their own and copied whole
    // to the server: the same rows as in a file built alike, or, refused, nothing.
    void generatesAFirmWholeOnTheServer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("generate") << QStringList{
            QStringLiteral("generate"),  QStringLiteral("--accounts"), QStringLiteral("5"),
            QStringLiteral("--drivers"), QStringLiteral("3"),          QStringLiteral("--jobs"),
            QStringLiteral("300")};
        QTest::newRow("demo") << QStringList{QStringLiteral("init"), QStringLiteral("--demo")};
    }
    void generatesAFirmWholeOnTheServer()
    {
        QFETCH(QStringList, arguments);
        arguments << QStringLiteral("--operator") << QStringLiteral("Sandra")
                  << QStringLiteral("--database");
        const QString file = m_dir.filePath(nextName() + QStringLiteral(".mdb"));
        const QString server = address(m_server.createDatabase(nextName()));
        const QString back = m_dir.filePath(nextName() + QStringLiteral(".mdb"));
        for (const QString& database : {file, server}) {
            const Outcome outcome = cli(arguments + QStringList{database}, "Open Sesame 1\n");
            QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        }
        Outcome outcome = cli({QStringLiteral("check"), QStringLiteral("--database"), server});
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.out + outcome.err));
        outcome = cli({QStringLiteral("copy"), QStringLiteral("--from"), server,
                       QStringLiteral("--to"), back});
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        // The trail bears each build's own moments and hashes, and a password its own
        // salt; every other row is the same.
        OpenedDatabase built(file);
        OpenedDatabase copied(back);
        const auto firm = [](QSqlDatabase& db) {
            return dump(db).filter(QRegularExpression(QStringLiteral("^(?!audit|passwords)")));
        };
        const QStringList rows = firm(built.db());
        QVERIFY(rows.size() > 50);
        QCOMPARE(firm(copied.db()), rows);
        // A server database that holds a firm is refused before anything is built.
        outcome = cli(arguments + QStringList{server}, "Open Sesame 1\n");
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(QLatin1String("already holds tables")),
                 qPrintable(outcome.err));
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

    void initTestCase()
    {
        if (m_server.isMissing())
            return;
        m_demo = m_dir.filePath(QStringLiteral("shared-demo.mdb"));
        const Outcome outcome =
            cli({QStringLiteral("init"), QStringLiteral("--demo"), QStringLiteral("--database"),
                 m_demo, QStringLiteral("--operator"), QStringLiteral("Sandra")},
                "Open Sesame 1\n");
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
    }

    // Each command run on a copy of the demo firm in a file and on a copy of it on the
    // server says the same, writes the same and leaves a firm that passes its checks.
    void everyCommandSaysTheSameOnAFileAndOnTheServer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QByteArray>("input");
        const QDate today = QDate::currentDate();
        const QString day = today.toString(QStringLiteral("dd/MM/yyyy"));
        const QString monthStart = QDate(today.year(), today.month(), 1)
                                       .addMonths(-1)
                                       .toString(QStringLiteral("dd/MM/yyyy"));
        const QString reports = QStringLiteral(VELMORA_REPORTS);
        const auto row = [](const char* name, const QStringList& arguments,
                            const QStringList& written = {}, const QByteArray& input = {}) {
            QTest::newRow(name) << arguments << written << input;
        };
        row("check", {"check"});
        // Every report's rows, each with its parameters' defaults.
        for (const QString& report :
             QDir(reports).entryList({QStringLiteral("*.rpt")}, QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(report + QStringLiteral(" to CSV")))
                << QStringList{QStringLiteral("report"), reports + u'/' + report,
                               QStringLiteral("--csv"), QStringLiteral("DIR/out.csv")}
                << QStringList{QStringLiteral("out.csv")} << QByteArray();
        }
        row("report to PDF", {"report", reports + "/accounts.rpt", "--pdf", "DIR/out.pdf"});
        row("invoice", {"invoice"});
        row("driver-pay", {"driver-pay"});
        row("profit", {"profit", "--from", monthStart, "--to", day});
        row("import-jobs", {"import-jobs", "DIR/Jobs.txt"});
        row("import-costs", {"import-costs", "DIR/Costs.txt"});
        row("export-accounts", {"export-accounts", "DIR/A.txt"}, {"A.txt"});
        row("backup", {"backup", "--to", "DIR/copy.mdb"});
        row("safety copy", {"backup"});
        row("statements", {"statements", "--date", monthStart, "--pdf", "DIR/s.pdf"});
        row("profit-and-loss", {"profit-and-loss", "--from", monthStart, "--to", day});
        row("vat-return", {"vat-return", "--from", monthStart, "--to", day});
        row("mail-settings", {"mail-settings", "--host", "mail.example.com", "--port", "587"});
        row("email-invoices", {"email-invoices"}, {}, "secret\n");
        row("email-statements", {"email-statements", "--date", monthStart}, {}, "secret\n");
        row("audit", {"audit", "--since", day});
        row("expiring", {"expiring", "--days", "60"});
    }
    void everyCommandSaysTheSameOnAFileAndOnTheServer()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, written);
        QFETCH(QByteArray, input);
        const QString file = m_dir.filePath(nextName() + QStringLiteral(".mdb"));
        QVERIFY(QFile::copy(m_demo, file));
        const QString server = address(m_server.createDatabase(nextName()));
        Outcome outcome = cli({QStringLiteral("copy"), QStringLiteral("--from"), m_demo,
                               QStringLiteral("--to"), server});
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        // Safety copies of a server database go in the user's data folder.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        QStringList says;
        QList<QByteArray> files;
        for (const QString& database : {file, server}) {
            const QString folder = m_dir.filePath(nextName());
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(velmora::test::writeTransferFiles(folder, QDate::currentDate(),
                                                      QStringLiteral("Mr A. Smith 1"),
                                                      QStringLiteral("C")));
            QStringList run = arguments;
            run.replaceInStrings(QStringLiteral("DIR"), folder);
            outcome = velmora::test::runProgram(
                QStringLiteral(VELMORA_CLI),
                run + QStringList{QStringLiteral("--database"), database}, input, environment);
            says << said(outcome, database, folder);
            for (const QString& name : written)
                files << velmora::test::contents(QDir(folder).filePath(name));
            outcome = cli({QStringLiteral("check"), QStringLiteral("--database"), database});
            QVERIFY2(outcome.exitCode == 0, qPrintable(database + outcome.out + outcome.err));
        }
        QCOMPARE(says.at(1), says.at(0));
        for (qsizetype i = 0; i < written.size(); ++i) {
            QVERIFY(!files.at(i).isEmpty());
            QCOMPARE(files.at(i + written.size()), files.at(i));
        }
    }

    // The owner grants the desks' role, which writes rows but not tables and logs in with the
    // password it is asked for, which a command run without a terminal cannot ask for.
    void aDeskLogsInWithTheRoleTheOwnerGranted()
    {
        QVERIFY2(
            m_server.execute(QStringLiteral("CREATE ROLE desk LOGIN PASSWORD 'Open Sesame'")) &&
                m_server.requirePassword(QStringLiteral("desk")),
            qPrintable(m_server.problem()));
        DatabaseLocation location = m_server.createDatabase(nextName());
        const QString file = m_dir.filePath(QStringLiteral("desk.mdb"));
        for (const QString& target : {address(location), file}) {
            const Outcome outcome =
                cli({QStringLiteral("init"), QStringLiteral("--database"), target,
                     QStringLiteral("--operator"), QStringLiteral("Sandra")},
                    "Open Sesame 1\n");
            QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        }
        const auto grant = [](const QString& target) {
            return cli({QStringLiteral("grant"), QStringLiteral("--database"), target,
                        QStringLiteral("--role"), QStringLiteral("desk")});
        };
        Outcome outcome = grant(file);
        QVERIFY2(outcome.exitCode == 1 && outcome.err.contains(QLatin1String("no roles")),
                 qPrintable(outcome.err));
        outcome = grant(address(location));
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));

        location.user = QStringLiteral("desk");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSFILE"), m_dir.filePath(QStringLiteral("none")));
        environment.remove(QStringLiteral("PGPASSWORD"));
        const QStringList check = {QStringLiteral("check"), QStringLiteral("--database"),
                                   address(location)};
        outcome = velmora::test::runProgram(QStringLiteral(VELMORA_CLI), check, {}, environment);
        QVERIFY2(outcome.exitCode == 1 && outcome.err.contains(QLatin1String("not a terminal")) &&
                     outcome.err.contains(QLatin1String("password of desk")),
                 qPrintable(outcome.err));
        environment.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("Open Sesame"));
        {
            qputenv("PGPASSWORD", "Open Sesame");
            QString error;
            QSqlDatabase desk = velmora::openDatabase(address(location),
                                                      QStringLiteral("velmora-test-desk"), &error);
            qunsetenv("PGPASSWORD");
            QVERIFY2(desk.isValid(), qPrintable(error));
            QSqlQuery query(desk);
            QVERIFY2(velmora::run(query,
                                  QStringLiteral("insert into jobs (passenger_name) values ('D')"),
                                  {}, &error),
                     qPrintable(error));
            for (const char* change : {"create table fares (id bigint)", "drop table jobs",
                                       "alter table jobs add column fare bigint",
                                       "update database_header set user_version = 1"})
                QVERIFY2(!velmora::execute(query, QString::fromLatin1(change)), change);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("velmora-test-desk"));
        // A database that needs upgrading is refused to the desks, saying why.
        location.user = PostgresServer::ownerRole();
        {
            QSqlDatabase owner = m_server.open(location, QStringLiteral("velmora-test-owner"));
            QSqlQuery query(owner);
            QVERIFY(velmora::run(query,
                                 QStringLiteral("update database_header set user_version = 15")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("velmora-test-owner"));
        outcome = velmora::test::runProgram(QStringLiteral(VELMORA_CLI), check, {}, environment);
        QVERIFY2(outcome.exitCode == 1 && outcome.err.contains(QLatin1String("only its owner")),
                 qPrintable(outcome.err));
    }

private:
    QString nextName() { return QStringLiteral("firm_%1").arg(++m_databases); }

    PostgresServer m_server;
    QTemporaryDir m_dir;
    QString m_demo;
    int m_databases = 0;
};

QTEST_GUILESS_MAIN(TestCliServer)
#include "test_cli_server.moc"
