#pragma once

#include "data/money.h"
#include "data/rowreader.h"
#include "platform/lazyrows.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// An account as the ledger shows it: the account with its address row.
struct LedgerAccount
{
    qint64 id = 0;
    QString name;
    Money balance;
    // address_line1, address_line2, address_town, address_county, address_postcode1,
    // address_postcode2, address_phone1, address_phone2, address_phone3; nullopt for NULL.
    std::optional<QString> address[9];
};

// The names of the accounts that have an address row, by name: the ledger's list.
// nullopt with the driver's text in *error.
std::optional<QStringList> ledgerAccountNames(const QSqlDatabase& db, QString* error);
// The first such account, by name, called `name`. nullopt when there is none, or on
// failure with the driver's text in *error (left untouched otherwise).
std::optional<LedgerAccount> findLedgerAccount(const QSqlDatabase& db, const QString& name,
                                               QString* error);

// The history grid's columns: a narrow blank one, then these, then a blank one.
enum LedgerColumn {
    Blank,
    Raised,
    InvoiceNo,
    Description,
    NetCost,
    Vat,
    TotalPayable,
    Received,
    InvoiceBalance,
    Spare,
    LedgerColumnCount
};
QStringList ledgerHeadings();

// An account's invoices by number, each followed by a row per payment received against
// it and an empty row. An invoice with no payment shows its total payable as its balance;
// otherwise the last payment row shows the total payable less the payments when they add
// up to more than zero. Amounts are shown in their plain form ("40.5", "0").
// The account's invoices, their lines and their payments are read side by side, each in
// invoice order, a batch at a time, planned for the account's rows alone
// (RowReader::AllInBatches): a ledger is opened at every account picked, and a server
// answers three statements sooner than two an invoice.
class LedgerHistory final : public RowSource
{
public:
    LedgerHistory(const QSqlDatabase& db, qint64 account);
    // Runs the history's statements; false with the driver's text in *error.
    bool start(QString* error);
    bool read(int count, QList<QStringList>* rows, QString* error) override;
    bool atEnd() const override { return !m_reading; }

private:
    // The rows of one statement, their first column an invoice number, and whether the
    // reader stands on a row not yet taken.
    struct Stream
    {
        RowReader reader;
        bool onRow = false;

        bool run(const QVariantList& values, QString* error) { return reader.run(values, error); }
        // Steps to the next row; false on a failure, with the driver's text in *error.
        bool step(QString* error);
        // Passes over the rows of invoices before `invoice`.
        bool at(qint64 invoice, QString* error);
    };

    bool readInvoice(QList<QStringList>* rows, QString* error);
    bool describe(qint64 invoice, QString* description, QString* error);
    void finish();

    qint64 m_account;
    RowReader m_invoices;
    Stream m_lines;
    Stream m_receipts;
    bool m_reading = false;
};

// The history's statement of the account's invoices (bound: the account), which the
// benchmark runs too.
QString ledgerInvoicesSql();

// What is due on an invoice: its total payable, when it was raised and what has been
// received against it so far.
struct InvoiceDue
{
    qint64 number = 0;
    QString raised; // stored date and time
    Money payable;
    Money received;
    bool hasReceipts = false;
};
// nullopt when there is no such invoice, or on failure with the driver's text in *error.
std::optional<InvoiceDue> invoiceDue(const QSqlDatabase& db, qint64 number, QString* error);

// A payment received against an invoice.
struct Payment
{
    qint64 account = 0;
    InvoiceDue invoice;
    Money amount;
    QString received; // stored date, or date and time
};

// Which of the payment's updates found their row.
struct PaymentSaved
{
    bool invoiceFound = false;
    bool accountFound = false;
};

// Records `payment` in one transaction: a receipts row, the amount added to the invoice's
// amount_paid and to the account's balance. A missing invoice or account row skips only
// its own update. nullopt with the driver's text in *error and nothing written.
std::optional<PaymentSaved> savePayment(const QSqlDatabase& db, const Payment& payment,
                                        QString* error);

// Sets the invoice's printed flag back to "N" so that the next print run prints it again;
// its lines are left as they are. False when there is no such invoice, or on failure with
// the driver's text in *error.
bool markForReprint(const QSqlDatabase& db, qint64 invoice, QString* error);

// A stored date or stamp as the operator reads it: "dd/MM/yyyy", with " HH:mm:ss" when it
// holds a time of day other than midnight.
QString generalDate(const QString& stored);
// Reads a date typed as "dd/MM/yyyy", optionally followed by a time "HH:mm" or "HH:mm:ss";
// the stored form, or nullopt when it is not a real date and time.
std::optional<QString> parseDateTime(const QString& text);

} // namespace velmora
