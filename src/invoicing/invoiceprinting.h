#pragma once

#include <QSqlDatabase>
#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

namespace velmora {

class Dialogs;
class ReportEngine;

// The printing of invoice runs: the print dialogue that prints the invoices, job sheets
// and summary of the invoices not yet printed and closes their flags, and the two
// previews. Messages and questions go through `dialogs` over `parent`.
class InvoicePrinting
{
public:
    InvoicePrinting(QSqlDatabase db, Dialogs& dialogs, ReportEngine& reports, QWidget* parent)
        : m_db(std::move(db)), m_dialogs(dialogs), m_reports(reports), m_parent(parent)
    {
    }

    // "&Print Invoices": asks step by step what to print, prints the copies set in the
    // print settings and, when asked to, marks every invoice and line not yet printed "C".
    // Cancelling a question ends the dialogue as an early end does.
    void printInvoices();
    // "P&review Invoice Data": the three data previews of the invoices not yet printed.
    void previewInvoiceData();
    // "Pre&view Invoices": the invoices, job sheets and summary of the invoices not yet
    // printed, in preview.
    void previewInvoices();
    // "&View / Reprint Invoice": asks for an invoice number and previews that invoice and its
    // job sheets, whatever its printed flag.
    void viewReprintInvoice();

private:
    enum class Reply { Yes, No, Cancelled };
    Reply ask(const QString& question);
    // Runs `fileName` to the printer `copies` times, stopping at the first failure.
    void printCopies(const QString& fileName, int copies);
    // Empties invoice_temp, so that the invoice reports select the invoices not yet printed
    // rather than the last one chosen for reprint; false after showing the reason.
    bool selectUnprinted();
    bool closeFlags(QString* error);

    QSqlDatabase m_db;
    Dialogs& m_dialogs;
    ReportEngine& m_reports;
    QWidget* m_parent;
};

// The invoice number an answer asks for: the whole number at its start after any blanks,
// with an optional sign; 0 when it does not start with a number; nullopt when the number
// does not fit in 64 bits.
std::optional<std::int64_t> leadingInvoiceNumber(const QString& answer);

} // namespace velmora
