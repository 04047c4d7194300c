#pragma once

#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QModelIndex;
class QTableView;

namespace velmora {

class Dialogs;
class LazyTableModel;

// "Jobs Marked As Complete But Have No Costs Associated With Them": every job, of any
// status, without a cost line, oldest first, read as the grid scrolls. Picking a row
// (double-click or Enter) asks for that job to be opened for costing.
class frmnoncosted final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmnoncosted(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    // Fills the grid again from the database.
    void refresh();

Q_SIGNALS:
    // The operator picked the job `prefix` `number` to work on.
    void jobChosen(const QString& prefix, qint64 number);

protected:
    void opening() override { refresh(); }

private:
    void pick(const QModelIndex& index);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    LazyTableModel* m_model;
    QTableView* m_grid;
};

} // namespace velmora
