// The account statement run: the rows it puts into account_print, its screen, and the
// statement report printed from them.

#include "invoicerows.h"
#include "invoicing/frmaccounts_print.h"
#include "invoicing/statements.h"
#include "mail/keystore.h"
#include "platform/scriptedreportengine.h"
#include "reports/renderer.h"
#include "screenhelpers.h"

#include <QPushButton>
#include <QRegularExpression>

using namespace velmora;
using namespace velmora::test;

namespace {

// Ashdown owes 40.00: invoice 1 (before the start day, 50.00) and invoice 2 (on it,
// 100.00) with payments of 40.00 before the start day and 60.00 after it, and 10.00 after
// the start day against invoice 1. Brightwater has invoice 3 (30.00) since the start day;
// Crowther only an older invoice.
struct Firm
{
    Firm()
    {
        ashdown = addAccount(t, QStringLiteral("Ashdown"), -4000);
        brightwater = addAccount(t, QStringLiteral("Brightwater"), -3000);
        crowther = addAccount(t, QStringLiteral("Crowther"), -1000);
        addInvoice(t, 1, ashdown, QStringLiteral("2026-10-15 18:00:00"), 4000, 1000, 5000);
        addInvoice(t, 2, ashdown, QStringLiteral("2026-11-01 09:00:00"), 8000, 2000, 10000);
        addInvoice(t, 3, brightwater, QStringLiteral("2026-11-20 18:00:00"), 3000, 0, 3000);
        addInvoice(t, 4, crowther, QStringLiteral("2026-09-01 18:00:00"), 1000, 0, 1000);
        addReceipt(t, ashdown, 2, 4000, QStringLiteral("2026-10-31"));
        addReceipt(t, ashdown, 2, 6000, QStringLiteral("2026-11-05"));
        addReceipt(t, ashdown, 1, 1000, QStringLiteral("2026-11-03"));
    }

    QStringList printRows()
    {
        return t.rows(QStringLiteral("select account_id, invoice_no, date, net_cost / 100, "
                                     "vat_cost / 100, gross_cost / 100, account_balance / 100, "
                                     "date_received, amount_received / 100, "
                                     "brought_forward / 100 from account_print "
                                     "order by account_id, invoice_no, date"),
                      {}, QStringLiteral("-"));
    }

    TestDatabase t;
    qint64 ashdown = 0, brightwater = 0, crowther = 0;
};

// Every payment since the start day, whichever invoice it pays; what each account owed on
// the start day on its first row.
const QStringList kSinceFirstNovember = {
    "1|1|2026-11-03|0|0|0|-|2026-11-03|1000|-",
    "1|2|2026-11-01 09:00:00|8000|2000|10000|-4000|-|-|1000",
    "1|2|2026-11-05|0|0|0|-|2026-11-05|6000|-",
    "2|3|2026-11-20 18:00:00|3000|0|3000|-3000|-|-|0",
};

} // namespace

class TestStatements : public QObject
{
    Q_OBJECT

private slots:
    void rowsForInvoicesAndPaymentsSinceTheStartDay()
    {
        Firm f;
        f.t.exec(QStringLiteral("insert into account_print (account_id) values (77)"));
        QCOMPARE(buildStatements(f.t.db(), {"Ashdown", "crowther", {2026, 11, 1}}, nullptr),
                 std::optional<qint64>(2));
        QCOMPARE(f.printRows(), kSinceFirstNovember);
        // Reversed, and run again: the same rows, once.
        QCOMPARE(buildStatements(f.t.db(), {"Crowther", "Ashdown", {2026, 11, 1}}, nullptr),
                 std::optional<qint64>(2));
        QCOMPARE(f.printRows(), kSinceFirstNovember);
        QString error;
        QCOMPARE(buildStatements(f.t.db(), {"Brightwater", "Brightwater", {2026, 11, 21}}, &error),
                 std::optional<qint64>(0));
        QCOMPARE(f.printRows(), QStringList());
        // The range runs by name: an account added later whose name lies between is in it,
        // whatever its number; one whose name lies outside is not.
        const qint64 baker = addAccount(f.t, QStringLiteral("Baker"));
        const qint64 zenith = addAccount(f.t, QStringLiteral("Zenith"));
        addInvoice(f.t, 5, baker, QStringLiteral("2026-11-10 18:00:00"), 500, 0, 500);
        addInvoice(f.t, 6, zenith, QStringLiteral("2026-11-10 18:00:00"), 500, 0, 500);
        QCOMPARE(buildStatements(f.t.db(), {"Ashdown", "Brightwater", {2026, 11, 1}}, nullptr),
                 std::optional<qint64>(3));
    }

    void theStatementEndsAtWhatEachAccountOwes()
    {
        Firm f;
        QVERIFY(buildStatements(f.t.db(), {"Ashdown", "Crowther", {2026, 11, 1}}, nullptr));
        reports::ReportError error;
        const auto definition =
            reports::loadDefinition(QStringLiteral(VELMORA_REPORT_SOURCES "/accounts.rpt"), &error);
        QVERIFY2(definition, qPrintable(error.text));
        const auto report = reports::renderReport(*definition, f.t.db(), {2026, 12, 6}, &error);
        QVERIFY2(report, qPrintable(error.text));
        QString text = report->html;
        text.remove(QRegularExpression(QStringLiteral("<[^>]*>"))).replace(u'\n', u' ');
        text = text.simplified();
        // Ashdown: 10.00 owed before (invoice 1's 50.00 less the 40.00 paid before the start
        // day), invoice 2 of 100.00, 10.00 and 60.00 paid: 40.00 now, its balance.
        QVERIFY2(text.contains(QStringLiteral("Balance brought forward 10.00")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("01/11/2026 2 Invoice 100.00 110.00")));
        QVERIFY(text.contains(QStringLiteral("03/11/2026 1 Payment received 10.00 100.00")));
        QVERIFY(text.contains(QStringLiteral("05/11/2026 2 Payment received 60.00 40.00")));
        QVERIFY(text.contains(QStringLiteral("Balance now owed 100.00 70.00 40.00")));
        QVERIFY(text.contains(QStringLiteral("Balance brought forward 0.00")));
        QVERIFY(text.contains(QStringLiteral("Balance now owed 30.00 0.00 30.00")));
        QVERIFY(!text.contains(QStringLiteral("Crowther")));
        QCOMPARE(report->html.count(QStringLiteral("page-break")), 1);
    }

