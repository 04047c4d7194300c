#include "laidrow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include <tuple>

namespace velmora::reports {

namespace {

// Fills the stripes of consecutive cells that share a brush and a height as one.
template <typename Stripe> void fillStripes(QPainter& painter, const auto& cells, Stripe stripe)
{
    std::size_t from = 0;
    while (from < cells.size()) {
        const auto [brush, y, height] = stripe(cells[from]);
        std::size_t to = from + 1;
        while (to < cells.size()) {
            const auto [nextBrush, nextY, nextHeight] = stripe(cells[to]);
            if (nextBrush != brush || nextY != y || nextHeight != height)
                break;
            ++to;
        }
        if (height > 0 && brush.style() != Qt::NoBrush)
            painter.fillRect(
                QRectF(cells[from].left, y, cells[to - 1].right - cells[from].left, height), brush);
        from = to;
    }
}

} // namespace

void LaidRow::paint(QPainter& painter, qreal textTop) const
{
    const qreal top = textTop - m_lead;
    const qreal bottom = top + m_height;
    using Stripe = std::tuple<QBrush, qreal, qreal>;
    fillStripes(painter, m_cells,
                [&](const Cell& cell) { return Stripe(cell.background, top, m_height); });
    fillStripes(painter, m_cells,
                [&](const Cell& cell) { return Stripe(cell.topBrush, top, cell.topBorder); });
    fillStripes(painter, m_cells, [&](const Cell& cell) {
        return Stripe(cell.bottomBrush, bottom - cell.bottomBorder, cell.bottomBorder);
    });
    // Text without a colour of its own takes the one a text document would give it.
    static const QColor ink = QGuiApplication::palette().color(QPalette::Text);
    for (const Cell& cell : m_cells) {
        painter.setPen(cell.ink.style() == Qt::NoBrush ? ink : cell.ink.color());
        cell.text->draw(&painter, QPointF(cell.left, top) + cell.textAt);
    }
}

} // namespace velmora::reports
