#pragma once

#include "mailsettings.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

class MailTransport;
class WorkProgress;

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

// An invoice that was not sent, and why.
struct MailFailure
{
    MailedInvoice invoice;
    QString answer; // the server's answer, or why it was never asked
};

struct InvoiceMailResult
{
    QList<MailedInvoice> sent;
    QList<MailFailure> failures;
    QList<MailedInvoice> withoutAddress; // to print instead
    QList<MailedInvoice> unsure;         // a send was begun by a run that stopped
    bool cancelled = false;
};

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

// The lines that tell the operator about a run: an invoice sent, one not sent with the server's
// answer, one not sent again because a run that stopped had begun it, one to print, and
// the counts ("3 sent, 0 not sent, 1 to print").
QString sentNote(const MailedInvoice& invoice);
QString notSentNote(const MailFailure& failure);
QString notSentAgainNote(const MailedInvoice& invoice);
QString toPrintNote(const MailedInvoice& invoice);
QString mailRunSummary(const InvoiceMailResult& result);

// The invoice `invoice` as it prints, as PDF bytes; empty with the reason in *error.
QByteArray invoicePdf(const QSqlDatabase& db, qint64 invoice, QString* error);

} // namespace velmora
