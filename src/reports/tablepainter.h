#pragma once

#include "laidrow.h"
#include "rowmarkup.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QTextDocument;
class QTextTable;

namespace velmora::reports {

using LaidRows = std::vector<std::shared_ptr<const LaidRow>>;

// Lays out the plain rows of one table (see parsePlainRows) without a text document, as a
// text document would lay them out: each shape of row is laid out once as a small sample
// document, which gives its cells' fonts, colours, alignment, padding and borders, and the
// columns are those of the first rows laid out (the table's heading, when it has one).
class TablePainter
{
public:
    // `style` is the report's CSS, `tableTag` the table's start tag, `width` the width of a
    // page in points.
    TablePainter(const QString& style, const QString& tableTag, qreal width);
    ~TablePainter();

    // The table's heading rows (its <thead>), which then stand above every sample; nullopt
    // when one is not plain.
    std::optional<LaidRows> layHead(const QString& html);
    // The rows of `html`; nullopt when one is not plain or does not fit the columns.
    std::optional<LaidRows> layOut(QStringView html);

    // Where the text of the first cell of `table`'s first row starts in `document`.
    static qreal firstTextTop(QTextDocument& document, QTextTable& table);
    // The markup of a row of `row`'s look, for a sample of the table's start.
    QString sample(const LaidRow& row) const;

    // Rows are placed by where their first cell's text starts: at the top of a table or
    // page, first on a later page of the table, or below the row `above`; reach() is how
    // far down from there a table ending with the row ends. `before` is the row before
    // (above) it in the table, if any but the heading, whose borders move it too.
    qreal topOf(const LaidRow& row);
    qreal continuedTop(const LaidRow* before, const LaidRow& row);
    qreal pitch(const LaidRow* before, const LaidRow& above, const LaidRow& row);
    qreal reach(const LaidRow* before, const LaidRow& row);

    struct CellLook; // how one cell of a shape looks

private:
    // The columns of the sample's table, from its first row of single cells.
    bool learnColumns();
    // The text tops of the first cells of the rows of the sample document: the table with
    // the heading, then `rows`, then a line of text; the first is the line's.
    std::vector<qreal> sampleTops(const QString& rows);
    // Learns the looks of the shapes of `rows` not known yet; false when one is refused.
    bool learnLooks(const std::vector<RowMarkup>& rows);
    // The look of `row` from the sample, whose rows below the heading are three of each of
    // `shapes` shapes, `row`'s from row `from`.
    bool readLook(const RowMarkup& row, int from, std::size_t shapes,
                  const std::vector<qreal>& tops);
    qreal reachOf(const RowLook* upper, const RowLook& look);
    std::shared_ptr<const LaidRow> layRow(const RowMarkup& row,
                                          const std::shared_ptr<const RowLook>& look,
                                          int headRow = -1) const;

    QString m_style;
    QString m_tableTag;
    qreal m_width;
    QString m_head;
    std::vector<qreal> m_headTops; // where the heading's rows' text starts
    std::vector<qreal> m_edges;    // the columns' left edges and the right edge of the last
    QHash<QString, std::shared_ptr<RowLook>> m_looks; // null: a shape refused
    QHash<QString, const RowLook*> m_placed;          // the first look placed so, by what places it
    std::unique_ptr<QTextDocument> m_sample;
    bool m_learningHead = false; // the heading's looks are learnt without the heading above
};

} // namespace velmora::reports
