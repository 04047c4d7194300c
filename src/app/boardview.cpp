#include "boardview.h"

#include "boardmodel.h"

#include <QHeaderView>

namespace velmora {

BoardView::BoardView(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void BoardView::fitColumns()
{
    if (!model())
        return;
    int total = 0;
    for (int column = 0; column < BoardModel::ColumnCount; ++column)
        total += BoardModel::relativeWidth(column);
    const int width = viewport()->width();
    for (int column = 0; column < BoardModel::ColumnCount; ++column)
        setColumnWidth(column, width * BoardModel::relativeWidth(column) / total);
    setColumnHidden(BoardModel::Prefix, true);
}

void BoardView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitColumns();
}

} // namespace velmora
