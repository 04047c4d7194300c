#include "laidrow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace velmora::reports {

void LaidRow::paint(QPainter& painter, qreal textTop) const
{
    const qreal top = textTop - m_lead;
    // Text without a colour of its own takes the one a text document would give it.
    static const QColor ink = QGuiApplication::palette().color(QPalette::Text);
    for (const Cell& cell : m_cells) {
        const QRectF box(cell.left, top, cell.right - cell.left, m_height);
        if (cell.background.style() != Qt::NoBrush)
            painter.fillRect(box, cell.background);
        if (cell.topBorder > 0)
            painter.fillRect(QRectF(box.left(), top, box.width(), cell.topBorder), cell.topBrush);
        if (cell.bottomBorder > 0)
            painter.fillRect(QRectF(box.left(), box.bottom() - cell.bottomBorder, box.width(),
                                    cell.bottomBorder),
                             cell.bottomBrush);
        painter.setPen(ink);
        cell.text->draw(&painter, QPointF(cell.left, top) + cell.textAt);
    }
}

} // namespace velmora::reports
