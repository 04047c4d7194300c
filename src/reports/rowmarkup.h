#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace velmora::reports {

// A stretch of a cell's text in one inline look.
struct TextRun
{
    int from = 0;
    int length = 0;
    int slot = 0; // which mark of the row's shape, counted within the cell, gives its look
};

// A cell's text as the page shows it: blanks collapsed, entities read, U+2028 for <br/>.
struct CellMarkup
{
    QString text;
    std::vector<TextRun> runs;
    int marks = 0; // marks of the shape in the cell: one per stretch of text and per <br/>
    int span = 1;
};

// A table row of plain cells. `shape` is its markup with every stretch of text replaced by
// one mark: rows of one shape share one look.
struct RowMarkup
{
    QString shape;
    std::vector<CellMarkup> cells;
};

// Reads the rows of `html`, which holds whole <tr>...</tr> rows (and <thead>/<tbody> tags
// between them) whose cells hold text with inline markup only (span, b, strong, i, em, u,
// small, big, font, sub, sup, br). nullopt when there is anything else.
std::optional<std::vector<RowMarkup>> parsePlainRows(QStringView html);

// The index of the '>' that ends the tag whose '<' is at `from`, past quoted attribute
// values; -1 when the text ends first.
qsizetype tagEnd(QStringView html, qsizetype from);

// The mark that stands for a stretch of text in a row's shape.
inline constexpr QChar kShapeMark = QLatin1Char('X');

} // namespace velmora::reports
