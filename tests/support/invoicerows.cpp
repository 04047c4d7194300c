#include "invoicerows.h"

namespace velmora::test {

qint64 addAccount(TestDatabase& t, const QString& name, qint64 balancePence, bool withAddress)
{
    QVariant address;
    if (withAddress) {
        t.exec(QStringLiteral("insert into addresses (address_line1, address_line2, "
                              "address_line3, address_town, address_county, address_postcode1, "
                              "address_postcode2, address_phone1, address_type) "
                              "values (?, ?, ?, ?, ?, ?, ?, ?, 9)"),
               {QStringLiteral("1 Mill Lane"), QStringLiteral("Holbeck"), QStringLiteral("Unit 2"),
                QStringLiteral("Leeds"), QStringLiteral("West Yorks"), QStringLiteral("LS1"),
                QStringLiteral("4AB"), QStringLiteral("0113 000")});
        address = t.value(QStringLiteral("select max(address_id) from addresses"));
    }
    t.exec(QStringLiteral("insert into accounts (address_id, account_name, contact_name, "
                          "account_balance) values (?, ?, ?, ?)"),
           {address, name, QStringLiteral("Accounts Dept"), balancePence * 100});
    return t.count(QStringLiteral("select max(account_id) from accounts"));
}

void addInvoice(TestDatabase& t, qint64 number, qint64 account, const QString& stamp,
                qint64 grossPence, qint64 vatPence, qint64 netPence, const QList<qint64>& jobs)
{
    t.exec(QStringLiteral("insert into invoice_header (invoice_no, date, account_no, "
                          "gross_value, vat_value, net_value, printed) "
                          "values (?, ?, ?, ?, ?, ?, 'C')"),
           {number, stamp, account, grossPence * 100, vatPence * 100, netPence * 100});
    for (const qint64 job : jobs)
        t.exec(QStringLiteral("insert into invoice_line (invoice_no, job_id, job_prefix, "
                              "details) values (?, ?, 'A', 'Journey Cost')"),
               {number, job});
}

void addReceipt(TestDatabase& t, qint64 account, qint64 invoice, qint64 pence, const QString& date)
{
    t.exec(QStringLiteral("insert into receipts (account_no, invoice_number, amount_received, "
                          "date_received) values (?, ?, ?, ?)"),
           {account, invoice, pence * 100, date});
}

} // namespace velmora::test
