#pragma once

#include "reporterror.h"

#include <QString>

namespace velmora::reports {

// Whether a report may be written to the file `path`: never onto the database (or its
// journal files) nor onto the report file, whatever they are called; never onto a folder;
// onto an existing file only when `replace` is true. OutputRefused with the reason, or an
// error numbered 0 when the path may be written.
ReportError checkOutputPath(const QString& path, const QString& database, const QString& reportFile,
                            bool replace);

} // namespace velmora::reports
