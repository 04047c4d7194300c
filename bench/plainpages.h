#pragma once

#include "baseline.h"
#include "reports/definition.h"

#include <QDate>
#include <QPageLayout>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora::bench {

// The baseline of a report: the queries of its definition run through the sqlite3 C API,
// each prepared once, with the same values bound (the report's parameters, :today and, in
// a nested query, the columns of the enclosing row), every row drawn as one line of plain
// text with QPainter::drawText on the pages of a QPdfWriter. No layout: the same reading
// and text drawing, without the tables.
class PlainPages
{
public:
    // Prepares the queries of `definition` on `db`, with the report's parameters resolved
    // from `given` (by name, as text) as the report resolves them on `today`. nullopt with
    // the reason in *error.
    static std::optional<PlainPages> prepare(sqlite3* db,
                                             const reports::ReportDefinition& definition,
                                             const QMap<QString, QString>& given, QDate today,
                                             QString* error);

    // Writes the rows into the PDF file `path`, `rowsPerPage` rows to a page, on at least
    // `pages` pages, stopping after `rowLimit` rows when that is not negative. The rows
    // drawn go to *rows. False with the reason in *error.
    bool write(const QString& path, std::int64_t rowsPerPage, int pages, std::int64_t rowLimit,
               std::int64_t* rows, QString* error) const;

private:
    // A placeholder bound to a column of an enclosing row (the others are bound once).
    struct Binding
    {
        int index = 0;  // of the placeholder, from 1
        int depth = -1; // of the enclosing query, from 0 for the outermost
        int column = 0;
    };
    struct Query
    {
        Statement statement;
        std::vector<Binding> parentColumns; // bound again for each enclosing row
        std::vector<Query> children;
    };
    class Writer;

    static bool prepareSection(sqlite3* db, const reports::DataSection& section,
                               const QVariantMap& values, const QDate& today,
                               std::vector<sqlite3_stmt*>& enclosing, Query* query, QString* error);

    std::vector<Query> m_queries;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
};

} // namespace velmora::bench
