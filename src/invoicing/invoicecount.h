#pragma once

#include "data/workcount.h"
#include "invoicerun.h"

namespace velmora {

// What the invoice run over `range` would invoice: its account jobs not yet invoiced that
// have receipt lines, and the accounts they belong to.
std::optional<WorkCount> countInvoiceRun(const QSqlDatabase& db, const InvoiceRunRange& range,
                                         QString* error);

} // namespace velmora
