#include "cliprocess.h"
#include "exchange/transfer.h"
#include "testdatabase.h"
#include "transferbytes.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

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

    void refusesFilesThatCannotBeImported_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        for (const char* command : {"import-jobs", "import-costs"}) {
            const QString name = QString::fromLatin1(command);
            QTest::addRow("%s of /dev/zero", command)
                << name << QStringLiteral("zero") << QStringLiteral("not an ordinary file");
            QTest::addRow("%s of a pipe", command)
                << name << QStringLiteral("pipe") << QStringLiteral("not an ordinary file");
            QTest::addRow("%s of a folder", command)
                << name << QStringLiteral("folder") << QStringLiteral("not an ordinary file");
            QTest::addRow("%s of an oversized file", command)
                << name << QStringLiteral("oversized") << QStringLiteral("more than the");
            QTest::addRow("%s of a missing file", command)
                << name << QStringLiteral("missing") << QStringLiteral("No such file");
        }
    }

    // Refused before any copy is made, and never waiting on a pipe without a writer.
    void refusesFilesThatCannotBeImported()
    {
        QFETCH(QString, command);
        QFETCH(QString, kind);
        QFETCH(QString, says);
        TestDatabase t;
        QString path = QDir(t.folder()).filePath(QStringLiteral("transfer.txt"));
        if (kind == QLatin1String("zero")) {
            path = QStringLiteral("/dev/zero");
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == QLatin1String("oversized")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) &&
                    file.resize(velmora::exchange::kLargestTransferFile + 1));
        }
        const Outcome outcome = cli(t, {command, path});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(says), qPrintable(outcome.err));
        QVERIFY(outcome.err.contains(path));
        QCOMPARE(QDir(t.folder()).entryList({QStringLiteral("*.backup*")}), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCliTransfer)
#include "test_cli_transfer.moc"
