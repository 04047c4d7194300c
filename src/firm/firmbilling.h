#pragma once

#include "firmgenerator.h"

#include <QSqlDatabase>

struct sqlite3;

namespace velmora::firm {

// Bills a generated firm as it would have billed itself: after each month before the
// current one, the invoice run over every account for that month's account jobs, its
// invoices printed and closed. The current month's account jobs are left to invoice.
// Runs inside the caller's transaction; false with the reason in *error.
bool billFirm(const QSqlDatabase& db, sqlite3* handle, const FirmOptions& options,
              const FirmProgress& progress, QString* error);

} // namespace velmora::firm