    // Each unpaid part lands in the column of its age on the day printed: up to 30 days,
    // 31 to 60, 61 to 90, over 90.
    void agedDebtBucketsOnTheirBoundaryDays()
    {
        TestDatabase t;
        const qint64 account = addAccount(t, QStringLiteral("Ashdown"));
        const QDate today(2026, 12, 6);
        const int ages[] = {0, 30, 31, 60, 61, 90, 91};
        for (const int age : ages)
            addInvoice(t, 100 + age, account,
                       today.addDays(-age).toString(Qt::ISODate) + QStringLiteral(" 18:00:00"),
                       1000, 0, 1000 + age * 100);
        addReceipt(t, account, 190, 5000, QStringLiteral("2026-10-01"));
        t.exec(QStringLiteral("update invoice_header set amount_paid = 500000 "
                              "where invoice_no = 190"));
        reports::ReportError error;
        const auto definition =
            reports::loadDefinition(QStringLiteral(VELMORA_REPORT_SOURCES "/ageddebt.rpt"), &error);
        QVERIFY2(definition, qPrintable(error.text));
        const auto report = reports::renderReport(*definition, t.db(), today, &error);
        QVERIFY2(report, qPrintable(error.text));
        // The cells of the row of each invoice: number, date, the four ages, total.
        const auto cells = [&](const QString& invoice) {
            static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"),
                                                QRegularExpression::DotMatchesEverythingOption);
            static const QRegularExpression cell(QStringLiteral("<td[^>]*>(.*?)</td>"),
                                                 QRegularExpression::DotMatchesEverythingOption);
            for (const auto& found : row.globalMatch(report->html)) {
                QStringList texts;
                for (const auto& each : cell.globalMatch(found.captured(1)))
                    texts << each.captured(1).trimmed();
                if (texts.value(0) == invoice)
                    return texts.mid(2).join(u'|');
            }
            return QString();
        };
        QCOMPARE(cells("100"), QStringLiteral("10.00||||10.00"));
        QCOMPARE(cells("130"), QStringLiteral("40.00||||40.00"));
        QCOMPARE(cells("131"), QStringLiteral("|41.00|||41.00"));
        QCOMPARE(cells("160"), QStringLiteral("|70.00|||70.00"));
        QCOMPARE(cells("161"), QStringLiteral("||71.00||71.00"));
        QCOMPARE(cells("190"), QStringLiteral("||50.00||50.00"));
        QCOMPARE(cells("191"), QStringLiteral("|||101.00|101.00"));
    }

    void theScreenChecksThenPrints()
    {
        Firm f;
        ScriptedDialogs dialogs;
        ScriptedReportEngine engine;
        ScriptedKeyStore keys;
        frmaccounts_print screen(f.t.db(), dialogs, engine, keys);
        screen.show();
        auto* start = child<QComboBox>(screen, QStringLiteral("txtstart_account"));
        auto* end = child<QComboBox>(screen, QStringLiteral("txtend_account"));
        auto* since = child<QLineEdit>(screen, QStringLiteral("txtstart_date"));
        auto* go = child<QPushButton>(screen, QStringLiteral("cmdcreate_account"));
        const auto pressGo = [&] {
            dialogs.clear();
            go->click();
            return dialogs.texts();
        };
        QCOMPARE(items(start), (QStringList{"Ashdown", "Brightwater", "Crowther"}));
        QCOMPARE(pressGo(), QStringList{"A start date must be supplied "});
        since->setText(QStringLiteral("01/11/2026"));
        QCOMPARE(pressGo(), QStringList{"A start account must be supplied "});
        QVERIFY(pick(end, QStringLiteral("Ashdown")));
        start->setEditText(QStringLiteral("Nobody"));
        QCOMPARE(pressGo(), QStringList{"Account Not Found "});
        QVERIFY(pick(start, QStringLiteral("Crowther")));
        since->setText(QStringLiteral("31/11/2026"));
        QCOMPARE(pressGo(), QStringList{"The start date must be a date, such as " +
                                        QDate::currentDate().toString("dd/MM/yyyy")});
        QCOMPARE(engine.started.size(), 0);

        since->setText(QStringLiteral("1/11/2026"));
        QCOMPARE(pressGo().join(u'|'), QString());
        QCOMPARE(engine.fileNames(), QStringList{"accounts.rpt"});
        QCOMPARE(engine.started.first().destination, ReportEngine::Printer);
        QCOMPARE(f.printRows(), kSinceFirstNovember);
        QCOMPARE(dialogs.busyDepth, 0);
        QVERIFY(dialogs.busyCount > 0);

        TestDatabase empty;
        frmaccounts_print none(empty.db(), dialogs, engine, keys);
        dialogs.clear();
        none.show();
        QCOMPARE(dialogs.texts(), QStringList{"You must input accounts before running this "});
        QCOMPARE(child<QLineEdit>(none, QStringLiteral("frmload"))->text(), QStringLiteral("F"));
    }
};

QTEST_MAIN(TestStatements)
#include "test_statements.moc"
