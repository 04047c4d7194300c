#include "screenparts.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

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
    grid->addWidget(field, row, 1, 1, columns);
    return label;
}

} // namespace velmora
