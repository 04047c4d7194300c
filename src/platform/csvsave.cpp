#include "csvsave.h"

#include "data/csvfile.h"
#include "dialogs.h"
#include "lazyrows.h"
#include "statusline.h"

#include <QAbstractItemModel>
#include <QFileInfo>
#include <QMenu>
#include <QTableView>
#include <QTreeView>

namespace velmora {

namespace {

// The columns `view` shows, in the order of its model.
QList<int> shownColumns(const QAbstractItemView* view)
{
    QList<int> columns;
    const auto* table = qobject_cast<const QTableView*>(view);
    const auto* tree = qobject_cast<const QTreeView*>(view);
    for (int column = 0; column < view->model()->columnCount(); ++column) {
        const bool hidden =
            (table && table->isColumnHidden(column)) || (tree && tree->isColumnHidden(column));
        if (!hidden)
            columns.append(column);
    }
    return columns;
}

void saveViewAsCsv(QAbstractItemView* view, Dialogs& dialogs, const QString& database)
{
    QWidget* screen = view->window();
    if (!view->model())
        return;
    const QString path =
        dialogs.saveFileName(screen, QObject::tr("Save as CSV"), QObject::tr("CSV Files (*.csv)"),
                             QStringLiteral("csv"), QString());
    if (path.isEmpty())
        return;
    QString error;
    qint64 rows = -1;
    {
        const BusyPointer busy(dialogs);
        // The file chooser asked before an existing file is replaced.
        rows = saveModelCsv(*view->model(), shownColumns(view), path, {database, {}, true}, &error);
    }
    if (rows < 0) {
        dialogs.information(screen, QObject::tr("The list was not saved as CSV: %1").arg(error));
        return;
    }
    showStatus(screen,
               QObject::tr("%1 rows saved to %2").arg(rows).arg(QFileInfo(path).fileName()));
}

} // namespace

qint64 writeModelCsv(QAbstractItemModel& model, const QList<int>& columns, QIODevice& out,
                     QString* error)
{
    QString failure;
    QMetaObject::Connection heard;
    auto* lazy = qobject_cast<LazyTableModel*>(&model);
    if (lazy)
        heard = QObject::connect(lazy, &LazyTableModel::fetchFailed,
                                 [&failure](const QString& text) { failure = text; });
    // A lazy grid's cells are read as its texts (what it shows), without a QVariant each, or
    // as UTF-8 straight from its rows.
    const auto cell = [&model, lazy](int row, int column) {
        return lazy ? lazy->text(row, column) : model.data(model.index(row, column)).toString();
    };
    const auto written = [&]() -> qint64 {
        CsvWriter writer(out);
        QStringList cells;
        for (int column : columns)
            cells.append(model.headerData(column, Qt::Horizontal).toString());
        if (!writer.writeRow(cells)) {
            *error = out.errorString();
            return -1;
        }
        QByteArray bytes; // a cell's, kept from cell to cell
        for (qint64 row = 0;; ++row) {
            if (row >= model.rowCount() && model.canFetchMore({}))
                model.fetchMore({});
            if (!failure.isEmpty()) {
                *error = failure;
                return -1;
            }
            if (row >= model.rowCount())
                return row;
            for (int column : columns) {
                bytes.resize(0);
                if (lazy && lazy->appendUtf8(int(row), column, &bytes)) {
                    if (isShownAmount(bytes))
                        bytes.removeIf([](char c) { return c == ','; });
                    writer.addField(QByteArrayView(bytes));
                } else {
                    writer.addField(plainShownAmount(cell(int(row), column)));
                }
            }
            if (!writer.endRow()) {
                *error = out.errorString();
                return -1;
            }
        }
    }();
    QObject::disconnect(heard);
    return written;
}

qint64 saveModelCsv(QAbstractItemModel& model, const QList<int>& columns, const QString& path,
                    const OutputRules& rules, QString* error)
{
    OutputFile file(path, rules);
    if (!file.open(error))
        return -1;
    const qint64 rows = writeModelCsv(model, columns, file.file(), error);
    if (rows < 0 || !file.commit(error))
        return -1;
    return rows;
}

QAction* addSaveAsCsv(QMenu* menu, QAbstractItemView* view, Dialogs& dialogs,
                      const QString& database)
{
    QAction* entry = menu->addAction(QObject::tr("&Save as CSV..."));
    entry->setObjectName(QStringLiteral("mnucsv"));
    QObject::connect(entry, &QAction::triggered, view,
                     [view, &dialogs, database] { saveViewAsCsv(view, dialogs, database); });
    return entry;
}

QMenu* addCsvPopup(QAbstractItemView* view, Dialogs& dialogs, const QString& database)
{
    auto* menu = new QMenu(view);
    addSaveAsCsv(menu, view, dialogs, database);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        view, &QWidget::customContextMenuRequested, menu,
        [view, menu](const QPoint& at) { menu->popup(view->viewport()->mapToGlobal(at)); });
    return menu;
}

} // namespace velmora
