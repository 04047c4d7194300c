#pragma once

#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QModelIndex;
class QTableView;

namespace velmora {

class Dialogs;
class ExpiryModel;

// "Expiring Documents": every vehicle and driver document that has run out or runs out
// within the firm's warning horizon, soonest first, each row coloured by how soon. Picking
// a row (double-click or Enter) asks for its vehicle or driver to be opened.
class frmexpiring_documents final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmexpiring_documents(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    // Fills the grid again from the database; false after showing the error.
    bool refresh();

Q_SIGNALS:
    void vehicleChosen(const QString& registration);
    void driverChosen(qint64 driverId);

protected:
    void opening() override { refresh(); }

private:
    void pick(const QModelIndex& index);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    ExpiryModel* m_model;
    QTableView* m_grid;
};

} // namespace velmora
