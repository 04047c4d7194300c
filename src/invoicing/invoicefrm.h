#pragma once

#include "accountlist.h"
#include "invoiceprinting.h"
#include "platform/openingscreen.h"

#include <QList>
#include <QMainWindow>
#include <QSqlDatabase>

class QComboBox;
class QLabel;
class QLineEdit;

namespace velmora {

class Dialogs;
class FieldEvents;
class ReportEngine;
struct InvoiceRunResult;

// "Generate / Print Invoices": the invoice run over a range of accounts chosen by name,
// its totals, and the buttons that print and preview what runs produced. It cannot open
// without accounts (txtfrm_load "N").
class invoicefrm final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    invoicefrm(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, QWidget* parent = nullptr);

private:
    void buildLayout();
    void opening() override;
    // The operator picked an entry of the start (`start`) or end list.
    void entryPicked(bool start);
    // The focus left the start or end list.
    void listLeft(bool start);
    // "&Create Invoices".
    void createInvoices();
    void showTotals(const InvoiceRunResult& result);
    void setTotalsVisible(bool visible);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    InvoicePrinting m_printing;
    FieldEvents* m_events;
    QList<AccountEntry> m_accounts;
    QComboBox* m_startList;
    QComboBox* m_endList;
    QLineEdit* m_startName;
    QLineEdit* m_endName;
    QLineEdit* m_gross;
    QLineEdit* m_discount;
    QLineEdit* m_vat;
    QLineEdit* m_net;
    QLineEdit* m_creditNote;
    QLineEdit* m_load;
    QList<QWidget*> m_totals; // the four shown totals and their captions
};

} // namespace velmora
