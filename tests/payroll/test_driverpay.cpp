#include "payroll/driverpay.h"
#include "payrollfirm.h"

#include <QTest>

using velmora::DriverPayRun;
using velmora::DriverRange;
using velmora::Money;
using velmora::test::PayrollFirm;
using velmora::test::TestDatabase;

namespace {

// Runs the calculation over the drivers the two list texts name; a failure ends the test.
DriverPayRun pay(TestDatabase& t, const QString& start = {}, const QString& end = {})
{
    QString error;
    const auto drivers = velmora::percentageDrivers(t.db(), &error);
    if (!drivers)
        qFatal("%s", qPrintable(error));
    const auto range = velmora::driverRange(*drivers, start, end);
    if (!range)
        qFatal("no percentage driver");
    const auto run = velmora::calculateDriverPay(t.db(), *range, &error);
    if (!run)
        qFatal("%s", qPrintable(error));
    return *run;
}

QStringList wages(TestDatabase& t)
{
    return t.rows(QStringLiteral("select driver_id, job_prefix, job_id, job_net_cost, "
                                 "driver_percentage, driver_payment, Reported from driver_wages "
                                 "order by job_prefix, job_id"));
}

QString calculated(TestDatabase& t, int job, const QString& prefix = QStringLiteral("A"))
{
    return t
        .value(QStringLiteral("select calculated from jobs where job_prefix = ? and job_id = ?"),
               {prefix, job})
        .toString();
}

} // namespace

