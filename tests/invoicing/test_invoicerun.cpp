// The invoice run: how each receipt line counts, and what a run writes over a small firm.

#include "invoicefirm.h"
#include "invoicing/invoicerun.h"
#include "testdatabase.h"

#include <QTest>

using velmora::InvoiceCost;
using velmora::InvoiceRunRange;
using velmora::InvoiceRunResult;
using velmora::InvoiceTotals;
using velmora::Money;
using velmora::test::InvoiceFirm;
using velmora::test::TestDatabase;

namespace {

Money m(std::int64_t units) { return Money::fromStored(units); }

InvoiceRunRange everyAccount()
{
    InvoiceRunRange range;
    range.startAccount = 1;
    range.endAccount = 1000;
    range.stamp = QDateTime(QDate(2026, 11, 30), QTime(17, 45, 0));
    return range;
}

} // namespace

class InvoiceRunTest : public QObject
{
    Q_OBJECT

private slots:
    void classifiesEachCostRow_data();
    void classifiesEachCostRow();
    void invoicesEachAccountOnItsOwnNumber();
    void carriesOnFromTheCounter();
    void reinvoicesAJobSavedAgain();
    void findsNothingOutsideTheRange();
    void failureLeavesTheFileAsItWas();
};

void InvoiceRunTest::classifiesEachCostRow_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<qint64>("discount"); // -1: null
    QTest::addColumn<qint64>("vat");      // -1: null
    QTest::addColumn<QString>("totals");  // gross|net|discount|vat|credit note

    QTest::newRow("income") << "Fare" << 20000LL << 35000LL << "1000000|1015000|20000|35000|0";
    QTest::newRow("income, negative vat and discount skipped")
        << "Fare" << -5LL << -7LL << "1000000|1015000|0|0|0";
    QTest::newRow("credit note") << "Credit Note" << 20000LL << 35000LL << "0|0|0|0|1015000";
    QTest::newRow("credit note compared with case")
        << "credit note" << 0LL << 0LL << "1000000|1015000|0|0|0";
    QTest::newRow("unknown type adds any value") << "" << -5LL << -7LL << "1000000|1015000|-5|-7|0";
    QTest::newRow("unknown type skips null") << "" << -1LL << -1LL << "1000000|1015000|0|0|0";
}

void InvoiceRunTest::classifiesEachCostRow()
{
    QFETCH(QString, type);
    QFETCH(qint64, discount);
    QFETCH(qint64, vat);
    QFETCH(QString, totals);
    const velmora::ReceiptTypeNames types = {{1, QStringLiteral("Fare")},
                                             {2, QStringLiteral("Credit Note")},
                                             {3, QStringLiteral("credit note")}};
    InvoiceCost cost;
    cost.costType = type.isEmpty() ? 99 : types.key(type);
    cost.gross = m(1000000);
    cost.net = m(1015000);
    if (discount != -1)
        cost.discount = m(discount);
    if (vat != -1)
        cost.vat = m(vat);
    InvoiceTotals job;
    velmora::addInvoiceCost(cost, types, &job);
    QCOMPARE(QStringLiteral("%1|%2|%3|%4|%5")
                 .arg(job.gross.stored())
                 .arg(job.net.stored())
                 .arg(job.discount.stored())
                 .arg(job.vat.stored())
                 .arg(job.creditNote.stored()),
             totals);
}

