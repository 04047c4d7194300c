// Printing what invoice runs produced: the print dialogue, the previews, View / Reprint,
// the print settings and what the invoice reports select.

#include "invoicefirm.h"
#include "invoicing/frminvoice_prints.h"
#include "invoicing/invoiceprinting.h"
#include "invoicing/invoicerun.h"
#include "platform/scriptedreportengine.h"
#include "reports/renderer.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QRegularExpression>

using velmora::InvoicePrinting;
using velmora::ScriptedDialogs;
using velmora::ScriptedReportEngine;
using velmora::test::child;
using velmora::test::InvoiceFirm;
using velmora::test::TestDatabase;

namespace {

// A firm whose first run made invoice 0 (printed since) and second run invoices 1 and 2.
struct Firm
{
    Firm()
    {
        f.addCompany();
        const auto fare = f.addType(QStringLiteral("Fare"));
        for (const QString& name : {QStringLiteral("Acme"), QStringLiteral("Brill")}) {
            const auto account = f.addAccount(name);
            f.addJob(QStringLiteral("A"), account, account);
            f.addCost(QStringLiteral("A"), account, fare, QStringLiteral("I"), 100000, 0, 17500,
                      117500);
        }
        f.addJob(QStringLiteral("A"), 3, 1);
        f.addCost(QStringLiteral("A"), 3, fare, QStringLiteral("I"), 50000, 0, 0, 50000);
        t.exec(QStringLiteral("update jobs set invoiced = 'H' where job_id <> 3"));
        invoice();
        t.exec(QStringLiteral("update invoice_header set printed = 'C'"));
        t.exec(QStringLiteral("update invoice_line set invoice_printed = 'C'"));
        t.exec(QStringLiteral("update jobs set invoiced = 'N' where invoiced = 'H'"));
        invoice();
    }
    void invoice()
    {
        velmora::InvoiceRunRange range;
        range.startAccount = 1;
        range.endAccount = 2;
        velmora::InvoiceRunResult result;
        QString error;
        if (!velmora::runInvoices(t.db(), range, &result, &error))
            qFatal("run: %s", qPrintable(error));
    }
    // Answers the dialogue's questions with `answers` in turn, runs `action` and gives the
    // messages it showed.
    QStringList answer(const QStringList& answers, void (InvoicePrinting::*action)())
    {
        for (const QString& text : answers)
            dialogs.inputs.enqueue(text);
        dialogs.clear();
        reports.started.clear();
        (printing.*action)();
        QStringList messages;
        for (const ScriptedDialogs::Shown& box : std::as_const(dialogs.shown)) {
            if (box.kind != ScriptedDialogs::Kind::Input)
                messages << box.text;
        }
        return messages;
    }
    // The outcomes of the next report starts (a number 0 succeeds).
    void reportOutcomes(std::initializer_list<velmora::reports::ReportError> outcomes)
    {
        reports.failures.clear();
        for (const auto& outcome : outcomes)
            reports.failures.enqueue(outcome);
    }
    QStringList flags()
    {
        return t.rows(QStringLiteral("select invoice_no, printed from invoice_header")) +
               t.rows(QStringLiteral("select seq, invoice_printed from invoice_line"));
    }
    // The invoice numbers invoice.rpt shows now.
    QStringList invoicesShown()
    {
        velmora::reports::ReportError error;
        const auto report = velmora::reports::renderReportFile(
            QStringLiteral(VELMORA_REPORT_SOURCES "/invoice.rpt"), t.db(), &error);
        if (!report)
            qFatal("invoice.rpt: %s", qPrintable(error.text));
        QStringList numbers;
        static const QRegularExpression number(QStringLiteral("Invoice number <b>(\\d+)</b>"));
        for (const auto& match : number.globalMatch(report->html))
            numbers << match.captured(1);
        return numbers;
    }

    TestDatabase t;
    InvoiceFirm f{t};
    ScriptedDialogs dialogs;
    ScriptedReportEngine reports;
    InvoicePrinting printing{t.db(), dialogs, reports, nullptr};
};

const QStringList kPending = {"0|C", "1|N", "2|N", "1|C", "2|N", "3|N"};

} // namespace

class InvoicePrintingTest : public QObject
{
    Q_OBJECT

private slots:
    void answeringNoChangesNothing();
    void printsTheCopiesAndClosesTheFlags();
    void endsWhenPrintingWasNotProduced();
    void namesTheStepThatFailedWithTheSummary();
    void previewsStopWhereTheyShould();
    void reprintsTheNumberAnswered_data();
    void reprintsTheNumberAnswered();
    void invoiceReportFollowsRunAndReprint();
    void everyReportRenders();
    void printSettingsTakeWholeNumbers();
};

