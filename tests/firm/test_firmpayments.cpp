// The payments a generated firm's customers make against its invoices.

#include "firm/firmgenerator.h"
#include "testdatabase.h"

#include <QTest>

using velmora::firm::FirmOptions;
using velmora::test::TestDatabase;

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
        QString error;
        QVERIFY2(velmora::firm::generateFirm(t.db(), options, {}, &error), qPrintable(error));

        // Every invoice's amount_paid is the sum of its payments, every account's balance is
        // its payments less its invoices, and nobody pays before the invoice or after today.
        QCOMPARE(
            t.count(QStringLiteral("select count(*) from invoice_header h where amount_paid <> "
                                   "(select coalesce(sum(amount_received), 0) from receipts "
                                   "where invoice_number = h.invoice_no)")),
            0);
        QCOMPARE(t.count(QStringLiteral(
                     "select count(*) from accounts where account_balance <> "
                     "(select coalesce(sum(amount_received), 0) from receipts "
                     "where account_no = account_id) - (select coalesce(sum(net_value), 0) "
                     "from invoice_header where account_no = account_id)")),
                 0);
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
