#pragma once

#include "platform/openingscreen.h"

#include <QMainWindow>
#include <QSqlDatabase>

#include <optional>

class QLineEdit;
class QPushButton;
class QTreeView;

namespace velmora {

class Dialogs;
class KeyStore;
class LazyTableModel;
struct InvoiceMailRange;

// "E-mail Invoices": lists the invoices an e-mail run would take (those not yet printed,
// or a range of invoice numbers), with those whose account has no address to print
// instead, and "&Send" e-mails them as the command line does, the server's password
// coming from `keys`.
class frmemail_invoices final : public OpeningScreen<QMainWindow>
{
    Q_OBJECT

public:
    frmemail_invoices(QSqlDatabase db, Dialogs& dialogs, KeyStore& keys, QWidget* parent = nullptr);

protected:
    void opening() override;

private:
    // The range typed, or nullopt after saying which number is not one.
    std::optional<InvoiceMailRange> range();
    // Lists the invoices of the range typed, or says why not.
    void list();
    void send();

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    KeyStore& m_keys;
    QLineEdit* m_from;
    QLineEdit* m_to;
    QPushButton* m_list;
    LazyTableModel* m_model;
    QTreeView* m_invoices;
    QPushButton* m_send;
};

} // namespace velmora