void InvoicePrintingTest::answeringNoChangesNothing()
{
    Firm f;
    const QString before = f.t.dump();
    QCOMPARE(f.answer({"N", "N", "N", "N"}, &InvoicePrinting::printInvoices), QStringList());
    QVERIFY(f.reports.started.isEmpty());
    QCOMPARE(f.dialogs.busyCount, 0);
    QCOMPARE(f.t.dump(), before);
    // Cancelling a question ends the dialogue the same way.
    f.dialogs.inputs.enqueue(std::nullopt);
    f.printing.printInvoices();
    QCOMPARE(f.t.dump(), before);
}

void InvoicePrintingTest::printsTheCopiesAndClosesTheFlags()
{
    Firm f;
    f.t.exec(QStringLiteral("update invoice_prints set invoice_copies = 2, "
                            "driver_sheet_copies = 0"));
    f.t.exec(QStringLiteral("insert into invoice_temp (invoice_no) values (0)"));
    QCOMPARE(f.flags(), kPending);
    QCOMPARE(f.answer({"y", "Y", "Y", "Y", "Y", "Y", "Y"}, &InvoicePrinting::printInvoices),
             (QStringList{"Response must = Y or N", "Invoice Printing Completed"}));
    QCOMPARE(f.reports.fileNames(), (QStringList{"invoice.rpt", "invoice.rpt", "summary.rpt"}));
    QCOMPARE(f.reports.started.first().destination, velmora::ReportEngine::Printer);
    QCOMPARE(f.flags(), (QStringList{"0|C", "1|C", "2|C", "1|C", "2|C", "3|C"}));
    QCOMPARE(f.t.count(QStringLiteral("select count(*) from invoice_temp")), 0);
    QCOMPARE(f.dialogs.busyDepth, 0);

    // Without a settings row each report runs once.
    f.t.exec(QStringLiteral("delete from invoice_prints"));
    f.answer({"Y", "Y", "Y", "Y", "N", "N"}, &InvoicePrinting::printInvoices);
    QCOMPARE(f.reports.fileNames(), (QStringList{"invoice.rpt", "log.rpt"}));
}

void InvoicePrintingTest::endsWhenPrintingWasNotProduced()
{
    Firm f;
    QCOMPARE(f.answer({"Y", "N"}, &InvoicePrinting::printInvoices),
             QStringList{"An error has occurred please contact support"});
    QCOMPARE(f.answer({"N", "Y", "N"}, &InvoicePrinting::printInvoices),
             QStringList{"An error has occurred please contact support"});
    QCOMPARE(f.reports.fileNames(), QStringList{"log.rpt"});
    QCOMPARE(f.flags(), kPending);
    QCOMPARE(f.dialogs.busyDepth, 0);
}

void InvoicePrintingTest::namesTheStepThatFailedWithTheSummary()
{
    Firm f;
    f.reportOutcomes({{}, {}, {505, QStringLiteral("no table")}});
    QCOMPARE(f.answer({"Y", "Y", "Y", "Y", "Y"}, &InvoicePrinting::printInvoices),
             (QStringList{"505 no table", "Error printing job sheets"}));
    f.reportOutcomes({{}, {505, QStringLiteral("no table")}});
    QCOMPARE(f.answer({"Y", "Y", "N", "Y"}, &InvoicePrinting::printInvoices),
             (QStringList{"505 no table", "Error printing invoices"}));
    QCOMPARE(f.flags(), kPending);
    QCOMPARE(f.dialogs.busyDepth, 0);
}

void InvoicePrintingTest::previewsStopWhereTheyShould()
{
    Firm f;
    f.reportOutcomes({{501, QStringLiteral("gone")}, {501, QStringLiteral("gone")}});
    f.answer({}, &InvoicePrinting::previewInvoiceData);
    QCOMPARE(f.reports.fileNames(), (QStringList{"invdata.rpt", "log3.rpt"}));
    f.reportOutcomes({{501, QStringLiteral("gone")}});
    f.answer({}, &InvoicePrinting::previewInvoices);
    QCOMPARE(f.reports.fileNames(), (QStringList{"invoice.rpt", "summary.rpt"}));
    QCOMPARE(f.reports.started.first().destination, velmora::ReportEngine::Preview);
}

