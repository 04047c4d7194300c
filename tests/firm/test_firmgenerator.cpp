#include "data/audit.h"
#include "data/costline.h"
#include "data/dates.h"
#include "firm/firmgenerator.h"
#include "firmchecks.h"
#include "testdatabase.h"

#include <QSqlQuery>
#include <QTest>

#include <memory>

using velmora::firm::FirmOptions;
using velmora::test::TestDatabase;

namespace {

const QDate kToday(2025, 3, 14);

FirmOptions smallFirm(std::uint64_t seed = 11)
{
    FirmOptions options;
    options.accounts = 40;
    options.drivers = 25;
    options.jobs = 3000;
    options.seed = seed;
    options.today = kToday;
    return options;
}

void generate(TestDatabase& t, const FirmOptions& options = smallFirm())
{
    QString error;
    QVERIFY2(velmora::firm::generateFirm(t.db(), options, {}, &error), qPrintable(error));
}

QString day(int offset) { return velmora::storedDate(kToday.addDays(offset)); }

} // namespace

class TestFirmGenerator : public QObject
{
    Q_OBJECT

    // The firm that tests which only read share.
    std::unique_ptr<TestDatabase> m_firm;

private Q_SLOTS:
    void initTestCase()
    {
        m_firm = std::make_unique<TestDatabase>();
        generate(*m_firm);
    }

    void cleanupTestCase() { m_firm.reset(); }

    void countsMatchTheOptions()
    {
        TestDatabase& t = *m_firm;
        QCOMPARE(t.count(QStringLiteral("select count(*) from accounts")), 40);
        QCOMPARE(t.count(QStringLiteral("select count(*) from drivers")), 25);
        QCOMPARE(t.count(QStringLiteral("select count(*) from vehicles")), 25);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs")), 3000);
        QCOMPARE(t.count(QStringLiteral("select count(distinct job_id) from jobs")), 3000);
        QCOMPARE(t.count(QStringLiteral("select count(*) from addresses where address_type = 9")),
                 40);
        QCOMPARE(t.count(QStringLiteral("select count(*) from addresses where address_type = 8")),
                 25);
        QCOMPARE(t.count(QStringLiteral("select count(*) from company")), 1);
        QVERIFY(!t.value(QStringLiteral("select company_vat from company")).toString().isEmpty());
        // One to three receipt lines on nearly every completed job, payment lines on some.
        const qlonglong lines = t.count(QStringLiteral("select count(*) from Costs"));
        QVERIFY2(lines > 3000 * 15 / 10 && lines < 3000 * 26 / 10,
                 qPrintable(QString::number(lines)));
    }

    void everyReferenceResolves_data() { velmora::test::addOrphanQueries(); }

    void everyReferenceResolves()
    {
        QFETCH(QString, orphans);
        QCOMPARE(m_firm->count(orphans), 0);
    }

    void theSameSeedGivesTheSameFile()
    {
        TestDatabase first;
        TestDatabase second;
        TestDatabase other;
        generate(first);
        generate(second);
        generate(other, smallFirm(12));
        const QString dumped = first.dump();
        QCOMPARE(second.dump(), dumped);
        QVERIFY(other.dump() != dumped);
    }

    void aRarePassengerHasThreeJobs()
    {
        QCOMPARE(m_firm
                     ->value(QStringLiteral("select group_concat(job_id) from (select job_id "
                                            "from jobs where passenger_name = ? order by job_id)"),
                             {velmora::firm::rarePassenger()})
                     .toString(),
                 QStringLiteral("750,1500,2250"));
    }

