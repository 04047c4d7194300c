// A month of the demonstration firm run as an office runs it: jobs booked and costed on the
// job screen, another office's work imported, invoices run and printed, payments taken,
// statements and driver payments printed, profit reported and accounts exported. Every job
// must be billed once, every percentage job paid once, every statement must add up, and the
// database must pass its checks after every step, on an SQLite file and on a server.
#include "app/jobstatus.h"
#include "data/audit.h"
#include "data/auditquery.h"
#include "data/dates.h"
#include "data/integrity.h"
#include "enginedatabase.h"
#include "exchange/transfer.h"
#include "exchange/transferrecords.h"
#include "firm/demofirm.h"
#include "invoicing/invoiceprinting.h"
#include "invoicing/invoicerun.h"
#include "invoicing/ledger.h"
#include "invoicing/statements.h"
#include "jobs/jobkey.h"
#include "jobscreen.h"
#include "payroll/driverpay.h"
#include "payroll/profitability.h"
#include "platform/scriptedreportengine.h"
#include "postgresserver.h"
#include "reports/renderer.h"

#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace velmora;
using velmora::test::TestDatabase;

namespace {

const QDate kToday = QDate::currentDate();
const QDate kMonthStart(kToday.year(), kToday.month(), 1);

// The faults check finds, after `step`.
QString faultsAfter(TestDatabase& t, const char* step)
{
    QStringList faults;
    QString error;
    if (!checkIntegrity(t.db(), &faults, &error))
        return QStringLiteral("%1: check could not run: %2").arg(QLatin1String(step), error);
    return faults.isEmpty() ? QString()
                            : QLatin1String(step) + QStringLiteral(": ") + faults.join(u'/');
}

#define CHECKED(step) QCOMPARE(faultsAfter(t, step), QString())

// Books a job on the job screen with one receipt line of `fare` pounds, and returns its
// number.
qint64 book(JobScreen& s, const QString& customer, const QString& driver, bool onAccount,
            const QString& fare)
{
    s.press(QStringLiteral("cmdclearall"));
    s.fill(QStringLiteral("txtcustomer"), customer);
    s.fill(QStringLiteral("txtdate"), kToday.toString(QStringLiteral("dd/MM/yyyy")));
    s.fill(QStringLiteral("txttime"), QStringLiteral("0930"));
    s.fill(QStringLiteral("txtdriver"), driver);
    s.fill(QStringLiteral("txtpickup"), QStringLiteral("Station"));
    s.fill(QStringLiteral("txtdrop"), QStringLiteral("Airport"));
    s.fill(QStringLiteral("txtpaymtype"),
           onAccount ? QStringLiteral("Account") : QStringLiteral("Cash"));
    if (onAccount) {
        QComboBox* accounts = s.combo(QStringLiteral("txtaccname1"));
        accounts->setCurrentIndex(1);
        emit accounts->activated(1);
        s.fill(QStringLiteral("txtacc_ref"), QStringLiteral("PO-1"));
    }
    s.press(QStringLiteral("Command1"));
    const qint64 number = s.text(QStringLiteral("txtjobno")).toLongLong();
    s.find<QTabWidget>(QString())->setCurrentIndex(1);
    s.fill(QStringLiteral("txttype1"), QStringLiteral("Fare"));
    s.fill(QStringLiteral("txtcost1"), fare);
    s.fill(QStringLiteral("txtvat1"), QStringLiteral("N"));
    s.press(QStringLiteral("cmdreceiptsave"));
    s.find<QTabWidget>(QString())->setCurrentIndex(0);
    return number;
}

// A transfer file of one record per slot.
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

// Prints the invoices not yet printed, answering the printing dialogue as the office does:
// invoices yes, job sheets and summary no, flags set.
void printInvoices(TestDatabase& t, ScriptedDialogs& dialogs, ScriptedReportEngine& engine)
{
    for (const char* answer : {"Y", "Y", "N", "N", "Y"})
        dialogs.inputs.enqueue(QString::fromLatin1(answer));
    InvoicePrinting(t.db(), dialogs, engine, nullptr).printInvoices();
}

// Takes a payment of all that `invoice` owes, as the ledger does.
bool pay(TestDatabase& t, qint64 invoice, QString* error)
{
    const auto due = invoiceDue(t.db(), invoice, error);
    if (!due)
        return false;
    const qint64 account =
        t.value(QStringLiteral("select account_no from invoice_header where invoice_no = ?"),
                {invoice})
            .toLongLong();
    return savePayment(t.db(),
                       {account, *due, due->payable - due->received,
                        storedDate(kToday) + QStringLiteral(" 10:00:00")},
                       error)
        .has_value();
}

} // namespace

