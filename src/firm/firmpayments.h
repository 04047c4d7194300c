#pragma once

#include "firmgenerator.h"

struct sqlite3;

namespace velmora::firm {

// Records the payments a firm's customers have made against the invoices present, as a
// firm would see them up to options.today: most invoices paid in full within one or two
// months, some in part or in two instalments, a few never. Each payment is a receipts
// row; every invoice's amount_paid becomes the sum of its payments and every account's
// balance rises by its payments. The same options and invoices give the same payments.
// False with SQLite's reason in *error.
bool writeFirmPayments(sqlite3* db, const FirmOptions& options, const FirmProgress& progress,
                       QString* error);

} // namespace velmora::firm
