#pragma once

#include "data/outputfile.h"

#include <QList>
#include <QString>

class QAbstractItemModel;
class QAbstractItemView;
class QAction;
class QIODevice;
class QMenu;

namespace velmora {

class Dialogs;

// Writes the rows of `model` to `out` as CSV: a row of the headings of `columns`, then each
// row's cells of those columns as shown, amounts plain (1234.50). A model that reads its
// rows as they are needed is read on to its end as the rows are written (the rows read stay
// its own, so nothing is held twice). Returns the rows written, or -1 with the reason in
// *error (a write or a read that failed).
qint64 writeModelCsv(QAbstractItemModel& model, const QList<int>& columns, QIODevice& out,
                     QString* error);

// The same into the file `path`, written whole or not at all under `rules`.
qint64 saveModelCsv(QAbstractItemModel& model, const QList<int>& columns, const QString& path,
                    const OutputRules& rules, QString* error);

// Adds "Save as CSV..." to `menu`: asks for a file and writes the rows of `view` (its
// columns not hidden) there, never over the database `database`; says on the screen's
// status line how many rows it wrote, or in a box why it wrote none.
QAction* addSaveAsCsv(QMenu* menu, QAbstractItemView* view, Dialogs& dialogs,
                      const QString& database);

// Gives `view` a pop-up menu (right button or the Menu key) holding "Save as CSV...".
QMenu* addCsvPopup(QAbstractItemView* view, Dialogs& dialogs, const QString& database);

} // namespace velmora
