#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// The accounts a statement run covers, those whose names lie between the two names in
// name order (both included; a reversed pair is taken the right way round), and the first
// day it lists.
struct StatementRange
{
    QString startName;
    QString endName;
    QDate since;
};

// The range from the name of account `from` to that of account `to` (without one, the
// first or the last name) since `since`; nullopt with the reason in *error (an account
// that does not exist, no accounts at all).
std::optional<StatementRange> statementRange(const QSqlDatabase& db, std::optional<qint64> from,
                                             std::optional<qint64> to, QDate since, QString* error);

// Rebuilds the work table account_print, from which accounts.rpt prints the statements,
// in one transaction: a row for every invoice of an account in the range (that has an
// address row) raised on or after `since`, and a row for every payment the account made
// on or after `since`, whichever invoice it pays. An invoice row carries the value before
// VAT in net_cost, the VAT in vat_cost, the total payable in gross_cost and the account's
// balance; a payment row carries zero amounts, no balance and the payment's date and
// amount. One row of each account carries in brought_forward what the account owed before
// `since`: its invoices dated before it (and those removal took away) less its payments
// dated before it. Returns how many accounts have statements, or nullopt with the driver's
// text in *error and the table as it was.
std::optional<qint64> buildStatements(const QSqlDatabase& db, const StatementRange& range,
                                      QString* error);

// The run's statements in order: emptying the table; the invoice rows and the payment rows
// (each bound: first name, last name, first day); the amounts brought forward (bound: the
// first day twice); and the count of accounts. The benchmark runs them too.
QStringList statementRunSql();

} // namespace velmora
