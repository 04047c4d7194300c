#pragma once

#include "definition.h"
#include "layouttemplate.h"
#include "reporterror.h"
#include "reportstream.h"

#include <QDate>
#include <QPageLayout>
#include <QSqlDatabase>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace velmora {
class QueryWatch;
}

namespace velmora::reports {

class PageSink;

// How a report's pages look around their content, and, once rendered to rich text in one
// piece (small reports and tests), that text.
struct RenderedReport
{
    QString title;
    QString company; // the firm's name, for the page footer
    QDate printed;   // the day it was run for
    QString html;
    QString style; // the definition's CSS, added to the house style
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    bool pageNumbers = true;
    bool fitToPage = false;
};

// A definition with its template parsed, ready to run any number of times.
struct PreparedReport
{
    ReportDefinition definition;
    std::vector<TemplateNode> layout;
};

// Parses the definition's template with the partials of the same file. nullopt with
// Malformed or TooComplex (naming the line) in *error.
std::optional<PreparedReport> prepareReport(ReportDefinition definition, ReportError* error);

// The look of the definition's pages when run on `today`, without the firm's name.
RenderedReport describeReport(const ReportDefinition& definition, QDate today);

// How one run of a report goes.
struct RunOptions
{
    QDate today = QDate::currentDate();
    QVariantMap values;          // parameter values by placeholder name, lower case
    QVariantMap templateValues;  // and as the template shows them
    QueryWatch* watch = nullptr; // time limit and cancel
    StreamCounters* counters = nullptr;
};

// Runs the report on `db` with the connection held read-only and hands its pages to
// `pages` as they are laid out: the outermost rows are read as pages fill, so memory stays
// flat whatever the number of rows. Fills look->company before the first page. False with
// the error in *error (QueryRefused, QueryFailed, Malformed, BadMoney, TimedOut,
// Cancelled, NoDatabase, TooComplex or OutputFailed).
bool runReport(const PreparedReport& report, QSqlDatabase db, const RunOptions& options,
               RenderedReport* look, PageSink& pages, ReportError* error);

// Runs the definition's queries on `db` and renders its whole template over the rows, the
// company's details, the parameters' defaults and the date `today`, as rich text in one
// piece (for small reports).
// Returns nullopt with QueryRefused, QueryFailed, Malformed (template or column lists,
// naming the line) or NoDatabase in *error.
std::optional<RenderedReport> renderReport(const ReportDefinition& definition, QSqlDatabase db,
                                           QDate today, ReportError* error);

// Loads the definition file at `path` and renders it for today.
std::optional<RenderedReport> renderReportFile(const QString& path, QSqlDatabase db,
                                               ReportError* error);

} // namespace velmora::reports
