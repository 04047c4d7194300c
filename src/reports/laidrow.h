#pragma once

#include <QBrush>
#include <QTextLayout>

#include <memory>
#include <vector>

class QPainter;

namespace velmora::reports {

struct RowLook;

// A table row laid out to its columns in points, painted at any height on a page. Rows
// are placed by where their first cell's text starts (see TablePainter).
class LaidRow
{
public:
    struct Cell
    {
        qreal left = 0;
        qreal right = 0;
        QBrush background;
        qreal topBorder = 0;
        QBrush topBrush;
        qreal bottomBorder = 0;
        QBrush bottomBrush;
        QBrush ink;     // of text in one look; none: its formats' or the default
        QPointF textAt; // from the row's top left
        std::unique_ptr<QTextLayout> text;
    };

    // `height` is the row's box; `lead` how far below its top the first cell's text starts;
    // `grow` how much taller it is than a row of its look on one line.
    // `headRow` is its place in the table's heading, -1 for a row of data.
    LaidRow(std::shared_ptr<const RowLook> look, std::vector<Cell> cells, qreal height, qreal lead,
            qreal grow, int headRow)
        : m_look(std::move(look)), m_cells(std::move(cells)), m_height(height), m_lead(lead),
          m_grow(grow), m_headRow(headRow)
    {
    }

    const RowLook& look() const { return *m_look; }
    int headRow() const { return m_headRow; }
    qreal grow() const { return m_grow; }
    // Paints the row with its first cell's text starting `textTop` down the page.
    void paint(QPainter& painter, qreal textTop) const;

private:
    std::shared_ptr<const RowLook> m_look;
    std::vector<Cell> m_cells;
    qreal m_height;
    qreal m_lead;
    qreal m_grow;
    int m_headRow;
};

} // namespace velmora::reports
