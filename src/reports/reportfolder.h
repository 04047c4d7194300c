#pragma once

#include "renderer.h"
#include "reporterror.h"

#include <QString>

namespace velmora::reports {

// The folder of the report definition files: $VELMORA_REPORTS_DIR when set, else the
// folder "database" beside the program, else (installed) share/velmora/reports beside
// the program's bin folder.
QString reportsFolder();

// The path of the report file `fileName` in reportsFolder(); an absolute path stays as it is.
QString reportPath(const QString& fileName);

// The folder where printed reports are kept as PDF files instead of going to the printer:
// $VELMORA_PRINT_DIR, empty when it is not set.
QString printFolder();

// The path of the next numbered PDF file for `reportName` in `folder` (created when
// missing): "<number>-<reportName>.pdf", one past the highest number there. Empty with
// OutputFailed in *error when the folder cannot be made.
QString numberedPdfPath(const QString& folder, const QString& reportName, ReportError* error);

} // namespace velmora::reports
