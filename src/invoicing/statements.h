#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// The accounts a statement run covers (by account_id, both included; a reversed range
// is taken the right way round) and the first day it lists.
struct StatementRange
{
    qint64 startAccount = 0;
    qint64 endAccount = 0;
    QDate since;
};

// Rebuilds the work table account_print, from which accounts.rpt prints the statements,
// in one transaction: a row for every invoice of an account in the range (that has an
// address row) raised on or after `since`, and a row for every payment received on or
// after `since` against one of those invoices. An invoice row carries the value before
// VAT in net_cost, the VAT in vat_cost, the total payable in gross_cost and the account's
// balance; a payment row carries zero amounts, no balance and the payment's date and
// amount. Returns how many accounts have statements, or nullopt with the driver's text
// in *error and the table as it was.
std::optional<qint64> buildStatements(const QSqlDatabase& db, const StatementRange& range,
                                      QString* error);

// The run's statements in order: emptying the table, the invoice rows and the payment
// rows (bound: first account, last account, first day; the payments the first day again),
// and the count of accounts. The benchmark runs them too.
QStringList statementRunSql();

} // namespace velmora
