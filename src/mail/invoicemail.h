#pragma once

#include "mailrun.h"
#include "mailsettings.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// The invoices an e-mail run takes: those numbered from `from` to `to` that were never
// sent; with neither, the invoices not yet printed (those of the last invoice run).
struct InvoiceMailRange
{
    std::optional<qint64> from;
    std::optional<qint64> to;
};

// One invoice, its account and where it goes.
struct MailedInvoice
{
    qint64 invoice = 0;
    QString account;
    QString address;
    qint64 amount = 0; // ten-thousandths
    QString date;      // stored
};

using MailFailure = NotSent<MailedInvoice>;
using InvoiceMailResult = MailRunResult<MailedInvoice>;

// The invoice in words for the notes of a run: "invoice 12 (Acme, 1,234.50)".
QString describe(const MailedInvoice& invoice);

// The invoices of `range` an e-mail run would take, and those it would leave for
// printing (no address) or for the operator (begun by a run that stopped); nullopt with
// the reason in *error.
std::optional<InvoiceMailResult> invoicesToMail(const QSqlDatabase& db,
                                                const InvoiceMailRange& range,
                                                QList<MailedInvoice>* toSend, QString* error);

// The subject and covering text of the mail that carries `invoice` from the firm `firm`.
QString invoiceSubject(const MailedInvoice& invoice, const QString& firm);
QString invoiceCoveringText(const MailedInvoice& invoice, const QString& firm);

// E-mails each invoice of `range` whose account has an address as a PDF (the invoice as
// it prints) through `transport`, from the sender of `settings`. Each send is marked begun
// before the server is asked and recorded (when and to whom) once it has taken the
// message; a refused send is marked as never sent and the rest carry on. Progress goes to
// `progress`, which may stop the run between invoices. Returns nullopt with the reason in
// *error when the run could not start (the database); every invoice's own failure is in
// the result.
std::optional<InvoiceMailResult>
emailInvoices(const QSqlDatabase& db, const InvoiceMailRange& range, const MailSettings& settings,
              MailTransport& transport, WorkProgress& progress, QString* error);

// The invoice `invoice` as it prints, as PDF bytes; empty with the reason in *error.
QByteArray invoicePdf(const QSqlDatabase& db, qint64 invoice, QString* error);

} // namespace velmora
