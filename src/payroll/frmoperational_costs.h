#pragma once

#include "operationalcosts.h"
#include "platform/fieldsnapshot.h"
#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

#include <optional>

class QLineEdit;
class QSqlQueryModel;
class QTableView;

namespace velmora {

class Dialogs;

// "Operational Costs": the firm's running costs by date, which the profitability report
// takes off its period's profit. A cost chosen in the list is shown in the fields;
// "&Add" stores the fields as a new cost, "&Update" changes the chosen one, "&Delete"
// removes it after asking, "&Clear" empties the fields.
class frmoperational_costs final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmoperational_costs(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    bool addCost();
    bool updateCost();
    bool deleteCost();
    void clear();

private:
    void opening() override;
    void closeEvent(QCloseEvent* event) override;
    void refresh();
    void rowChosen();
    // The cost the fields describe, with `id`; nullopt after the message of the first
    // field that is wrong, the focus put on it.
    std::optional<OperationalCost> fields(qint64 id);
    bool store(OperationalCost cost, const QString& done);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    QLineEdit* m_date;
    QLineEdit* m_amount;
    QLineEdit* m_description;
    QTableView* m_list;
    FieldSnapshot m_shown; // the fields as chosen or emptied
    QSqlQueryModel* m_model;
    qint64 m_chosen = 0;
};

} // namespace velmora
