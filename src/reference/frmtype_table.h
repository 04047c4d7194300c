#pragma once

#include "platform/openingscreen.h"
#include "typetable.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QLineEdit;
class QTreeWidget;

namespace velmora {

class Dialogs;

// The maintenance screen of one type table: the list of its entries, one input field, and
// the menu entries "&Save" (adds the input as a new entry) and "&Exit" (closes the screen).
class frmtype_table : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmtype_table(const TypeTable& table, QSqlDatabase db, Dialogs& dialogs,
                  QWidget* parent = nullptr);

    // Refills the list from the table; on an empty table shows its message and leaves the
    // list empty. Runs by itself when the screen is first shown. Returns true when the
    // list holds the table's rows, false when the table is empty or could not be read
    // (the database's error is then shown and the list left as it was).
    bool fill_list();

private:
    void opening() override;
    bool save();
    void closeEvent(QCloseEvent* event) override;

    const TypeTable m_table;
    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QLineEdit* m_field;
    QTreeWidget* m_list;
};

} // namespace velmora
