#pragma once

#include "command.h"
#include "reports/reportjob.h"

#include <QString>

namespace velmora::cli {

// `report FILE --pdf OUT [--database PATH]`: renders the report definition FILE (a path,
// else a name in the reports folder) from the database to the PDF file OUT; with --csv OUT
// instead, writes the report's rows to the CSV file OUT. On failure exits 1 with the report's error
// number and text on standard error.
void addReportCommand(CLI::App& app, CommandAction& action);

// Renders `request` to the PDF file `pdf` (an existing one only when `force`; never the
// database or the report file) with progress on a terminal, for the command named
// `command`. Returns the command's exit code, having said what it wrote or why not.
int writeReportPdf(const char* command, const reports::ReportRequest& request, const QString& pdf,
                   bool force);

} // namespace velmora::cli