class TestDriverPay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Drivers of 10 and 20 per cent with jobs of 50.00 and 30.00, a job of two income lines
    // (12.50 and 7.50) and one whose share falls on a ten-thousandth; a second run finds
    // nothing.
    void paysEachJobOnceExactly()
    {
        TestDatabase t;
        PayrollFirm f(t);
        const int ten = f.driver(QStringLiteral("Adams"), 10);
        const int twenty = f.driver(QStringLiteral("Brown"), 20);
        const int fifteen = f.driver(QStringLiteral("Clark"), 15);
        const int a = f.job(ten), b = f.job(twenty), c = f.job(ten), d = f.job(fifteen);
        f.income(a, 5000);
        f.income(b, 3000);
        f.income(c, 1250);
        f.income(c, 750);
        f.income(d, 3333);
        f.expense(d, 1000);

        const DriverPayRun run = pay(t);
        QCOMPARE(run.jobsFound, 4);
        QCOMPARE(run.jobsPaid, 4);
        QCOMPARE(run.total, Money::fromPence(5000 + 3000 + 2000 + 3333));
        QCOMPARE(wages(t),
                 (QStringList{QStringLiteral("%1|A|%2|500000|10|50000|N").arg(ten).arg(a),
                              QStringLiteral("%1|A|%2|300000|20|60000|N").arg(twenty).arg(b),
                              QStringLiteral("%1|A|%2|200000|10|20000|N").arg(ten).arg(c),
                              QStringLiteral("%1|A|%2|333300|15|49995|N").arg(fifteen).arg(d)}));
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where calculated = 'Y'")), 4);
        QVERIFY(velmora::unpaidJobsMessages(run).isEmpty());

        const DriverPayRun again = pay(t);
        QCOMPARE(again.jobsFound, 0);
        QCOMPARE(wages(t).size(), 4);
    }

    // Only completed, flagged, uncalculated jobs of the range are taken; an end name not
    // among the percentage drivers ends the range at the first of them.
    void takesTheJobsOfTheRange()
    {
        TestDatabase t;
        PayrollFirm f(t);
        const int first = f.driver(QStringLiteral("Adams"), 10);
        const int second = f.driver(QStringLiteral("Brown"), 20);
        const int third = f.driver(QStringLiteral("Clark"), 30);
        const int paid = f.job(first);
        const int others[] = {f.job(second), f.job(third),
                              f.job(first, QDate(2026, 3, 2), 0, "A", "P"),
                              f.job(first, QDate(2026, 3, 2), 0, "A", "C", "N")};
        for (int job : {paid, others[0], others[1], others[2], others[3]})
            f.income(job, 1000);

        QCOMPARE(pay(t, {}, QStringLiteral("Nobody")).jobsFound, 1);
        QCOMPARE(calculated(t, paid), QStringLiteral("Y"));
        for (int job : others)
            QCOMPARE(calculated(t, job), QStringLiteral("N"));
        QCOMPARE(pay(t, QStringLiteral("brown"), QStringLiteral("Brown")).jobsPaid, 1);
        QCOMPARE(calculated(t, others[1]), QStringLiteral("N"));
    }

    // The driver's unreported row of a job is rewritten; a reported row, the driver's own
    // or another driver's, is never touched, and the driver gets a row of their own beside
    // another's; a row of another prefix with the same number stays.
    void writesEachDriversRowOnce_data()
    {
        QTest::addColumn<bool>("sameDriver");
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("own unreported row")
            << true << "N" << QStringList{"D|A|J|400000|10|40000|N"};
        QTest::newRow("own reported row") << true << "Y" << QStringList{"D|A|J|1|1|1|Y"};
        QTest::newRow("another's reported row")
            << false << "Y" << QStringList{"9|A|J|1|1|1|Y", "D|A|J|400000|10|40000|N"};
    }
    void writesEachDriversRowOnce()
    {
        QFETCH(bool, sameDriver);
        QFETCH(QString, reported);
        QFETCH(QStringList, expected);
        TestDatabase t;
        PayrollFirm f(t);
        const int driver = f.driver(QStringLiteral("Adams"), 10);
        const int job = f.job(driver);
        f.income(job, 4000);
        t.exec(QStringLiteral("insert into driver_wages (driver_id, job_prefix, job_id, "
                              "job_net_cost, driver_percentage, driver_payment, Reported) "
                              "values (?, 'A', ?, 1, 1, 1, ?)"),
               {sameDriver ? driver : 9, job, reported});
        t.exec(QStringLiteral("insert into driver_wages (driver_id, job_prefix, job_id, "
                              "job_net_cost, Reported) values (9, 'B', ?, 7, 'Y')"),
               {job});
        pay(t);
        expected.append(QStringLiteral("9|B|J|7|0|0|Y"));
        for (QString& row : expected)
            row.replace(QStringLiteral("|J|"), QStringLiteral("|%1|").arg(job))
                .replace(QStringLiteral("D|"), QStringLiteral("%1|").arg(driver));
        QStringList found = wages(t);
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
        QCOMPARE(calculated(t, job), QStringLiteral("Y"));
    }

    // Income lines of another job with the same number do not count; a job without income
    // is named and marked calculated; a job whose driver has no percentage is named, gets
    // no row and waits for a later run.
    void namesTheJobsItCannotPay()
    {
        TestDatabase t;
        PayrollFirm f(t);
        const int driver = f.driver(QStringLiteral("Adams"), 10);
        const int unpaid = f.driver(QStringLiteral("Brown"), 0);
        f.driver(QStringLiteral("Clark"), 20); // the range runs over Brown
        const int bare = f.job(driver);
        f.cost(bare, QStringLiteral("I"), 5000, 5000, QStringLiteral("B"));
        const int waiting = f.job(unpaid);
        f.income(waiting, 2000);

        const DriverPayRun run = pay(t);
        QCOMPARE(run.jobsFound, 2);
        QCOMPARE(run.jobsPaid, 0);
        QCOMPARE(run.total, Money());
        QCOMPARE(velmora::unpaidJobsMessages(run),
                 (QStringList{QStringLiteral("Job %1 has no costs recorded against it").arg(bare),
                              QStringLiteral("Job %1 has the driver percentage set to yes but "
                                             "the driver does not have a percentage figure "
                                             "recorded against them, please correct manually "
                                             "after processing ")
                                  .arg(waiting)}));
        QVERIFY(wages(t).isEmpty());
        QCOMPARE(calculated(t, bare), QStringLiteral("Y"));
        QCOMPARE(calculated(t, waiting), QStringLiteral("N"));

        t.exec(QStringLiteral("update drivers set driver_percentage = 25 where driver_id = ?"),
               {unpaid});
        QCOMPARE(pay(t).total, Money::fromPence(2000));
        QCOMPARE(calculated(t, waiting), QStringLiteral("Y"));
    }

    // A failure part-way leaves no row written and no job marked.
    void failureUndoesTheWholeRun()
    {
        TestDatabase t;
        PayrollFirm f(t);
        const int driver = f.driver(QStringLiteral("Adams"), 10);
        const int first = f.job(driver), second = f.job(driver);
        f.income(first, 1000);
        f.income(second, 1000);
        t.exec(QStringLiteral("create trigger refuse before insert on driver_wages "
                              "when new.job_id = %1 begin select raise(abort, 'disk full'); end")
                   .arg(second));
        QString error;
        const DriverRange range{driver, driver, {}};
        QVERIFY(!velmora::calculateDriverPay(t.db(), range, &error));
        QVERIFY2(error.contains(QLatin1String("disk full")), qPrintable(error));
        QVERIFY(wages(t).isEmpty());
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where calculated = 'Y'")), 0);
    }

    // Income lines that add up past 64 bits stop the run, naming their job.
    void sumsTooLargeNameTheJob()
    {
        TestDatabase t;
        PayrollFirm f(t);
        const int driver = f.driver(QStringLiteral("Adams"), 10);
        f.income(f.job(driver), 100);
        const int huge = f.job(driver);
        f.income(huge, 46116860184273879);
        f.income(huge, 46116860184273879);
        f.income(huge, 1);
        QString error;
        QVERIFY(!velmora::calculateDriverPay(t.db(), {driver, driver, {}}, &error));
        QVERIFY2(error.contains(QStringLiteral("job A%1 ").arg(huge)), qPrintable(error));
        QVERIFY(wages(t).isEmpty());
    }

    // Printing marks every unreported row, the invoice run's included.
    void printingMarksEveryUnreportedRow()
    {
        TestDatabase t;
        for (const char* reported : {"N", "N", "Y"})
            t.exec(QStringLiteral("insert into driver_wages (driver_id, job_id, Reported) "
                                  "values (1, 1, ?)"),
                   {QString::fromLatin1(reported)});
        QString error;
        QCOMPARE(velmora::markWagesReported(t.db(), &error), std::optional<qint64>(2));
        QCOMPARE(t.count(QStringLiteral("select count(*) from driver_wages where Reported = 'Y'")),
                 3);
    }
};

QTEST_GUILESS_MAIN(TestDriverPay)
#include "test_driverpay.moc"
