#pragma once

#include "definition.h"
#include "layouttemplate.h"
#include "reporterror.h"

#include <QDate>
#include <QSqlDatabase>
#include <QStringView>
#include <QVariantMap>

#include <atomic>
#include <cstdint>

namespace velmora {
class QueryWatch;
}

namespace velmora::reports {

// Where a report's rich text goes as it is rendered, piece by piece.
class HtmlSink
{
public:
    virtual ~HtmlSink() = default;
    virtual void write(QStringView html) = 0;
    // A row of a data section has been rendered in full: a place where pages may be cut.
    virtual void rowEnded() = 0;
};

// What a run has read so far, for a progress display in another thread.
struct StreamCounters
{
    std::atomic<std::int64_t> rows{0};
    std::atomic<int> pages{0};
};

// Everything a report's queries and template draw on besides the definition.
struct StreamInput
{
    QSqlDatabase db;
    QDate today;
    QVariantMap values;          // parameter values by placeholder name (":name")
    QVariantMap templateValues;  // further values the template sees at the top
    QueryWatch* watch = nullptr; // time limit and cancel; none when null
    StreamCounters* counters = nullptr;
};

// Renders `layout` over the rows of the definition's queries into `sink`, reading each
// section's rows only as the template reaches them: the outermost rows one by one, and a
// nested section's rows for each row of its parent while that row is rendered. False with
// the error (QueryRefused, QueryFailed, Malformed, BadMoney, TimedOut or Cancelled) in
// *error.
bool streamReport(const ReportDefinition& definition, const std::vector<TemplateNode>& layout,
                  const StreamInput& input, HtmlSink& sink, ReportError* error);

// Where the rows of a report taken out as data go, one row at a time.
class RowSink
{
public:
    virtual ~RowSink() = default;
    // False when the row could not be written; the run then fails with OutputFailed.
    virtual bool write(const QStringList& cells) = 0;
};

// Writes the rows of the data section the definition lists first to `sink`, each beside
// the rows of the first section nested in it and that one's (a row whose nested section has none
// stands alone), after a row of the column names; amounts plain (1234.50), dates dd/MM/yyyy. The
// template is not used. False with the error (as streamReport's, or OutputFailed) in
// *error.
bool streamRows(const ReportDefinition& definition, const StreamInput& input, RowSink& sink,
                ReportError* error);

// Reads the company's details as the template's company_* values; `name` gets the firm's
// name. False with the reason in *reason.
bool readCompany(const QSqlDatabase& db, QVariantMap* values, QString* name, QString* reason);

} // namespace velmora::reports
