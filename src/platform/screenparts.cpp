#include "screenparts.h"

#include "data/dates.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace velmora {

QLineEdit* lineEdit(QAnyStringView name, const QString& tip)
{
    return named(new QLineEdit, name, tip);
}

QComboBox* dropDown(QAnyStringView name, const QString& tip)
{
    auto* list = named(new QComboBox, name, tip);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    return list;
}

namespace {

// Fields wider than this many characters take the width their layout gives them.
constexpr int kWidestFitted = 40;

void fitToCharacters(QWidget* field, int width)
{
    if (width <= 0 || width > kWidestFitted)
        return;
    const QFontMetrics metrics = field->fontMetrics();
    // Exactly that wide: a field kept to the left would otherwise take its own size hint,
    // which for an empty drop-down is a few letters.
    field->setFixedWidth(metrics.averageCharWidth() * width + metrics.horizontalAdvance(u'M') * 2 +
                         12);
}

} // namespace

QLineEdit* fitWidth(QLineEdit* field, int width)
{
    if (width > 0)
        field->setMaxLength(width);
    fitToCharacters(field, width);
    return field;
}

QComboBox* fitWidth(QComboBox* field, int width)
{
    if (width > 0 && field->lineEdit())
        field->lineEdit()->setMaxLength(width);
    fitToCharacters(field, width + 3); // room for the arrow
    return field;
}

QLineEdit* dateField(QLineEdit* field)
{
    QObject::connect(field, &QLineEdit::editingFinished, field, [field] {
        if (const auto date = parseUkDate(field->text()))
            field->setText(ukDate(*date));
    });
    return field;
}

QAction* addEntry(QWidget* menu, const QString& caption, QAnyStringView name)
{
    QAction* entry = menu->addAction(caption);
    entry->setObjectName(name);
    return entry;
}

void addExit(QWidget* menu, QWidget* screen)
{
    QObject::connect(addEntry(menu, QObject::tr("&Exit"), "mnuexit"), &QAction::triggered, screen,
                     &QWidget::close);
}

QLabel* addCaptioned(QGridLayout* grid, int row, const QString& caption, QWidget* field,
                     int columns)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    // A field narrower than its cell keeps to the left, under the fields above it.
    grid->addWidget(field, row, 1, 1, columns,
                    field->maximumWidth() < QWIDGETSIZE_MAX ? Qt::AlignLeft : Qt::Alignment());
    return label;
}

void readOnlyGrid(QTableView* grid, QAbstractItemModel* model)
{
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
}

} // namespace velmora
