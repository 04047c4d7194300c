#include "cliprocess.h"
#include "data/operators.h"
#include "data/sql.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using velmora::LoginCheck;
using velmora::test::contents;
using velmora::test::OpenedDatabase;
using velmora::test::Outcome;

namespace {

// Runs `velmora-cli init` with `arguments`, `input` on its standard input.
Outcome init(const QStringList& arguments, const QByteArray& input,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    return velmora::test::runProgram(QStringLiteral(VELMORA_CLI),
                                     QStringList{QStringLiteral("init")} + arguments, input,
                                     environment);
}

} // namespace

class TestCliInit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createsTheDatabaseWithAnAdministrator()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("new/taxi.mdb"));
        const Outcome outcome = init({QStringLiteral("--database"), path,
                                      QStringLiteral("--operator"), QStringLiteral("Sandra")},
                                     "Open Sesame 1\n");
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.out.contains(path), qPrintable(outcome.out));
        QVERIFY2(outcome.out.contains(QLatin1String("Sandra")), qPrintable(outcome.out));

        OpenedDatabase file(path);
        QVERIFY(file.isValid());
        const LoginCheck login = velmora::checkLogin(file.db(), QStringLiteral("sandra"),
                                                     QStringLiteral("Open Sesame 1"));
        QCOMPARE(login.result, LoginCheck::Result::Accepted);
        QCOMPARE(login.securityLevel, QStringLiteral("Boss"));
        QCOMPARE(velmora::checkLogin(file.db(), QStringLiteral("Sandra"),
                                     QStringLiteral("open sesame 1"))
                     .result,
                 LoginCheck::Result::Refused);
        const QString stored =
            file.value(QStringLiteral("select Password from passwords")).toString();
        QVERIFY(!stored.isEmpty());
        QVERIFY(!stored.contains(QLatin1String("Open Sesame")));
        QCOMPARE(file.value(QStringLiteral("select count(*) from passwords")).toInt(), 1);

        QCOMPARE(file.value(QStringLiteral("select count(*) from invoice_prints")).toInt(), 1);
        QCOMPARE(file.value(QStringLiteral("select invoice_copies from invoice_prints")).toInt(),
                 1);
        QCOMPARE(
            file.value(QStringLiteral("select driver_sheet_copies from invoice_prints")).toInt(),
            1);
        QCOMPARE(file.value(QStringLiteral("select count(*) from jobs")).toInt(), 0);
    }

    void readsOnlyTheFirstLine_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("two lines") << QByteArray("first\nsecond\n");
        QTest::newRow("windows line end") << QByteArray("first\r\nsecond\r\n");
        QTest::newRow("no line end") << QByteArray("first");
    }

    void readsOnlyTheFirstLine()
    {
        QFETCH(QByteArray, input);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        QCOMPARE(init({QStringLiteral("--database"), path, QStringLiteral("--operator"),
                       QStringLiteral("Dave")},
                      input)
                     .exitCode,
                 0);
        OpenedDatabase file(path);
        QVERIFY(file.isValid());
        QCOMPARE(
            velmora::checkLogin(file.db(), QStringLiteral("Dave"), QStringLiteral("first")).result,
            LoginCheck::Result::Accepted);
    }

    void refusesAnExistingFile_data()
    {
        QTest::addColumn<bool>("velmoraFile");
        QTest::newRow("some other file") << false;
        QTest::newRow("a Velmora database") << true;
    }

    void refusesAnExistingFile()
    {
        QFETCH(bool, velmoraFile);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const QStringList arguments = {QStringLiteral("--database"), path,
                                       QStringLiteral("--operator"), QStringLiteral("Mallory")};
        if (velmoraFile) {
            QCOMPARE(init({QStringLiteral("--database"), path, QStringLiteral("--operator"),
                           QStringLiteral("Sandra")},
                          "first\n")
                         .exitCode,
                     0);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Accounts to keep\n");
        }
        const QByteArray before = contents(path);
        QVERIFY(!before.isEmpty());

        const Outcome outcome = init(arguments, "second\n");
        QVERIFY(outcome.exitCode > 0);
        QVERIFY2(outcome.err.contains(QLatin1String("already exists")), qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        QCOMPARE(contents(path), before);

        const Outcome demo = init(arguments + QStringList{QStringLiteral("--demo")}, "second\n");
        QVERIFY(demo.exitCode > 0);
        QCOMPARE(contents(path), before);
    }

    void refusesAnEmptyPassword_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("empty line") << QByteArray("\n");
        QTest::newRow("empty first line") << QByteArray("\nsecret\n");
    }

    void refusesAnEmptyPassword()
    {
        QFETCH(QByteArray, input);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const Outcome outcome = init({QStringLiteral("--database"), path,
                                      QStringLiteral("--operator"), QStringLiteral("Sandra")},
                                     input);
        QVERIFY(outcome.exitCode > 0);
        QVERIFY2(outcome.err.contains(QLatin1String("password")), qPrintable(outcome.err));
        QVERIFY(!QFile::exists(path));
    }

    void passwordRules_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message"); // empty when accepted
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9\n") << "not UTF-8";
        QTest::newRow("spaces") << QByteArray("    \n") << "not a space";
        QTest::newRow("too long") << QByteArray(1025, 'x') << "at most 1024 characters";
        QTest::newRow("NUL") << QByteArray("sec\0ret\n", 8) << "NUL";
        QTest::newRow("decomposed") << QByteArray("Cafe\xcc\x81\n") << QString();
    }

    void passwordRules()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const Outcome outcome = init({QStringLiteral("--database"), path,
                                      QStringLiteral("--operator"), QStringLiteral("Sandra")},
                                     input);
        QCOMPARE(outcome.exitCode == 0, message.isEmpty());
        QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
        if (!message.isEmpty()) {
            QVERIFY(!QFile::exists(path));
            return;
        }
        OpenedDatabase file(path);
        QCOMPARE(
            velmora::checkLogin(file.db(), QStringLiteral("Sandra"), QStringLiteral("Caf\u00e9"))
                .result,
            LoginCheck::Result::Accepted);
    }

    void checkFindsDanglingRowsAndLaggingCounters()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        QCOMPARE(init({QStringLiteral("--database"), path, QStringLiteral("--operator"),
                       QStringLiteral("Sandra"), QStringLiteral("--demo")},
                      "secret\n")
                     .exitCode,
                 0);
        const auto check = [&path] {
            return velmora::test::runProgram(
                QStringLiteral(VELMORA_CLI),
                {QStringLiteral("check"), QStringLiteral("--database"), path}, {});
        };
        const Outcome sound = check();
        QCOMPARE(sound.exitCode, 0);
        QVERIFY2(sound.out.contains(QLatin1String("No faults found")), qPrintable(sound.out));
        {
            OpenedDatabase file(path);
            QSqlQuery query(file.db());
            QVERIFY(query.exec(QStringLiteral(
                "insert into Costs (job_prefix, jobnumber, costtype, income_expence) "
                "values ('Z', 999999, 1, 'I')")));
            QVERIFY(query.exec(QStringLiteral("update job_counter set last = 1")));
        }
        const Outcome faulty = check();
        QCOMPARE(faulty.exitCode, 1);
        QVERIFY2(faulty.out.contains(QLatin1String("1 cost lines whose job does not exist")),
                 qPrintable(faulty.out));
        QVERIFY2(faulty.out.contains(QLatin1String("the job number counter (1) is behind")),
                 qPrintable(faulty.out));
        const Outcome missing = velmora::test::runProgram(
            QStringLiteral(VELMORA_CLI),
            {QStringLiteral("check"), QStringLiteral("--database"), dir.path()}, {});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains(QLatin1String("is a folder")), qPrintable(missing.err));
    }

    void refusesAMissingOrBlankOperator_data()
    {
        QTest::addColumn<QStringList>("operatorArguments");
        QTest::newRow("missing") << QStringList();
        QTest::newRow("empty") << QStringList{QStringLiteral("--operator"), QString()};
        QTest::newRow("blank") << QStringList{QStringLiteral("--operator"), QStringLiteral("  ")};
    }

    void refusesAMissingOrBlankOperator()
    {
        QFETCH(QStringList, operatorArguments);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const Outcome outcome =
            init(QStringList{QStringLiteral("--database"), path} + operatorArguments, "secret\n");
        QVERIFY(outcome.exitCode > 0);
        QVERIFY(!outcome.err.isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    // The bytes a password may not hold, an operator name may not hold either.
    void refusesAnOperatorNameThatIsNotUtf8()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const Outcome outcome = velmora::test::runProgram(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral(
                 "exec \"$0\" init --database \"$1\" --operator \"$(printf 'Caf\\351')\""),
             QStringLiteral(VELMORA_CLI), path},
            "secret\n");
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(QLatin1String("operator name is not UTF-8")),
                 qPrintable(outcome.err));
        QVERIFY(!QFile::exists(path));
    }

    void takesThePathFromTheEnvironmentWhenNoneIsGiven()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("from-environment.mdb"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VELMORA_DATABASE"), path);
        const Outcome outcome =
            init({QStringLiteral("--operator"), QStringLiteral("Sandra")}, "secret\n", environment);
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(outcome.out.contains(path));
        OpenedDatabase file(path);
        QVERIFY(file.isValid());
        QCOMPARE(velmora::checkLogin(file.db(), QStringLiteral("Sandra"), QStringLiteral("secret"))
                     .result,
                 LoginCheck::Result::Accepted);
    }

    void demoAddsTheFirmBesideTheOperator()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const Outcome outcome =
            init({QStringLiteral("--database"), path, QStringLiteral("--operator"),
                  QStringLiteral("Sandra"), QStringLiteral("--demo")},
                 "secret\n");
        QCOMPARE(outcome.exitCode, 0);
        OpenedDatabase file(path);
        QVERIFY(file.isValid());
        QCOMPARE(velmora::checkLogin(file.db(), QStringLiteral("Sandra"), QStringLiteral("secret"))
                     .result,
                 LoginCheck::Result::Accepted);
        QCOMPARE(file.value(QStringLiteral("select count(*) from company")).toInt(), 1);
        QVERIFY(file.value(QStringLiteral("select count(*) from jobs")).toInt() > 0);
        // Its jobs lie around the day it reports.
        const QRegularExpression day(QStringLiteral("around (\\d{4}-\\d\\d-\\d\\d)"));
        const QString today = day.match(outcome.out).captured(1);
        QVERIFY2(!today.isEmpty(), qPrintable(outcome.out));
        QSqlQuery query(file.db());
        QVERIFY(velmora::run(query, QStringLiteral("select count(*) from jobs where date = ?"),
                             {today}));
        QVERIFY(query.next() && query.value(0).toInt() > 0);
    }
};

QTEST_GUILESS_MAIN(TestCliInit)
#include "test_cli_init.moc"
