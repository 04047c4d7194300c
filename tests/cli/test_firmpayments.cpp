// The payments a generated firm's customers make against its invoices.

#include "cli/firmgenerator.h"
#include "cli/firmpayments.h"
#include "cli/sqlitestatement.h"
#include "testdatabase.h"

#include <QTest>

using velmora::cli::FirmOptions;
using velmora::test::TestDatabase;

namespace {

// A small firm whose account jobs before March are billed month by month, one invoice
// per account and month, its total taken from the jobs' receipt lines.
void billedFirm(TestDatabase& t, const FirmOptions& options)
{
    QString error;
    QVERIFY2(velmora::cli::generateFirm(t.db(), options, {}, &error), qPrintable(error));
    t.exec(QStringLiteral(
        "insert into invoice_header (invoice_no, date, account_no, gross_value, vat_value, "
        "net_value, printed) "
        "select row_number() over (order by month, account_no), month || '-28 18:00:00', "
        "account_no, sum(gross_cost), sum(vat_value), sum(net_cost), 'C' from ("
        "select substr(j.date, 1, 7) as month, j.account_no, c.gross_cost, c.vat_value, "
        "c.net_cost from jobs j join Costs c on c.job_prefix = j.job_prefix "
        "and c.jobnumber = j.job_id and c.income_expence = 'I' "
        "where j.account_no > 0 and j.date < '2025-03-01') group by month, account_no"));
    t.exec(QStringLiteral("update accounts set account_balance = account_balance - "
                          "(select coalesce(sum(net_value), 0) from invoice_header "
                          "where account_no = account_id)"));
}

} // namespace

class TestFirmPayments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void customersPayAsAFirmSeesThem()
    {
        FirmOptions options;
        options.accounts = 30;
        options.drivers = 10;
        options.jobs = 30000;
        options.seed = 5;
        options.today = QDate(2025, 3, 14);
        TestDatabase t;
        billedFirm(t, options);
        const QStringList balances =
            t.rows(QStringLiteral("select account_id, account_balance from accounts "
                                  "order by account_id"));
        QString error;
        QVERIFY2(velmora::cli::writeFirmPayments(velmora::cli::sqliteHandle(t.db()), options, {},
                                                 &error),
                 qPrintable(error));

        // Every invoice's amount_paid is the sum of its payments, every account's balance
        // rose by its payments, and nobody pays before the invoice or after today.
        QCOMPARE(
            t.count(QStringLiteral("select count(*) from invoice_header h where amount_paid <> "
                                   "(select coalesce(sum(amount_received), 0) from receipts "
                                   "where invoice_number = h.invoice_no)")),
            0);
        QCOMPARE(t.rows(QStringLiteral("select account_id, account_balance - "
                                       "(select coalesce(sum(amount_received), 0) from receipts "
                                       "where account_no = account_id) from accounts "
                                       "order by account_id")),
                 balances);
        QCOMPARE(t.count(QStringLiteral(
                     "select count(*) from receipts r join invoice_header h "
                     "on h.invoice_no = r.invoice_number where r.date_received > '2025-03-14' "
                     "or r.date_received < substr(h.date, 1, 10) "
                     "or r.account_no <> h.account_no or r.invoice_net_cost <> h.net_value "
                     "or r.date_raised <> h.date")),
                 0);

        // Of the invoices over three months old, most are paid in full, some in part and
        // a few not at all; the last month's are mostly still open.
        const auto share = [&](const QString& condition) {
            return t.count(QStringLiteral("select 100 * sum(%1) / count(*) from invoice_header "
                                          "where date < '2024-12-01'")
                               .arg(condition));
        };
        const qlonglong full = share(QStringLiteral("amount_paid = net_value"));
        const qlonglong part = share(QStringLiteral("amount_paid > 0 and amount_paid < net_value"));
        const qlonglong none = share(QStringLiteral("amount_paid = 0"));
        QVERIFY2(full >= 80 && full <= 95, qPrintable(QString::number(full)));
        QVERIFY2(part >= 3 && part <= 15, qPrintable(QString::number(part)));
        QVERIFY2(none >= 1 && none <= 10, qPrintable(QString::number(none)));
        QVERIFY(t.count(QStringLiteral("select count(*) from invoice_header where "
                                       "date >= '2025-02-28' and amount_paid = 0")) > 0);
    }
};

QTEST_MAIN(TestFirmPayments)
#include "test_firmpayments.moc"
