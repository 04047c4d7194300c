#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariantList>

namespace velmora {

// The widest text, in characters, that each text column of the schema holds: the widths
// the transfer files and the printed reports are laid out for. Screens limit their fields
// to them and the stores refuse anything wider, so nothing stored is ever cut short later.

// The width of `column` of `table` (names compare without case); 0 for a column without
// a width (numbers, money, dates kept by the program).
int columnWidth(QStringView table, QStringView column);

// Whether every text in `values` fits its column, `columns` and `values` in the same
// order; a value that is not text always fits. When one does not, *error says which.
bool fitsColumns(QStringView table, const QStringList& columns, const QVariantList& values,
                 QString* error);

// A text column of the schema with its width, for the checks against the schema itself.
struct ColumnWidth
{
    const char* table;
    const char* column;
    int width;
};

// Every column that has a width.
const QList<ColumnWidth>& columnWidths();

} // namespace velmora
