#pragma once

#include "firmgenerator.h"

namespace velmora::firm {

// The money side of a generated firm's months: its percentage drivers paid at the end of
// every month before today's with the driver payment run (each month's slips printed
// before the next run, the last month's waiting to be printed), and its operational
// costs recorded month by month up to today. Runs inside the generator's transaction,
// after the jobs and their indexes. False with the reason in *error.
bool writeFirmPayroll(const QSqlDatabase& db, const FirmOptions& options,
                      const FirmProgress& progress, QString* error);

} // namespace velmora::firm
