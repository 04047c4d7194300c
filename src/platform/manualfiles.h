#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// The folder of the manual's pages beside a program in `programFolder`: `docs` beside it
// (a build), else share/velmora/docs under the same prefix (an installed program). The
// environment variable VELMORA_DOCS_DIR names another. Empty when none holds the manual.
QString manualFolder(const QString& programFolder);

// The same for the running program.
QString manualFolder();

// The file of the manual's first page within `folder`.
QString manualPage(const QString& folder);

// The headings (of any level) of the Markdown text `markdown`, in order, as shown.
QStringList markdownHeadings(const QString& markdown);

} // namespace velmora