// Two accounts; account 1 has a job of two receipt lines and a payment line, and two jobs
// that share the number 3 under prefixes A and B; account 2 has a job with a credit note
// whose driver has no percentage. Jobs without an account, already invoiced or without
// receipt lines are left alone.
void InvoiceRunTest::invoicesEachAccountOnItsOwnNumber()
{
    TestDatabase t;
    InvoiceFirm firm(t);
    firm.addCompany();
    const auto fare = firm.addType(QStringLiteral("Fare"));
    const auto credit = firm.addType(QStringLiteral("Credit Note"));
    const auto acme = firm.addAccount(QStringLiteral("Acme"));
    const auto brill = firm.addAccount(QStringLiteral("Brill"));
    const auto paid = firm.addDriver(QStringLiteral("Pat"), 15);
    const auto unpaid = firm.addDriver(QStringLiteral("Una"), 0);

    firm.addJob(QStringLiteral("A"), 1, acme, paid, true);
    firm.addCost(QStringLiteral("A"), 1, fare, QStringLiteral("I"), 100000, 10000, 15750, 105750);
    firm.addCost(QStringLiteral("A"), 1, fare + 50, QStringLiteral("I"), 33333, 0, 0, 33333);
    firm.addCost(QStringLiteral("A"), 1, fare, QStringLiteral("E"), 40000, 0, 0, 40000);
    firm.addJob(QStringLiteral("A"), 3, acme);
    firm.addCost(QStringLiteral("A"), 3, fare, QStringLiteral("I"), 20000, 0, 0, 20000);
    firm.addJob(QStringLiteral("B"), 3, acme);
    firm.addCost(QStringLiteral("B"), 3, fare, QStringLiteral("I"), 30000, 0, 0, 30000);
    firm.addJob(QStringLiteral("A"), 4, brill, unpaid, true);
    firm.addCost(QStringLiteral("A"), 4, fare, QStringLiteral("I"), 50000, 0, 8750, 58750);
    firm.addCost(QStringLiteral("A"), 4, credit, QStringLiteral("I"), -12500, 0, 0, -12500);
    firm.addJob(QStringLiteral("A"), 5, 0);
    firm.addCost(QStringLiteral("A"), 5, fare, QStringLiteral("I"), 1, 0, 0, 1);
    firm.addJob(QStringLiteral("A"), 6, brill);
    firm.addCost(QStringLiteral("A"), 6, fare, QStringLiteral("E"), 1, 0, 0, 1);
    firm.addJob(QStringLiteral("A"), 7, brill);
    t.exec(QStringLiteral("update jobs set invoiced = 'Y', invoice_no = 99 where job_id = 7"));
    firm.addCost(QStringLiteral("A"), 7, fare, QStringLiteral("I"), 1, 0, 0, 1);

    InvoiceRunResult result;
    QString error;
    QVERIFY2(velmora::runInvoices(t.db(), everyAccount(), &result, &error), qPrintable(error));
    QCOMPARE(result.invoices, 2);
    QCOMPARE(result.firstInvoice, 0);
    QCOMPARE(result.lastInvoice, 1);
    QCOMPARE(result.lines, 4);
    QCOMPARE(result.totals.gross, m(233333));
    QCOMPARE(result.totals.discount, m(10000));
    QCOMPARE(result.totals.vat, m(24500));
    QCOMPARE(result.totals.net, m(247833));
    QCOMPARE(result.totals.creditNote, m(-12500));
    QCOMPARE(result.unpaidDrivers.size(), 1);
    QCOMPARE(velmora::unpaidDriverMessage(result.unpaidDrivers),
             QStringLiteral("Job 4 has the driver percentage set to yes but the driver does not "
                            "have a percentage figure recorded against them, please correct "
                            "manually after processing "));

    QCOMPARE(
        t.rows(QStringLiteral(
                   "select invoice_no, date, account_no, company_id, gross_value, discount_value, "
                   "vat_value, net_value, credit_note_value, discount_allowed, printed, "
                   "invoice_type, date_paid, amount_paid from invoice_header order by invoice_no"),
               {}, QStringLiteral("null")),
        (QStringList{"0|2026-11-30 17:45:00|1|7|183333|10000|15750|189083|0|0|N|S|null|0",
                     "1|2026-11-30 17:45:00|2|7|50000|0|8750|58750|-12500|0|N|S|null|0"}));
    QCOMPARE(t.rows(QStringLiteral("select invoice_no, job_prefix, job_id, details, "
                                   "line_cost_excl_vat, line_cost_vat, line_cost_discount, "
                                   "line_cost_net, credit_note_value, invoice_printed "
                                   "from invoice_line order by seq")),
             (QStringList{"0|A|1|Journey Cost|133333|15750|10000|139083|0|N",
                          "0|A|3|Journey Cost|20000|0|0|20000|0|N",
                          "0|B|3|Journey Cost|30000|0|0|30000|0|N",
                          "1|A|4|Journey Cost|50000|8750|0|58750|-12500|N"}));
    QCOMPARE(t.rows(QStringLiteral("select job_prefix, job_id, invoiced, invoice_no from jobs "
                                   "order by job_id, job_prefix"),
                    {}, QStringLiteral("null")),
             (QStringList{"A|1|Y|0", "A|3|Y|0", "B|3|Y|0", "A|4|Y|1", "A|5|N|null", "A|6|N|null",
                          "A|7|Y|99"}));
    QCOMPARE(t.rows(QStringLiteral("select account_id, account_balance from accounts")),
             (QStringList{"1|-189083", "2|-58750"}));
    // 15 per cent of 13.3333 is 1.999995, held to the nearest ten-thousandth.
    QCOMPARE(t.rows(QStringLiteral("select driver_id, job_prefix, job_id, job_net_cost, "
                                   "driver_percentage, driver_payment, Reported "
                                   "from driver_wages")),
             (QStringList{QStringLiteral("%1|A|1|133333|15|20000|N").arg(paid)}));
    QCOMPARE(t.rows(QStringLiteral("select invoice_number from invoice_numbers")),
             QStringList{"1"});

    QVERIFY(velmora::runInvoices(t.db(), everyAccount(), &result, &error));
    QCOMPARE(result.invoices, 0);
    QCOMPARE(t.count(QStringLiteral("select count(*) from invoice_header")), 2);
}

