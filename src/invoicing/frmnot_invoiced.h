#pragma once

#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QTreeView;

namespace velmora {

class Dialogs;
class LazyTableModel;

// "Accounts With Jobs Not Invoiced": every account job still waiting for an invoice, by
// account name, read as the list scrolls.
class frmnot_invoiced final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmnot_invoiced(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

protected:
    void opening() override;

private:
    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    LazyTableModel* m_model;
    QTreeView* m_list;
};

} // namespace velmora
