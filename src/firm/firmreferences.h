#pragma once

#include "firmgenerator.h"

struct sqlite3;

namespace velmora::firm {

// Writes what the jobs of a generated firm refer to: the type tables (numbered from 1 in
// the order of the demo firm's lists), a VAT-registered company, options.accounts accounts
// and options.drivers drivers (numbered from 1), each with its address, and a vehicle per
// driver. False with SQLite's reason in *error.
bool writeFirmReferences(sqlite3* db, const FirmOptions& options, const FirmProgress& progress,
                         QString* error);

} // namespace velmora::firm