void InvoiceRunTest::carriesOnFromTheCounter()
{
    TestDatabase t;
    InvoiceFirm firm(t);
    const auto fare = firm.addType(QStringLiteral("Fare"));
    const auto acme = firm.addAccount(QStringLiteral("Acme"));
    t.exec(QStringLiteral("insert into invoice_numbers (invoice_number) values (40000)"));
    firm.addJob(QStringLiteral("A"), 70000, acme);
    firm.addCost(QStringLiteral("A"), 70000, fare, QStringLiteral("I"), 10000, 0, 0, 10000);

    InvoiceRunResult result;
    QString error;
    QVERIFY2(velmora::runInvoices(t.db(), everyAccount(), &result, &error), qPrintable(error));
    QCOMPARE(result.firstInvoice, 40001);
    QCOMPARE(t.rows(QStringLiteral("select invoice_number from invoice_numbers")),
             QStringList{"40001"});
    QCOMPARE(t.count(QStringLiteral("select company_id is null from invoice_header")), 1);
    QVERIFY(!result.counterBehind);

    // A counter behind the numbers issued continues after the highest and says so.
    t.exec(QStringLiteral("update invoice_numbers set invoice_number = 7"));
    firm.addJob(QStringLiteral("A"), 70001, acme);
    firm.addCost(QStringLiteral("A"), 70001, fare, QStringLiteral("I"), 10000, 0, 0, 10000);
    QVERIFY2(velmora::runInvoices(t.db(), everyAccount(), &result, &error), qPrintable(error));
    QCOMPARE(result.firstInvoice, 40002);
    QVERIFY(result.counterBehind);
    QCOMPARE(velmora::counterBehindMessage(*result.counterBehind, result.firstInvoice),
             QStringLiteral("The invoice counter stood at 7, behind invoice 40001 already "
                            "issued: the invoices were numbered on from 40002."));
}