    void outstandingJobsLieTodayAndAhead()
    {
        TestDatabase& t = *m_firm;
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where date < ? "
                                        "and record_status <> 'C'"),
                         {day(0)}),
                 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from jobs where date = ? "
                                       "and record_status <> 'C'"),
                        {day(0)}) > 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from jobs where date > ? "
                                       "and record_status <> 'C'"),
                        {day(0)}) > 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where date > ? "
                                        "and record_status = 'C'"),
                         {day(0)}),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where date > ?"), {day(3)}), 0);
        for (const char* status : {"I", "B", "P"})
            QVERIFY2(t.count(QStringLiteral("select count(*) from jobs where record_status = ?"),
                             {QString::fromLatin1(status)}) > 0,
                     status);
        const qlonglong board =
            t.count(QStringLiteral("select count(*) from jobs where record_status <> 'C'"));
        QVERIFY2(board >= 150 && board <= 500, qPrintable(QString::number(board)));
        // Outstanding jobs wait for their costs.
        QCOMPARE(t.count(QStringLiteral("select count(*) from Costs c join jobs j on "
                                        "j.job_prefix = c.job_prefix and j.job_id = c.jobnumber "
                                        "where j.record_status <> 'C'")),
                 0);
    }

    void jobsSpreadOverDaysAndHours()
    {
        TestDatabase t;
        generate(t);
        const qlonglong days = t.count(QStringLiteral("select count(distinct date) from jobs"));
        QVERIFY2(days >= 3000 / 220 && days <= 3000 / 120, qPrintable(QString::number(days)));
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where time < '06:00:00' "
                                        "or time > '23:55:00' or time_text <> substr(time, 1, 5)")),
                 0);
        QVERIFY(t.count(QStringLiteral("select count(distinct substr(time, 1, 2)) from jobs")) >=
                18);
        // Job numbers follow the pick-up days, and the counter carries on after them.
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs a join jobs b "
                                        "on b.job_id = a.job_id + 1 where b.date < a.date")),
                 0);
        t.exec(QStringLiteral("insert into jobs (job_prefix, date) values ('A', ?)"), {day(1)});
        QCOMPARE(t.count(QStringLiteral("select max(job_id) from jobs")), 3001);
    }

    void accountJobsAreMarkedAsSuch()
    {
        TestDatabase& t = *m_firm;
        const qlonglong onAccount = t.count(QStringLiteral("select count(*) from jobs j "
                                                           "join payment_types p on "
                                                           "p.paymenttypeid = j.payment_type "
                                                           "where p.paymentdescription = "
                                                           "'Account'"));
        QVERIFY2(onAccount > 3000 * 55 / 100 && onAccount < 3000 * 65 / 100,
                 qPrintable(QString::number(onAccount)));
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where account_no > 0 "
                                        "and invoiced in ('N', 'Y') and acc_ref <> '' "
                                        "and costed_code <> ''")),
                 onAccount);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where account_no = 0 "
                                        "and invoiced = ' ' and acc_ref is null")),
                 3000 - onAccount);
    }

    // Past months are invoiced and printed, each invoice adding up to its lines and each
    // line's job marked with it; this month's account jobs are still to invoice.
    void pastMonthsAreBilled()
    {
        TestDatabase& t = *m_firm;
        const QString thisMonth = velmora::storedDate(QDate(kToday.year(), kToday.month(), 1));
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where account_no > 0 and "
                                        "invoiced = 'N' and date < ? and exists (select 1 from "
                                        "Costs c where c.job_prefix = jobs.job_prefix and "
                                        "c.jobnumber = jobs.job_id and c.income_expence = 'I')"),
                         {thisMonth}),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where invoiced = 'Y' "
                                        "and date >= ?"),
                         {thisMonth}),
                 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from jobs where account_no > 0 and "
                                       "invoiced = 'N' and date < ?"),
                        {velmora::storedDate(kToday)}) > 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from invoice_header")) > 30);
        QCOMPARE(t.count(QStringLiteral("select count(*) from invoice_header h where "
                                        "printed <> 'C' or gross_value <> (select "
                                        "sum(line_cost_excl_vat) from invoice_line l where "
                                        "l.invoice_no = h.invoice_no) or net_value <> (select "
                                        "sum(line_cost_net) from invoice_line l "
                                        "where l.invoice_no = h.invoice_no)")),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from invoice_line l join jobs j on "
                                        "j.job_prefix = l.job_prefix and j.job_id = l.job_id "
                                        "where j.invoice_no = l.invoice_no and j.invoiced = 'Y'")),
                 t.count(QStringLiteral("select count(*) from invoice_line")));
        QCOMPARE(t.count(QStringLiteral("select invoice_number from invoice_numbers")),
                 t.count(QStringLiteral("select max(invoice_no) from invoice_header")));
        QCOMPARE(t.count(QStringLiteral("select sum(account_balance) from accounts")),
                 t.count(QStringLiteral("select sum(amount_received) from receipts")) -
                     t.count(QStringLiteral("select sum(net_value) from invoice_header")));
    }

    // The trail holds what the firm's desk did, each change on its own day and chained whole;
    // the runs record one summary each, not a row per job.
    void theTrailRecordsTheFirmsChanges()
    {
        TestDatabase& t = *m_firm;
        QString fault;
        QString error;
        QVERIFY2(velmora::checkAuditTrail(t.db(), &fault, &error), qPrintable(error));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const auto entries = [&t](const char* table) {
            return t.count(QStringLiteral("select count(*) from audit_trail where table_name = ? "
                                          "and before_value is null"),
                           {QString::fromLatin1(table)});
        };
        for (const char* table : {"jobs", "Costs", "receipts", "accounts", "drivers", "vehicles",
                                  "credit_notes", "operational_cost"})
            QCOMPARE(entries(table),
                     t.count(QStringLiteral("select count(*) from ") + QString::fromLatin1(table)));
        // A job's entry is its booking: on its day (later ones by this evening), and its lines
        // recorded with it.
        QCOMPARE(t.count(QStringLiteral("select count(*) from audit_trail a join jobs j on "
                                        "a.row_key = j.job_prefix || j.job_id where "
                                        "a.table_name = 'jobs' and substr(a.changed_at, 1, 10) "
                                        "<> min(j.date, ?)"),
                         {day(0)}),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from audit_trail where table_name = "
                                        "'Costs' and job is null")),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from audit_trail where table_name = "
                                        "'invoice_line'")),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from audit_trail where table_name = "
                                        "'invoice run'")),
                 t.count(QStringLiteral("select count(distinct date) from invoice_header")));
        QCOMPARE(t.count(QStringLiteral("select count(*) from audit_trail where changed_at > ? "
                                        "or changed_at < (select substr(min(date), 1, 8) || '01' "
                                        "from jobs)"),
                         {day(0) + QStringLiteral(" 18:00:00")}),
                 0);
    }

    void costLinesAddUp()
    {
        TestDatabase& t = *m_firm;
        QCOMPARE(t.count(QStringLiteral("select count(*) from Costs "
                                        "where net_cost <> gross_cost - discount_value + vat_value "
                                        "or (vat = 'N' and vat_value <> 0)")),
                 0);
        // Each job keeps at most one line of a type on each side, and one to three receipts.
        QCOMPARE(t.count(QStringLiteral("select count(*) from (select 1 from Costs group by "
                                        "job_prefix, jobnumber, costtype, income_expence "
                                        "having count(*) > 1)")),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from (select 1 from Costs "
                                        "group by job_prefix, jobnumber having "
                                        "sum(income_expence = 'I') not between 1 and 3)")),
                 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from (select 1 from Costs "
                                       "group by job_prefix, jobnumber having "
                                       "sum(income_expence = 'I') = 3 and "
                                       "sum(income_expence = 'E') = 3)")) > 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from Costs where income_expence = 'E'")) >
                0);
        // A discounted fare is worked out as the job screen works it out.
        QSqlQuery fare(t.db());
        QVERIFY(fare.exec(QStringLiteral("select gross_cost, discount, net_cost from Costs "
                                         "where costtype = 1 and discount > 0 "
                                         "order by rowid limit 1")) &&
                fare.next());
        QCOMPARE(velmora::costFigures(velmora::Money::fromStored(fare.value(0).toLongLong()),
                                      fare.value(1).toInt(), true)
                     .net.stored(),
                 fare.value(2).toLongLong());
    }

    void creditNotesMatchTheirLines()
    {
        TestDatabase t;
        FirmOptions options = smallFirm();
        options.jobs = 20000;
        generate(t, options);
        const qlonglong notes = t.count(QStringLiteral("select count(*) from credit_notes"));
        QVERIFY(notes > 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from credit_notes n join Costs c on "
                                        "c.job_prefix = n.job_prefix and c.jobnumber = n.job_no "
                                        "join receipt_types r on r.receipttypeid = c.costtype "
                                        "where r.paymenttype = 'Credit Note' "
                                        "and c.gross_cost = n.refund_amount_gross "
                                        "and c.net_cost = n.refund_amount_net "
                                        "and n.refund_amount_gross < 0 and n.processed = 'Y'")),
                 notes);
    }

    // Completed percentage jobs before this month are paid, one wage row each, those of
    // last month still to be printed; this month's wait for the next run.
    void percentageDriversArePaidMonthByMonth()
    {
        TestDatabase& t = *m_firm;
        const QString monthStart = velmora::storedDate(QDate(kToday.year(), kToday.month(), 1));
        const QString lastMonth =
            velmora::storedDate(QDate(kToday.year(), kToday.month(), 1).addMonths(-1));
        QCOMPARE(
            t.count(QStringLiteral("select count(*) from jobs where driver_percentage = 'Y' "
                                   "and record_status = 'C' and (calculated = 'Y') <> (date < ?)"),
                    {monthStart}),
            0);
        QCOMPARE(t.count(QStringLiteral(
                     "select count(*) from jobs j where calculated = 'Y' and "
                     "exists (select 1 from Costs c where c.job_prefix = j.job_prefix "
                     "and c.jobnumber = j.job_id and c.income_expence = 'I')")),
                 t.count(QStringLiteral("select count(*) from driver_wages")));
        QCOMPARE(t.count(QStringLiteral("select count(*) from driver_wages w join jobs j on "
                                        "j.job_prefix = w.job_prefix and j.job_id = w.job_id "
                                        "where (w.Reported = 'N') <> (j.date >= ?)"),
                         {lastMonth}),
                 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from operational_cost")) > 0);
    }

    void driversIncludePercentageAndBarredOnes()
    {
        TestDatabase& t = *m_firm;
        QVERIFY(t.count(QStringLiteral(
                    "select count(*) from drivers where driver_percentage > 0")) > 0);
        QVERIFY(t.count(QStringLiteral("select count(*) from drivers where barred = 1")) > 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from drivers where driver_percentage "
                                        "not between 0 and 99")),
                 0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs j join drivers d on "
                                        "d.driver_id = j.driver where (d.driver_percentage > 0) "
                                        "<> (j.driver_percentage = 'Y')")),
                 0);
        // A barred driver has driven nothing for a year.
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs j join drivers d on "
                                        "d.driver_id = j.driver where d.barred = 1 "
                                        "and j.date > ?"),
                         {day(-365)}),
                 0);
    }

    void indexesAreBuiltAgainAsTheSchemaMakesThem()
    {
        TestDatabase fresh;
        const QString indexes = QStringLiteral("select sql from sqlite_master where type = 'index' "
                                               "and sql is not null order by name");
        QCOMPARE(m_firm->rows(indexes), fresh.rows(indexes));
        QCOMPARE(m_firm->value(QStringLiteral("pragma integrity_check")).toString(),
                 QStringLiteral("ok"));
    }

    void refusesADatabaseThatHoldsAFirm()
    {
        TestDatabase t;
        generate(t);
        const QString before = t.dump();
        QString error;
        QVERIFY(!velmora::firm::generateFirm(t.db(), smallFirm(), {}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(t.dump(), before);
    }

    void reportsProgressToTheEnd()
    {
        TestDatabase t;
        QStringList stages;
        std::int64_t jobsDone = 0;
        const auto progress = [&](const char* stage, std::int64_t done, std::int64_t total) {
            if (stages.isEmpty() || stages.last() != QLatin1String(stage))
                stages << QString::fromLatin1(stage);
            QVERIFY(done <= total);
            if (QLatin1String(stage) == QLatin1String("jobs"))
                jobsDone = done;
        };
        QString error;
        QVERIFY2(velmora::firm::generateFirm(t.db(), smallFirm(), progress, &error),
                 qPrintable(error));
        QCOMPARE(stages, (QStringList{QStringLiteral("accounts"), QStringLiteral("drivers"),
                                      QStringLiteral("jobs"), QStringLiteral("indexes"),
                                      QStringLiteral("invoices"), QStringLiteral("driver pay"),
                                      QStringLiteral("payments")}));
        QCOMPARE(jobsDone, 3000);
    }
};

QTEST_GUILESS_MAIN(TestFirmGenerator)
#include "test_firmgenerator.moc"
