#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora::exchange {

// What the removal of old invoices takes away.
struct RemovalCounts
{
    qint64 jobs = 0;
    qint64 costs = 0;
    qint64 headers = 0;
    qint64 lines = 0;
};

// The invoice number the operator typed: a whole number, blanks around it allowed;
// nullopt for anything else.
std::optional<qint64> parseInvoiceNumber(const QString& text);

// What removing every invoice numbered below `firstKept` would take away.
std::optional<RemovalCounts> countOldInvoices(const QSqlDatabase& db, qint64 firstKept,
                                              QString* error);

// Removes every invoice numbered below `firstKept` with its lines, the jobs on those lines
// and those jobs' cost lines, all in one transaction. A job is the one of the line's
// prefix and number; a line whose invoice does not exist stays. Receipts, credit notes and
// driver wages stay, and each account keeps the value of its removed invoices
// (accounts.removed_invoiced), so that its balance still equals its payments less its
// invoices. nullopt with the reason
// in *error when it fails; then nothing has been removed.
std::optional<RemovalCounts> removeOldInvoices(const QSqlDatabase& db, qint64 firstKept,
                                               QString* error);

} // namespace velmora::exchange
