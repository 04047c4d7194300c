#pragma once

#include "ledger.h"
#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QTableView;

namespace velmora {

class Dialogs;
class FieldEvents;
class LazyTableModel;

// The account ledger ("Account History"): one account with its address, its balance and
// the history of its invoices and the payments received against them. From the history
// the operator records a payment for an invoice ("&Record Payment") or asks for an invoice
// to be printed again ("&Reprint Invoice"). When no account has an address the screen
// puts "N" into its hidden txtfrm_load and the opener closes it again.
class frmaccount_ledger final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmaccount_ledger(QSqlDatabase db, Dialogs& dialogs, QWidget* parent = nullptr);

    // Fills the history grid for the account in txtaccount.
    void getjobhistory();

protected:
    void opening() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Makes each column as wide as its heading or its widest value (the history's columns
    // go back to their default widths whenever it is read afresh); returns their sum.
    int fitColumns();
    QWidget* buildAccountPart();
    QGroupBox* buildPaymentFrame();
    void buildPopup();
    // Shows the account named in the list. Picking an entry always fills the history;
    // leaving the list fills it only when the account shown changes. The messages differ
    // between the two.
    bool showAccount(bool picked);
    void recordPayment();
    void reprintInvoice();
    void savePayment();
    void closeFrame();
    void tell(const QString& text);
    // The invoice number in the grid's current row; 0 when the row shows none.
    qint64 currentInvoice() const;

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    qint64 m_accountId = 0;
    InvoiceDue m_due; // the invoice the payment frame is open for
    FieldEvents* m_events;
    LazyTableModel* m_history;
    QComboBox* m_name;
    QLineEdit* m_account;
    QLineEdit* m_address[9];
    QLineEdit* m_balance;
    QTableView* m_grid;
    QLineEdit* m_load;
    QMenu* m_popup;
    QGroupBox* m_frame;
    QLineEdit* m_invoiceNo;
    QLineEdit* m_invoiceValue;
    QLineEdit* m_outstanding;
    QLineEdit* m_amount;
    QLineEdit* m_date;
};

} // namespace velmora
