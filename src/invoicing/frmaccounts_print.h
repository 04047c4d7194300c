#pragma once

#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

#include <optional>

class QComboBox;
class QLineEdit;

namespace velmora {

class Dialogs;
class FieldEvents;
class ReportEngine;

// The account statements ("Accounts Print Parameters"): for a range of accounts chosen
// by name and a start date, "Go" rebuilds account_print and prints accounts.rpt from it
// to the printer. When there is no account the screen puts "F" into its hidden frmload
// and the opener closes it again.
class frmaccounts_print final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmaccounts_print(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports,
                      QWidget* parent = nullptr);

protected:
    void opening() override;

private:
    // Looks the list's text up; the account's id, or nullopt after "Account Not Found ".
    std::optional<qint64> lookUp(QComboBox* list);
    void go();
    void tell(const QString& text);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    ReportEngine& m_reports;
    FieldEvents* m_events;
    QComboBox* m_start;
    QComboBox* m_end;
    QLineEdit* m_since;
    QLineEdit* m_load;
};

} // namespace velmora
