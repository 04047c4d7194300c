#pragma once

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <optional>

namespace velmora {

// Where the invoice numbers stand: the number the next invoice run gives its first invoice
// and the lowest a firm may choose instead.
struct InvoiceNumbering
{
    std::int64_t next = 0;
    // 0 while no invoice exists; otherwise one above the highest number issued.
    std::int64_t lowest = 0;
};

std::optional<InvoiceNumbering> readInvoiceNumbering(const QSqlDatabase& db, QString* error);

// Makes `next` the number of the next run's first invoice, by setting the counter to the
// number before it (its row added when there is none), in one transaction that checks
// `next` against the numbers issued. Nothing changes when `next` is already the next
// number. Refused while an invoice run goes at another desk (RunLock). False with the
// reason in *error, nothing then changed.
bool setNextInvoiceNumber(const QSqlDatabase& db, std::int64_t next, QString* error);

} // namespace velmora
