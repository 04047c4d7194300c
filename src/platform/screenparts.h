#pragma once

#include <QAnyStringView>
#include <QString>
#include <QStringView>

class QAbstractItemModel;
class QAction;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTableView;
class QWidget;

namespace velmora {

// Gives `widget` the name by which openers and tests find it, and its tip; returns it.
template <typename Widget>
Widget* named(Widget* widget, QAnyStringView name, const QString& tip = {})
{
    widget->setObjectName(name);
    widget->setToolTip(tip);
    return widget;
}

// A one-line text field.
QLineEdit* lineEdit(QAnyStringView name, const QString& tip = {});
// An editable drop-down whose typed text is not added to its list.
QComboBox* dropDown(QAnyStringView name, const QString& tip = {});

// Makes `field` a date field: a date typed in any form parseUkDate() reads (9/12/26) is
// shown whole (09/12/2026) once it is typed; other text stays for the screen's checks.
QLineEdit* dateField(QLineEdit* field);

// Shows `model` in `grid` as a list of whole rows, one chosen at a time, not edited in
// place, without row numbers, its last column taking the width left.
void readOnlyGrid(QTableView* grid, QAbstractItemModel* model);

// Adds the entry `name` to a menu or a menu bar.
QAction* addEntry(QWidget* menu, const QString& caption, QAnyStringView name);
// Adds "&Exit" (mnuexit) to a menu or a menu bar; it closes `screen`.
void addExit(QWidget* menu, QWidget* screen);

// Limits `field` to `width` characters and makes it about as wide as that many
// characters, so a one-letter field is not drawn as wide as a street name. An editable
// drop-down limits its typed text.
QLineEdit* fitWidth(QLineEdit* field, int width);
QComboBox* fitWidth(QComboBox* field, int width);
// The same with the width of `column` of `table` from the schema's table of widths.
template <typename Field> Field* fitColumn(Field* field, QStringView table, QStringView column);

// Puts the caption of `field` (its buddy) in column 0 of `row` and the field in column 1,
// over `columns` columns; returns the caption.
QLabel* addCaptioned(QGridLayout* grid, int row, const QString& caption, QWidget* field,
                     int columns = 1);

} // namespace velmora

#include "data/columnwidths.h"

namespace velmora {

template <typename Field> Field* fitColumn(Field* field, QStringView table, QStringView column)
{
    return fitWidth(field, columnWidth(table, column));
}

} // namespace velmora
