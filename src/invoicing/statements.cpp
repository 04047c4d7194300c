#include "statements.h"

#include "data/dates.h"
#include "data/fault.h"
#include "data/readonly.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <utility>

namespace velmora {

namespace {

// The accounts of the range by name, with their address.
const QLatin1String
    kAccountsInRange("from accounts "
                     "join addresses on accounts.address_id = addresses.address_id ");
const QLatin1String kNamesBetween("where accounts.account_name between ? and ? ");

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

// The name of account `id`, or with no id the first or last name; nullopt with the reason
// in *error.
std::optional<QString> accountName(const QSqlDatabase& db, std::optional<qint64> id, bool last,
                                   QString* error)
{
    QSqlQuery query(db);
    const bool read =
        id ? run(query, QStringLiteral("select account_name from accounts where account_id = ?"),
                 {*id}, error)
           : run(query,
                 last ? QStringLiteral("select max(account_name) from accounts")
                      : QStringLiteral("select min(account_name) from accounts"),
                 {}, error);
    if (!read)
        return std::nullopt;
    if (!query.next() || query.isNull(0)) {
        *error = id ? QObject::tr("There is no account %1.").arg(*id)
                    : QObject::tr("You must input accounts before running this ");
        return std::nullopt;
    }
    return query.value(0).toString();
}

} // namespace

std::optional<StatementRange> statementRange(const QSqlDatabase& db, std::optional<qint64> from,
                                             std::optional<qint64> to, QDate since, QString* error)
{
    const auto first = accountName(db, from, false, error);
    if (!first)
        return std::nullopt;
    const auto last = accountName(db, to, true, error);
    if (!last)
        return std::nullopt;
    return StatementRange{*first, *last, since};
}

QStringList statementRunSql()
{
    const QString invoices =
        kInsert + kAccountColumns +
        QStringLiteral("accounts.account_balance, invoice_header.invoice_no, invoice_header.date, "
                       "invoice_header.gross_value, invoice_header.vat_value, "
                       "invoice_header.net_value, null, null ") +
        kAccountsInRange +
        QStringLiteral("join invoice_header on invoice_header.account_no = accounts.account_id ") +
        kNamesBetween + QStringLiteral("and invoice_header.date >= ?");
    const QString payments =
        kInsert + kAccountColumns +
        QStringLiteral("null, receipts.invoice_number, receipts.date_received, 0, 0, 0, "
                       "receipts.date_received, receipts.amount_received ") +
        kAccountsInRange +
        QStringLiteral("join receipts on receipts.account_no = accounts.account_id ") +
        kNamesBetween + QStringLiteral("and receipts.date_received >= ?");
    // Once for each account, on its first row.
    const QString broughtForward = QStringLiteral(
        "update account_print set brought_forward = "
        "(select a.removed_invoiced from accounts a where a.account_id = account_print.account_id)"
        " + coalesce((select sum(h.net_value) from invoice_header h "
        "where h.account_no = account_print.account_id and h.date < ?), 0)"
        " - coalesce((select sum(r.amount_received) from receipts r "
        "where r.account_no = account_print.account_id and r.date_received < ?), 0) "
        "where rowid in (select min(rowid) from account_print group by account_id)");
    return {QStringLiteral("delete from account_print"), invoices, payments, broughtForward,
            QStringLiteral("select count(distinct account_id) from account_print")};
}

std::optional<qint64> buildStatements(const QSqlDatabase& db, const StatementRange& range,
                                      QString* error)
{
    QString first = range.startName;
    QString last = range.endName;
    if (first.compare(last, Qt::CaseInsensitive) > 0)
        std::swap(first, last);
    const QString since = storedDate(range.since);

    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = QObject::tr("The statements could not begin a transaction: %1")
                     .arg(connectionFault(db));
        return std::nullopt;
    }
    const QStringList sql = statementRunSql();
    QSqlQuery query(db);
    if (!run(query, sql[0], {}, error) || !run(query, sql[1], {first, last, since}, error) ||
        !run(query, sql[2], {first, last, since}, error) ||
        !run(query, sql[3], {since, since}, error) || !run(query, sql[4], {}, error))
        return std::nullopt;
    if (!query.next()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    const qint64 accounts = query.value(0).toLongLong();
    query.finish();
    if (!transaction.commit(error))
        return std::nullopt;
    return accounts;
}

} // namespace velmora
