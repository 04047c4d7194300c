#include "data/dates.h"
#include "payroll/profitability.h"
#include "payrollfirm.h"

#include <QTest>

using velmora::test::PayrollFirm;
using velmora::test::TestDatabase;

namespace {

const QDate kStart(2026, 3, 1);
const QDate kEnd(2026, 3, 31);

// Runs over the period and returns the table as "name|jobs|receipts|costs|profit|from|to"
// in the order written; the returned lines must agree with it.
QStringList profit(TestDatabase& t, QDate start = kStart, QDate end = kEnd)
{
    QString error;
    const auto lines = velmora::runProfitability(t.db(), start, end, &error);
    if (!lines)
        qFatal("%s", qPrintable(error));
    const QStringList table = t.rows(
        QStringLiteral("select company_name, job_count, total_receipts, total_costs, "
                       "profit_loss, start_date, end_date from profitability order by rowid"));
    QStringList returned;
    for (const velmora::ProfitLine& line : *lines)
        returned << QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                        .arg(line.name)
                        .arg(line.jobs)
                        .arg(line.receipts.stored())
                        .arg(line.costs.stored())
                        .arg(line.profit.stored())
                        .arg(velmora::storedDate(start), velmora::storedDate(end));
    if (returned != table)
        qFatal("returned lines differ from the table");
    return table;
}

QString line(const QString& name, int jobs, qint64 receipts, qint64 costs)
{
    return QStringLiteral("%1|%2|%3|%4|%5|2026-03-01|2026-03-31")
        .arg(name)
        .arg(jobs)
        .arg(receipts * 100)
        .arg(costs * 100)
        .arg((receipts - costs) * 100);
}

} // namespace

class TestProfitability : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // An account with two jobs of income 100 and 50 and expenses 30; another with expenses
    // alone; a job without an account; operational costs of 200 in the period. Amounts in
    // pence.
    void linesOfThePeriod()
    {
        TestDatabase t;
        PayrollFirm f(t);
        const int driver = f.driver(QStringLiteral("Adams"), 0);
        const int acme = f.account(QStringLiteral("Acme"));
        const int idle = f.account(QStringLiteral("Idle Ltd"));
        const int first = f.job(driver, QDate(2026, 3, 1), acme);
        const int second = f.job(driver, QDate(2026, 3, 31), acme, "A", "C", "N", "23:55:00");
        f.income(first, 10000);
        f.expense(second, 3000);
        f.income(second, 5000); // its lines not adjacent to each other
        f.expense(f.job(driver, QDate(2026, 3, 10), idle), 700);
        const int walkIn = f.job(driver, QDate(2026, 3, 15));
        f.income(walkIn, 2500);
        f.expense(walkIn, 400);
        f.income(f.job(driver, QDate(2026, 4, 1), acme), 99900); // after the period
        // Another job's lines under the same number do not count.
        f.cost(first, QStringLiteral("I"), 77700, 77700, QStringLiteral("B"));
        t.exec(QStringLiteral("insert into operational_cost (opcost_Date, opcost_gross) "
                              "values ('2026-03-31', 1500000), ('2026-03-01', 500000), "
                              "('2026-04-01', 990000)"));

        QCOMPARE(profit(t), (QStringList{line("Acme", 2, 15000, 3000), line("Idle Ltd", 0, 0, 700),
                                         line("Others", 1, 2500, 400),
                                         QStringLiteral("Less Operational Costs|0|0|-2000000|"
                                                        "-2000000|2026-03-01|2026-03-31")}));
    }

    // Nothing without an account, no operational costs: neither line; a second run
    // replaces the first.
    void noOthersOrOperationalLineWhenThereIsNone()
    {
        TestDatabase t;
        PayrollFirm f(t);
        const int acme = f.account(QStringLiteral("Acme"));
        f.income(f.job(1, QDate(2026, 3, 5), acme), 1000);
        f.expense(f.job(1, QDate(2026, 3, 5)), 300); // without an account, no income
        profit(t);
        QCOMPARE(profit(t), QStringList{line("Acme", 1, 1000, 0)});
        QVERIFY(profit(t, QDate(2020, 1, 1), QDate(2020, 1, 31)).isEmpty());
    }

    // A job naming an account that is not on file takes no part.
    void jobOfAMissingAccountIsLeftOut()
    {
        TestDatabase t;
        PayrollFirm f(t);
        f.income(f.job(1, QDate(2026, 3, 5), 42), 1000);
        QVERIFY(profit(t).isEmpty());
    }

    // Sums that run past 64 bits stop the run naming the job at fault.
    void sumsTooLargeNameTheJob()
    {
        TestDatabase t;
        PayrollFirm f(t);
        const int acme = f.account(QStringLiteral("Acme"));
        f.income(f.job(1, QDate(2026, 3, 4), acme), 100);
        const int huge = f.job(1, QDate(2026, 3, 5), acme);
        f.income(huge, 46116860184273879);
        f.income(huge, 46116860184273879);
        QString error;
        QVERIFY(!velmora::runProfitability(t.db(), kStart, kEnd, &error));
        QVERIFY2(error.contains(QStringLiteral("job A%1").arg(huge)), qPrintable(error));
        QCOMPARE(t.count(QStringLiteral("select count(*) from profitability")), 0);
    }
};

QTEST_GUILESS_MAIN(TestProfitability)
#include "test_profitability.moc"
