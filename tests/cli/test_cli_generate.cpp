#include "cliprocess.h"
#include "data/operators.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using velmora::LoginCheck;
using velmora::test::contents;
using velmora::test::OpenedDatabase;
using velmora::test::Outcome;

namespace {

// Runs `velmora-cli generate` with `arguments`, `input` on its standard input.
Outcome generate(const QStringList& arguments, const QByteArray& input)
{
    return velmora::test::runProgram(QStringLiteral(VELMORA_CLI),
                                     QStringList{QStringLiteral("generate")} + arguments, input);
}

QStringList smallFirm(const QString& path)
{
    return {QStringLiteral("--database"), path,
            QStringLiteral("--operator"), QStringLiteral("Sandra"),
            QStringLiteral("--accounts"), QStringLiteral("12"),
            QStringLiteral("--drivers"),  QStringLiteral("9"),
            QStringLiteral("--jobs"),     QStringLiteral("1500"),
            QStringLiteral("--seed"),     QStringLiteral("5")};
}

} // namespace

class TestCliGenerate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createsTheFirmWithItsFirstOperator()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("firm/taxi.mdb"));
        const Outcome outcome = generate(smallFirm(path), "Open Sesame 1\n");
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.out.contains(path), qPrintable(outcome.out));
        QVERIFY2(outcome.out.contains(QLatin1String("1,500 jobs")), qPrintable(outcome.out));
        // Standard error is no terminal here, so no progress is shown.
        QVERIFY2(outcome.err.isEmpty(), qPrintable(outcome.err));

        OpenedDatabase file(path);
        QVERIFY(file.isValid());
        QCOMPARE(velmora::checkLogin(file.db(), QStringLiteral("sandra"),
                                     QStringLiteral("Open Sesame 1"))
                     .result,
                 LoginCheck::Result::Accepted);
        QSqlQuery query(file.db());
        QVERIFY(query.exec(QStringLiteral("select (select count(*) from accounts), "
                                          "(select count(*) from drivers), "
                                          "(select count(*) from jobs)")) &&
                query.next());
        QCOMPARE(query.value(0).toInt(), 12);
        QCOMPARE(query.value(1).toInt(), 9);
        QCOMPARE(query.value(2).toInt(), 1500);
    }

    void refusesAnExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Accounts to keep\n");
        }
        const Outcome outcome = generate(smallFirm(path), "secret\n");
        QVERIFY(outcome.exitCode > 0);
        QVERIFY2(outcome.err.contains(QLatin1String("already exists")), qPrintable(outcome.err));
        QCOMPARE(contents(path), QByteArray("Accounts to keep\n"));
    }

    void refusesAnEmptyPasswordAndLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        const Outcome outcome = generate(smallFirm(path), "\n");
        QVERIFY(outcome.exitCode > 0);
        QVERIFY2(outcome.err.contains(QLatin1String("password")), qPrintable(outcome.err));
        QVERIFY(!QFile::exists(path));
    }

    void refusesASizeOutOfRange()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taxi.mdb"));
        QStringList arguments = smallFirm(path);
        arguments[arguments.indexOf(QStringLiteral("--drivers")) + 1] = QStringLiteral("0");
        const Outcome outcome = generate(arguments, "secret\n");
        QVERIFY(outcome.exitCode > 0);
        QVERIFY2(outcome.err.contains(QLatin1String("--drivers")), qPrintable(outcome.err));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestCliGenerate)
#include "test_cli_generate.moc"
