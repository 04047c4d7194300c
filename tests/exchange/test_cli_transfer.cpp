#include "cliprocess.h"
#include "testdatabase.h"
#include "transferbytes.h"

#include <QDir>
#include <QFile>
#include <QTest>

using velmora::test::Outcome;
using velmora::test::TestDatabase;

namespace {

Outcome cli(const TestDatabase& t, const QStringList& arguments)
{
    return velmora::test::runProgram(
        QStringLiteral(VELMORA_CLI),
        arguments + QStringList{QStringLiteral("--database"), t.path()}, {});
}

} // namespace

class TestCliTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void importsExportsAndBacksUp()
    {
        TestDatabase t;
        t.exec(QStringLiteral("insert into receipt_types (paymenttype) values ('Fare')"));
        velmora::test::JobBytes bad;
        bad.number = 2;
        bad.vehicleType = 4;
        const QString jobs = t.folder() + QStringLiteral("/Jobs.txt");
        QFile file(jobs);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(velmora::test::jobSlot({}) + velmora::test::jobSlot(bad));
        file.close();

        const Outcome imported = cli(t, {QStringLiteral("import-jobs"), jobs});
        QCOMPARE(imported.exitCode, 0);
        QVERIFY2(imported.out.contains(QStringLiteral("1 records added to jobs table.")),
                 qPrintable(imported.out));
        QVERIFY(imported.out.contains(QStringLiteral(".backup.mdb")));
        QVERIFY2(imported.err.contains(QStringLiteral("contains invalid vehicle type 4")),
                 qPrintable(imported.err));
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs")), 1);

        const Outcome missing =
            cli(t, {QStringLiteral("import-costs"), t.folder() + QStringLiteral("/none.txt")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains(QStringLiteral("Nothing from it has been kept.")));

        const QString accounts = t.folder() + QStringLiteral("/Accounts.txt");
        const Outcome exported = cli(t, {QStringLiteral("export-accounts"), accounts});
        QCOMPARE(exported.exitCode, 0);
        QVERIFY(exported.out.contains(QStringLiteral("0 records written to disk.")));

        const QString copy = t.folder() + QStringLiteral("/copy.mdb");
        QCOMPARE(cli(t, {QStringLiteral("backup"), QStringLiteral("--to"), copy}).exitCode, 0);
        QVERIFY(QFile::exists(copy));
        QCOMPARE(cli(t, {QStringLiteral("backup"), QStringLiteral("--to"), copy}).exitCode, 1);
    }
};

QTEST_GUILESS_MAIN(TestCliTransfer)
#include "test_cli_transfer.moc"