class TestFirmMonth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aMonthThatReconciles_data() { test::EngineDatabase::addEngineRows(); }
    void aMonthThatReconciles()
    {
        TestDatabase file;
        QString error;
        QVERIFY2(firm::addDemoFirm(file.db(), kToday, &error), qPrintable(error));
        VELMORA_FIRM_ON_THE_ROWS_ENGINE(t, file, m_server);
        CHECKED("the demo firm");
        InvoiceRunRange everyAccount;
        everyAccount.startAccount = 1;
        everyAccount.endAccount = 1000000;

        // Last month's invoice run, printed.
        ScriptedDialogs dialogs;
        ScriptedReportEngine engine;
        InvoiceRunRange lastMonth = everyAccount;
        lastMonth.stamp = QDateTime(kMonthStart.addDays(-1), QTime(18, 0));
        InvoiceRunResult result;
        QVERIFY2(runInvoices(t.db(), lastMonth, &result, &error), qPrintable(error));
        QVERIFY(result.invoices > 0);
        const qint64 lastMonthsInvoice = result.firstInvoice;
        printInvoices(t, dialogs, engine);
        CHECKED("last month's invoices");

        // Two jobs booked and costed on the job screen: an account job for a driver paid a
        // percentage (Raj Mistry, 30 per cent) and a cash job, both completed.
        JobScreen s(t);
        QVERIFY(s.open());
        const qint64 accountJob = book(s, QStringLiteral("Ms Month"), QStringLiteral("Raj Mistry"),
                                       true, QStringLiteral("50"));
        const qint64 cashJob = book(s, QStringLiteral("Mr Cash"), QStringLiteral("Marek Nowak"),
                                    false, QStringLiteral("20"));
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        QCOMPARE(t.rows(QStringLiteral("select driver_percentage from jobs where job_id in (?, ?) "
                                       "order by job_id"),
                        {accountJob, cashJob}),
                 (QStringList{"Y", "Y"}));
        for (const qint64 job : {accountJob, cashJob})
            QVERIFY(setJobStatus(t.db(), {QStringLiteral("A"), job}, QStringLiteral("C"), false,
                                 &error));
        CHECKED("booking");

        // Another office's account job and its fare, padded as its files are.
        QTemporaryDir dir;
        exchange::JobTransferRecord job;
        job.prefix = QStringLiteral("T");
        job.number = 90001;
        job.date = exchange::toOleDate(QDateTime(kToday, QTime(8, 0), QTimeZone::utc()));
        job.time = QStringLiteral("08:00:00");
        job.passenger = QStringLiteral("Mr A. Smith 1");
        job.from = QStringLiteral("Harbour");
        job.to = QStringLiteral("Hospital");
        job.account = 1;
        job.driver = 2; // Raj Mistry
        job.invoiced = QStringLiteral("N");
        job.status = QStringLiteral("C");
        job.driverPercentage = QStringLiteral("N");
        job.calculated = QStringLiteral("N");
        exchange::CostTransferRecord cost;
        cost.prefix = QStringLiteral("T");
        cost.number = 90001;
        cost.costType = t.value(QStringLiteral("select receipttypeid from receipt_types "
                                               "where paymenttype = 'Fare'"))
                            .toInt();
        cost.incomeExpense = QStringLiteral("I");
        cost.description = QStringLiteral("Fare");
        cost.gross = cost.net = 400000;
        cost.vat = QStringLiteral("N");
        qsizetype unmappable = 0;
        const QString jobs =
            writeFile(dir, QStringLiteral("Jobs.txt"), exchange::writeJobRecord(job, &unmappable));
        const QString costs = writeFile(dir, QStringLiteral("Costs.txt"),
                                        exchange::writeCostRecord(cost, &unmappable));
        QVERIFY(exchange::import_job_transfer(t.db(), jobs).completed);
        QVERIFY(exchange::import_cost_transfer(t.db(), costs).completed);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs where passenger_name = ? "
                                        "and invoiced = 'N' and driver_percentage = 'Y'"),
                         {QStringLiteral("Mr A. Smith 1")}),
                 1);
        CHECKED("the import");

        // This month's run takes the booked and the imported account jobs, once each, and
        // pays their percentage driver; it is printed.
        QVERIFY2(runInvoices(t.db(), everyAccount, &result, &error), qPrintable(error));
        QVERIFY(result.unpaidDrivers.isEmpty());
        const qint64 thisMonthsInvoice =
            t.value(QStringLiteral("select invoice_no from jobs where job_id = ?"), {accountJob})
                .toLongLong();
        QVERIFY(thisMonthsInvoice >= result.firstInvoice);
        QCOMPARE(t.count(QStringLiteral("select count(*) from invoice_line where job_id in (?, ?)"),
                         {accountJob, 90001}),
                 2);
        printInvoices(t, dialogs, engine);
        CHECKED("this month's invoices");

        // Payments on this month's invoice and on last month's.
        QVERIFY2(pay(t, thisMonthsInvoice, &error), qPrintable(error));
        QVERIFY2(pay(t, lastMonthsInvoice, &error), qPrintable(error));
        CHECKED("the payments");

        // The invoiced job's reference corrected: it stays invoiced and says where.
        s.screen.selectJob({QStringLiteral("A"), accountJob});
        QCOMPARE(s.find<QLabel>(QStringLiteral("lblinvoice"))->text(),
                 QStringLiteral("Invoice %1").arg(thisMonthsInvoice));
        s.fill(QStringLiteral("txtacc_ref"), QStringLiteral("PO-2"));
        s.press(QStringLiteral("cmdupd"));
        QCOMPARE(t.value(QStringLiteral("select invoiced || acc_ref from jobs where job_id = ?"),
                         {accountJob}),
                 QVariant(QStringLiteral("YPO-2")));
        QVERIFY2(runInvoices(t.db(), everyAccount, &result, &error), qPrintable(error));
        QCOMPARE(result.invoices, 0);
        CHECKED("the correction");

        // Statements since the first of the month, for every account: each adds up to what
        // the account owes.
        const QStringList names = t.rows(
            QStringLiteral("select min(account_name) || '|' || max(account_name) from accounts"));
        const QStringList ends = names.first().split(u'|');
        const auto statements = buildStatements(t.db(), {ends[0], ends[1], kMonthStart}, &error);
        QVERIFY2(statements && *statements > 0, qPrintable(error));
        QCOMPARE(
            t.count(QStringLiteral(
                "select count(*) from (select p.account_id from account_print p "
                "join accounts a on a.account_id = p.account_id group by p.account_id "
                "having max(p.brought_forward) + sum(coalesce(p.gross_cost, 0)) - "
                "sum(coalesce(p.amount_received, 0)) <> -max(a.account_balance)) as unbalanced")),
            0);
        reports::ReportError failure;
        const auto definition = reports::loadDefinition(
            QStringLiteral(VELMORA_REPORT_SOURCES "/accounts.rpt"), &failure);
        QVERIFY2(definition, qPrintable(failure.text));
        QVERIFY2(reports::renderReport(*definition, t.db(), kToday, &failure),
                 qPrintable(failure.text));
        CHECKED("the statements");

        // Driver pay: the cash job is paid; the account job, paid by the invoice run, is
        // not paid again; the slips are printed; a second run finds nothing to pay.
        const auto drivers = percentageDrivers(t.db(), &error);
        QVERIFY(drivers && !drivers->isEmpty());
        const DriverRange everyone{drivers->front().id, drivers->back().id, {}};
        const auto paid = calculateDriverPay(t.db(), everyone, &error);
        QVERIFY2(paid, qPrintable(error));
        QVERIFY(markWagesReported(t.db(), &error));
        const auto again = calculateDriverPay(t.db(), everyone, &error);
        QVERIFY2(again, qPrintable(error));
        QCOMPARE(again->jobsFound, 0);
        QCOMPARE(t.rows(QStringLiteral("select job_id || '|' || job_net_cost || '|' || "
                                       "driver_payment || '|' || Reported from driver_wages "
                                       "where job_id in (?, ?, ?) order by job_id"),
                        {accountJob, cashJob, 90001}),
                 (QStringList{QStringLiteral("%1|500000|150000|Y").arg(accountJob),
                              QStringLiteral("%1|200000|50000|Y").arg(cashJob),
                              QStringLiteral("90001|400000|120000|Y")}));
        CHECKED("driver pay");

        // Profit and the accounts' export read what the month wrote.
        QVERIFY2(runProfitability(t.db(), kMonthStart, kToday, &error), qPrintable(error));
        QVERIFY(
            exchange::export_account_transfer(t.db(), dir.filePath(QStringLiteral("A.txt")), false)
                .completed);
        CHECKED("profit and export");

        // Every job billed once, every percentage job paid once.
        QCOMPARE(
            t.count(QStringLiteral("select count(*) from (select 1 from invoice_line "
                                   "group by job_prefix, job_id having count(*) > 1) as twice")),
            0);
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs j where j.calculated = 'Y' "
                                        "and j.driver_percentage = 'Y' and (select count(*) from "
                                        "driver_wages w where w.job_prefix = j.job_prefix and "
                                        "w.job_id = j.job_id) > 1")),
                 0);
    }

    // A fare corrected and a payment line given and taken away on the job screen at Ann's
    // desk: the trail of the job names her for each, with the values before.
    void theTrailOfAJobNamesWhoChangedIt()
    {
        TestDatabase t;
        QString error;
        QVERIFY2(firm::addDemoFirm(t.db(), kToday, &error), qPrintable(error));
        JobScreen s(t);
        QVERIFY(s.open());
        const qint64 job = book(s, QStringLiteral("Mr Trail"), QStringLiteral("Marek Nowak"), false,
                                QStringLiteral("20"));
        QVERIFY(setAuditOperator(t.db(), QStringLiteral("Ann"), &error));
        s.find<QTabWidget>(QString())->setCurrentIndex(1);
        s.fill(QStringLiteral("txtcost1"), QStringLiteral("25"));
        s.press(QStringLiteral("cmdreceiptsave"));
        s.find<QTabWidget>(QString())->setCurrentIndex(2);
        s.fill(QStringLiteral("txtpayment1"), QStringLiteral("Parking"));
        s.fill(QStringLiteral("txtpaycost1"), QStringLiteral("3"));
        s.press(QStringLiteral("cmdpaysave"));
        QTest::mouseDClick(s.edit(QStringLiteral("txtpaydesc1")), Qt::LeftButton);
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        QCOMPARE(t.count(QStringLiteral("select count(*) from Costs where jobnumber = ?"), {job}),
                 1);

        AuditFilter filter;
        filter.key = QStringLiteral("A%1").arg(job);
        const AuditQuery query = auditQuery(filter);
        QStringList entries;
        for (const QString& row : t.rows(query.sql, query.values)) {
            const QStringList f = row.split(u'|');
            const auto value = [](const QString& json, const char* column) {
                return QJsonDocument::fromJson(json.toUtf8())[QLatin1String(column)].toVariant();
            };
            if (f.at(3) == QLatin1String("Costs"))
                entries << QStringLiteral("%1 %2 %3>%4")
                               .arg(f.at(2), f.at(5).isEmpty()   ? QStringLiteral("insert")
                                             : f.at(6).isEmpty() ? QStringLiteral("delete")
                                                                 : QStringLiteral("update"))
                               .arg(value(f.at(5), "gross_cost").toLongLong())
                               .arg(value(f.at(6), "gross_cost").toLongLong());
        }
        // The booking was saved before Ann sat down: under the program's own name.
        QCOMPARE(entries,
                 (QStringList{
                     QCoreApplication::applicationName() + QStringLiteral(" insert 0>200000"),
                     QStringLiteral("Ann update 200000>250000"),
                     QStringLiteral("Ann insert 0>30000"), QStringLiteral("Ann delete 30000>0")}));
    }

    // check names each disagreement between what the runs wrote.
    void checkNamesEachDisagreement_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("found");
        QTest::newRow("a balance") << "update accounts set account_balance = account_balance - 1 "
                                      "where account_id = (select min(account_no) from "
                                      "invoice_header)"
                                   << "its payments less its invoices make";
        QTest::newRow("an amount paid")
            << "update invoice_header set amount_paid = 10000 where invoice_no = "
               "(select min(invoice_no) from invoice_header)"
            << "its amount paid is 1.00, but its payments add up to 0.00";
        QTest::newRow("a job invoiced on no line")
            << "update jobs set invoiced = 'Y' where rowid = (select min(rowid) from jobs "
               "where invoiced = 'N')"
            << "1 jobs marked invoiced that are on no invoice line";
        QTest::newRow("a job on a line, not invoiced")
            << "update jobs set invoiced = 'N' where rowid = (select min(j.rowid) from jobs j "
               "join invoice_line l on l.job_prefix = j.job_prefix and l.job_id = j.job_id)"
            << "1 jobs on an invoice line that are not marked invoiced";
        QTest::newRow("two wage rows")
            << "insert into driver_wages (driver_id, job_prefix, job_id) select driver_id + 1, "
               "job_prefix, job_id from driver_wages limit 1"
            << "1 jobs with more than one driver wage row";
        QTest::newRow("the invoice counter") << "update invoice_numbers set invoice_number = -1"
                                             << "the invoice number counter";
    }
    void checkNamesEachDisagreement()
    {
        QFETCH(QString, fault);
        QFETCH(QString, found);
        TestDatabase t;
        QString error;
        QVERIFY2(firm::addDemoFirm(t.db(), kToday, &error), qPrintable(error));
        InvoiceRunRange everyAccount;
        everyAccount.startAccount = 1;
        everyAccount.endAccount = 1000000;
        InvoiceRunResult result;
        QVERIFY2(runInvoices(t.db(), everyAccount, &result, &error), qPrintable(error));
        QCOMPARE(faultsAfter(t, "the run"), QString());
        QVERIFY(t.count(QStringLiteral("select count(*) from driver_wages")) > 0);
        t.exec(fault);
        QVERIFY2(faultsAfter(t, "the fault").contains(found), qPrintable(faultsAfter(t, "")));
    }

private:
    test::PostgresServer m_server;
};

QTEST_MAIN(TestFirmMonth)
#include "test_firmmonth.moc"
