#pragma once

#include "layouttemplate.h"
#include "parameters.h"
#include "reporterror.h"

#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace velmora::reports {

// One named list of rows for the template: a read-only query, run once for the report
// (a top-level section) or once per row of the enclosing section, with that row's columns
// bound to the query's :name placeholders.
struct DataSection
{
    QString name;
    QString sql;
    int line = 0;      // where the query text starts in the file
    QStringList money; // columns holding ten-thousandths, shown as 1,234.50
    QStringList dates; // columns holding stored dates, shown as dd/MM/yyyy
    bool isTopLevel = false;
    std::vector<DataSection> children;
};

// How long a whole run may take, how many rows it may read and how many pages it may lay
// out, unless the file says otherwise.
inline constexpr int kDefaultTimeLimit = 60;
inline constexpr std::int64_t kDefaultRowLimit = 10'000'000;
inline constexpr int kDefaultPageLimit = 100'000;

// A report definition file, read and checked.
struct ReportDefinition
{
    QString path;
    QString title;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    bool pageNumbers = true;           // a footer with the title and "Page n of N" on every page
    bool fitToPage = false;            // the whole content scaled to fill one page
    int timeLimit = kDefaultTimeLimit; // seconds the whole run may take
    std::int64_t rowLimit = kDefaultRowLimit; // rows the run may read, all queries
    int pageLimit = kDefaultPageLimit;        // pages the run may lay out
    std::vector<DataSection> data;
    QString style;                               // CSS added to the house style
    QString layout;                              // the mustache template that renders to rich text
    int layoutLine = 0;                          // where the template text starts in the file
    std::map<QString, PartialSource> partials;   // [layout.partials], by name
    std::vector<ParameterDefinition> parameters; // [parameters.<name>], in file order
};

// Reads the definition file at `path`. Returns nullopt with FileMissing, FileUnreadable
// or Malformed (naming the file and line) in *error when it cannot be used.
std::optional<ReportDefinition> loadDefinition(const QString& path, ReportError* error);

// "The report file '<path>', line <line>", the place every later error names.
QString placeInFile(const QString& path, int line);

} // namespace velmora::reports
