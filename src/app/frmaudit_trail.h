#pragma once

#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QComboBox;
class QLineEdit;
class QTableView;

namespace velmora {

class Dialogs;
class LazyTableModel;

// "Audit Trail": the entries of the audit trail in the order they were written, picked by
// a date range, the operator, the table and a key (a job's key shows the job's entries and
// those of its lines), read as the grid scrolls.
class frmaudit_trail final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmaudit_trail(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    // Lists the entries the filter picks; false after showing what is wrong.
    bool show_entries();

protected:
    void opening() override;

private:
    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QLineEdit* m_from;
    QLineEdit* m_to;
    QComboBox* m_operator;
    QComboBox* m_table;
    QLineEdit* m_key;
    LazyTableModel* m_model;
    QTableView* m_grid;
};

} // namespace velmora
