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
class KeyStore;
class ReportEngine;
struct StatementRange;

// The account statements ("Accounts Print Parameters"): for a range of accounts chosen
// by name and a start date, "Go" rebuilds account_print and prints accounts.rpt from it
// to the printer, and "E-mail Statements" e-mails each account's statement that was not
// sent for that date to the account's address, as the command line does, the server's
// password coming from `keys`. When there is no account the screen puts "F" into its
// hidden frmload and the opener closes it again.
class frmaccounts_print final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmaccounts_print(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, KeyStore& keys,
                      QWidget* parent = nullptr);

protected:
    void opening() override;

private:
    // Looks the list's text up; the account's id, or nullopt after "Account Not Found ".
    std::optional<qint64> lookUp(QComboBox* list);
    // The range and date filled in, or nullopt after saying which is missing or wrong.
    std::optional<StatementRange> chosen();
    void go();
    void email();
    void tell(const QString& text);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    ReportEngine& m_reports;
    KeyStore& m_keys;
    FieldEvents* m_events;
    QComboBox* m_start;
    QComboBox* m_end;
    QLineEdit* m_since;
    QLineEdit* m_load;
};

} // namespace velmora
