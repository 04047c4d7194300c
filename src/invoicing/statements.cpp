#include "statements.h"

#include "data/dates.h"
#include "data/sql.h"

#include <QSqlError>
#include <QSqlQuery>

#include <utility>

namespace velmora {

namespace {

// The invoices of the range since the start day, with their account and its address;
// `receipts` joins each invoice's payments.
QString invoicesSince(bool receipts)
{
    return QStringLiteral(
               "from accounts "
               "join addresses on accounts.address_id = addresses.address_id "
               "join invoice_header on invoice_header.account_no = accounts.account_id %1"
               "where accounts.account_id >= ? and accounts.account_id <= ? "
               "and invoice_header.date >= ?")
        .arg(receipts ? QStringLiteral("join receipts on receipts.invoice_number = "
                                       "invoice_header.invoice_no ")
                      : QString());
}

const QLatin1String kAccountColumns(
    "select accounts.account_id, accounts.account_name, addresses.address_line1, "
    "addresses.address_line2, addresses.address_line3, addresses.address_town, "
    "addresses.address_county, addresses.address_postcode1, addresses.address_postcode2, "
    "accounts.contact_name, addresses.address_phone1, ");

const QLatin1String
    kInsert("insert into account_print (account_id, account_name, address_line1, address_line2, "
            "address_line3, town, county, postcode1, postcode2, contact_name, phone1, "
            "account_balance, invoice_no, date, net_cost, vat_cost, gross_cost, date_received, "
            "amount_received) ");

} // namespace

QStringList statementRunSql()
{
    const QString invoices = kInsert + kAccountColumns +
                             QStringLiteral("accounts.account_balance, invoice_header.invoice_no, "
                                            "invoice_header.date, invoice_header.gross_value, "
                                            "invoice_header.vat_value, invoice_header.net_value, "
                                            "null, null ") +
                             invoicesSince(false);
    const QString payments = kInsert + kAccountColumns +
                             QStringLiteral("null, invoice_header.invoice_no, "
                                            "receipts.date_received, 0, 0, 0, "
                                            "receipts.date_received, receipts.amount_received ") +
                             invoicesSince(true) +
                             QStringLiteral(" and receipts.date_received >= ?");
    return {QStringLiteral("delete from account_print"), invoices, payments,
            QStringLiteral("select count(distinct account_id) from account_print")};
}

std::optional<qint64> buildStatements(const QSqlDatabase& db, const StatementRange& range,
                                      QString* error)
{
    qint64 first = range.startAccount;
    qint64 last = range.endAccount;
    if (last < first)
        std::swap(first, last);
    const QString since = storedDate(range.since);

    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = db.lastError().text();
        return std::nullopt;
    }
    const QStringList sql = statementRunSql();
    QSqlQuery query(db);
    if (!run(query, sql[0], {}, error) || !run(query, sql[1], {first, last, since}, error) ||
        !run(query, sql[2], {first, last, since, since}, error) || !run(query, sql[3], {}, error) ||
        !query.next())
        return std::nullopt;
    const qint64 accounts = query.value(0).toLongLong();
    query.finish();
    if (!transaction.commit(error))
        return std::nullopt;
    return accounts;
}

} // namespace velmora
