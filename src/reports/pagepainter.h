#pragma once

#include "renderer.h"
#include "reporterror.h"

#include <QString>

class QFile;
class QPagedPaintDevice;

namespace velmora::reports {

// Sets `device` to A4 in the report's orientation with the house margins.
void applyPageLayout(const RenderedReport& report, QPagedPaintDevice& device);

// Lays the report out on the pages of `device` (a PDF writer or a printer, its page
// layout already set) and paints it: page after page with a footer naming the report and
// "Page n of N", or, for a report fitted to the page, scaled to fill one page.
// False with OutputFailed in *error when the device cannot be painted on.
bool paintReport(const RenderedReport& report, QPagedPaintDevice& device, ReportError* error);

// Writes the report as a PDF file into `out`, open for writing, and closes it.
bool writePdf(const RenderedReport& report, QFile& out, ReportError* error);

// Writes the report as a PDF file at `path`, replacing any file there.
bool writePdf(const RenderedReport& report, const QString& path, ReportError* error);

} // namespace velmora::reports
