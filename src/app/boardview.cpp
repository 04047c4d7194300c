#include "boardview.h"

#include "boardmodel.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace velmora {

namespace {

// Paints the status cell in its colour whether or not its row is selected, so a change
// of status shows at once on the row the operator is working on.
class StatusColourDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const QVariant colour = index.data(Qt::BackgroundRole);
        if (!colour.canConvert<QBrush>()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->fillRect(option.rect, colour.value<QBrush>());
    }
};

} // namespace

BoardView::BoardView(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Compact rows: a busy day's jobs fit on the screen.
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setItemDelegateForColumn(BoardModel::StatusColour, new StatusColourDelegate(this));
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
