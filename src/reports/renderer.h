#pragma once

#include "definition.h"
#include "reporterror.h"

#include <QDate>
#include <QPageLayout>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora::reports {

// A report filled with its rows and rendered to rich text, ready to be laid out on pages.
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

// Runs the definition's queries on `db` with the connection held read-only, and renders
// its template over the rows, the company's details and the date `today`.
// Returns nullopt with QueryRefused, QueryFailed, Malformed (template or column lists,
// naming the line) or NoDatabase in *error.
std::optional<RenderedReport> renderReport(const ReportDefinition& definition, QSqlDatabase db,
                                           QDate today, ReportError* error);

// Loads the definition file at `path` and renders it for today.
std::optional<RenderedReport> renderReportFile(const QString& path, QSqlDatabase db,
                                               ReportError* error);

} // namespace velmora::reports