// A job whose invoiced flag is set back is invoiced again, but its driver, paid by the first
// run, is not paid again.
void InvoiceRunTest::reinvoicesAJobSavedAgain()
{
    TestDatabase t;
    InvoiceFirm firm(t);
    const auto fare = firm.addType(QStringLiteral("Fare"));
    const auto acme = firm.addAccount(QStringLiteral("Acme"));
    const auto driver = firm.addDriver(QStringLiteral("Pat"), 50);
    firm.addJob(QStringLiteral("A"), 1, acme, driver, true);
    firm.addCost(QStringLiteral("A"), 1, fare, QStringLiteral("I"), 10000, 0, 0, 10000);
    InvoiceRunResult result;
    QString error;
    QVERIFY(velmora::runInvoices(t.db(), everyAccount(), &result, &error));
    t.exec(QStringLiteral("update jobs set invoiced = 'N'"));
    t.exec(QStringLiteral("update Costs set gross_cost = 30000, net_cost = 30000"));
    QVERIFY(velmora::runInvoices(t.db(), everyAccount(), &result, &error));
    QCOMPARE(result.firstInvoice, 1);
    QCOMPARE(t.rows(QStringLiteral("select job_net_cost, driver_payment from driver_wages")),
             QStringList{"10000|5000"});
    QCOMPARE(t.rows(QStringLiteral("select calculated from jobs")), QStringList{"Y"});
    QCOMPARE(t.rows(QStringLiteral("select account_balance from accounts")), QStringList{"-40000"});
}

void InvoiceRunTest::findsNothingOutsideTheRange()
{
    TestDatabase t;
    InvoiceFirm firm(t);
    const auto fare = firm.addType(QStringLiteral("Fare"));
    const auto acme = firm.addAccount(QStringLiteral("Acme"));
    const auto brill = firm.addAccount(QStringLiteral("Brill"));
    firm.addJob(QStringLiteral("A"), 1, acme);
    firm.addCost(QStringLiteral("A"), 1, fare, QStringLiteral("I"), 10000, 0, 0, 10000);
    firm.addJob(QStringLiteral("A"), 2, brill);
    firm.addCost(QStringLiteral("A"), 2, fare, QStringLiteral("I"), 10000, 0, 0, 10000);
    const QString before = t.dump();

    InvoiceRunRange range = everyAccount();
    range.startAccount = brill;
    range.endAccount = acme;
    InvoiceRunResult result;
    QString error;
    QVERIFY(velmora::runInvoices(t.db(), range, &result, &error));
    QCOMPARE(result.invoices, 0);
    QCOMPARE(t.dump(), before);

    range.startAccount = range.endAccount = brill;
    QVERIFY(velmora::runInvoices(t.db(), range, &result, &error));
    QCOMPARE(t.rows(QStringLiteral("select job_id from jobs where invoiced = 'Y'")),
             QStringList{"2"});
}

// A statement refused part-way (the second account's line) undoes everything the run wrote.
void InvoiceRunTest::failureLeavesTheFileAsItWas()
{
    TestDatabase t;
    InvoiceFirm firm(t);
    const auto fare = firm.addType(QStringLiteral("Fare"));
    const auto driver = firm.addDriver(QStringLiteral("Pat"), 10);
    for (const auto account :
         {firm.addAccount(QStringLiteral("Acme")), firm.addAccount(QStringLiteral("Brill"))}) {
        firm.addJob(QStringLiteral("A"), account, account, driver, true);
        firm.addCost(QStringLiteral("A"), account, fare, QStringLiteral("I"), 10000, 0, 0, 10000);
    }
    t.exec(QStringLiteral("insert into invoice_numbers (invoice_number) values (5)"));
    t.exec(QStringLiteral("create trigger refuse before insert on invoice_line when new.job_id = 2 "
                          "begin select raise(abort, 'line refused'); end"));
    const QString before = t.dump();

    InvoiceRunResult result;
    QString error;
    QVERIFY(!velmora::runInvoices(t.db(), everyAccount(), &result, &error));
    QVERIFY2(error.contains(QStringLiteral("line refused")), qPrintable(error));
    QCOMPARE(result.invoices, 0);
    QCOMPARE(t.dump(), before);
}

QTEST_GUILESS_MAIN(InvoiceRunTest)
#include "test_invoicerun.moc"
