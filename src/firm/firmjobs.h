#pragma once

#include "firmgenerator.h"

struct sqlite3;

namespace velmora::firm {

// The day the oldest of options.jobs jobs falls on.
QDate firstFirmDay(const FirmOptions& options);

// Writes options.jobs jobs, numbered from 1 in order of their days, with their receipt and
// payment lines and credit notes, over the accounts and drivers that writeFirmReferences()
// wrote with the same options. False with SQLite's reason in *error.
bool writeFirmJobs(sqlite3* db, const FirmOptions& options, const FirmProgress& progress,
                   QString* error);

} // namespace velmora::firm