void InvoicePrintingTest::reprintsTheNumberAnswered_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("stored"); // empty: refused
    QTest::newRow("negative") << "-1"
                              << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("zero") << "0"
                          << "0";
    QTest::newRow("not a number") << "abc"
                                  << "0";
    QTest::newRow("leading number") << " 12x"
                                    << "12";
    QTest::newRow("beyond 16 bits") << "4000000000"
                                    << "4000000000";
}

void InvoicePrintingTest::reprintsTheNumberAnswered()
{
    QFETCH(QString, answer);
    QFETCH(QString, stored);
    Firm f;
    f.t.exec(QStringLiteral("insert into invoice_temp (invoice_no) values (7)"));
    const QStringList shown = f.answer({answer}, &InvoicePrinting::viewReprintInvoice);
    if (stored.isEmpty()) {
        QCOMPARE(shown, QStringList{"A Invoice Number must be supplied"});
        QVERIFY(f.reports.started.isEmpty());
        stored = QStringLiteral("7");
    } else {
        QCOMPARE(shown, QStringList());
        QCOMPARE(f.reports.fileNames(), (QStringList{"invoice.rpt", "log.rpt"}));
    }
    QCOMPARE(f.t.rows(QStringLiteral("select invoice_no from invoice_temp")), QStringList{stored});
}

void InvoicePrintingTest::invoiceReportFollowsRunAndReprint()
{
    Firm f;
    QCOMPARE(f.invoicesShown(), (QStringList{"1", "2"}));
    f.answer({"0"}, &InvoicePrinting::viewReprintInvoice);
    QCOMPARE(f.invoicesShown(), QStringList{"0"});
    f.answer({"N", "N", "N", "N"}, &InvoicePrinting::printInvoices);
    QCOMPARE(f.invoicesShown(), QStringList{"0"});
    f.answer({"Y", "Y", "N", "N", "N"}, &InvoicePrinting::printInvoices);
    QCOMPARE(f.invoicesShown(), (QStringList{"1", "2"}));
}

void InvoicePrintingTest::everyReportRenders()
{
    Firm f;
    for (const char* name :
         {"invoice.rpt", "log.rpt", "summary.rpt", "invdata.rpt", "log3.rpt", "summary2.rpt"}) {
        velmora::reports::ReportError error;
        const auto report = velmora::reports::renderReportFile(
            QStringLiteral(VELMORA_REPORT_SOURCES "/") + QLatin1String(name), f.t.db(), &error);
        QVERIFY2(report, qPrintable(QStringLiteral("%1: %2").arg(name, error.text)));
        QVERIFY2(report->html.contains(QStringLiteral("10.00")), name);
    }
}

void InvoicePrintingTest::printSettingsTakeWholeNumbers()
{
    TestDatabase t;
    t.exec(QStringLiteral("delete from invoice_prints"));
    ScriptedDialogs dialogs;
    velmora::frminvoice_prints window(t.db(), dialogs);
    window.show();
    auto* invoices = child<QLineEdit>(window, QStringLiteral("txtinvoice"));
    auto* sheets = child<QLineEdit>(window, QStringLiteral("txtdriver"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Set Invoice Print Parameters"));
    QCOMPARE(invoices->toolTip(), QStringLiteral("Enter number ofinvoice copies required"));
    QCOMPARE(velmora::test::texts({invoices, sheets}), QStringLiteral("1|1"));
    QAction* save = child<QAction>(window, QStringLiteral("mnusave"));
    for (const QString& wrong : {QStringLiteral("abc"), QStringLiteral("-1"), QString()}) {
        sheets->setText(wrong);
        QCOMPARE(velmora::test::shownBy(dialogs, save),
                 QStringList{"Copies must be a whole number from 0 to 99"});
    }
    QCOMPARE(t.count(QStringLiteral("select count(*) from invoice_prints")), 0);
    invoices->setText(QStringLiteral("3"));
    sheets->setText(QStringLiteral("0"));
    QCOMPARE(velmora::test::shownBy(dialogs, save), QStringList());
    QCOMPARE(
        t.rows(QStringLiteral("select invoice_copies, driver_sheet_copies from invoice_prints")),
        QStringList{"3|0"});
    invoices->setText(QStringLiteral("99"));
    save->trigger();
    QCOMPARE(
        t.rows(QStringLiteral("select invoice_copies, driver_sheet_copies from invoice_prints")),
        QStringList{"99|0"});
}

QTEST_MAIN(InvoicePrintingTest)
#include "test_invoiceprinting.moc"
