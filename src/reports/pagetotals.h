#pragma once

#include "renderer.h"

#include <QFile>
#include <QString>

namespace velmora::reports {

// Puts "Page n of N" on each of the `pages` pages of the PDF that Qt's PDF writer wrote
// into `file` (complete, its footers painted without their page numbers), so that a report
// too long to be held until its total is known still names the total on every page. The
// numbers are added as an incremental update at the end of the file, as PDF allows: each
// page gets a small content stream that writes its number in the footer's place, colour
// and size (in Helvetica, which every PDF reader has), and nothing written before is
// touched. It reads only the file's cross-reference table, its page list and each page's
// dictionaries, so it takes a small part of the time the report took. False with the
// reason in *error.
bool stampPageTotals(QFile& file, const RenderedReport& look, int pages, QString* error);

} // namespace velmora::reports
