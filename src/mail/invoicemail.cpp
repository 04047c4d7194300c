#include "invoicemail.h"

#include "data/dates.h"
#include "data/money.h"
#include "data/sql.h"

#include <QObject>

namespace velmora {

QString describe(const MailedInvoice& invoice)
{
    return QObject::tr("invoice %1 (%2, %3)")
        .arg(invoice.invoice)
        .arg(invoice.account, Money::fromStored(invoice.amount).toString());
}

std::optional<InvoiceMailResult> invoicesToMail(const QSqlDatabase& db,
                                                const InvoiceMailRange& range,
                                                QList<MailedInvoice>* toSend, QString* error)
{
    const bool ranged = range.from || range.to;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select h.invoice_no, coalesce(a.account_name, ''), "
                            "coalesce(trim(a.invoice_email), ''), h.net_value, h.date, "
                            "h.email_begun_at from invoice_header h "
                            "left join accounts a on a.account_id = h.account_no "
                            "where h.emailed_at is null and %1 order by h.invoice_no")
                 .arg(ranged ? QStringLiteral("h.invoice_no between ? and ?")
                             : QStringLiteral("h.printed = 'N'")),
             ranged ? QVariantList{range.from.value_or(0),
                                   range.to.value_or(std::numeric_limits<qint64>::max())}
                    : QVariantList{},
             error))
        return std::nullopt;
    InvoiceMailResult result;
    while (query.next()) {
        const MailedInvoice invoice{query.value(0).toLongLong(),
                                    query.value(1).toString().trimmed(), query.value(2).toString(),
                                    query.value(3).toLongLong(), query.value(4).toString()};
        if (!query.value(5).isNull())
            result.unsure.append(invoice);
        else if (invoice.address.isEmpty())
            result.withoutAddress.append(invoice);
        else
            toSend->append(invoice);
    }
    return result;
}

QString invoiceSubject(const MailedInvoice& invoice, const QString& firm)
{
    return firm.isEmpty() ? QObject::tr("Invoice %1").arg(invoice.invoice)
                          : QObject::tr("Invoice %1 from %2").arg(invoice.invoice).arg(firm);
}

QString invoiceCoveringText(const MailedInvoice& invoice, const QString& firm)
{
    const QDate date = dateFromStored(invoice.date.left(10));
    QString text = QObject::tr("Dear %1,\n\nPlease find attached our invoice %2")
                       .arg(invoice.account)
                       .arg(invoice.invoice);
    if (date.isValid())
        text += QObject::tr(" of %1").arg(ukDate(date));
    text += QObject::tr(" for %1.\n\nThank you for your custom.\n")
                .arg(Money::fromStored(invoice.amount).toString());
    if (!firm.isEmpty())
        text += QStringLiteral("\n%1\n").arg(firm);
    return text;
}

QByteArray invoicePdf(const QSqlDatabase& db, qint64 invoice, QString* error)
{
    return reportPdf(
        db, QStringLiteral("invoice.rpt"),
        {{QStringLiteral("delete from invoice_temp"), {}},
         {QStringLiteral("insert into invoice_temp (invoice_no) values (?)"), {invoice}}},
        error);
}

std::optional<InvoiceMailResult>
emailInvoices(const QSqlDatabase& db, const InvoiceMailRange& range, const MailSettings& settings,
              MailTransport& transport, WorkProgress& progress, QString* error)
{
    QList<MailedInvoice> toSend;
    auto result = invoicesToMail(db, range, &toSend, error);
    if (!result)
        return std::nullopt;
    const QString firm = firmName(db);
    const MailRun mail = mailRun(
        db, settings, firm, transport, progress,
        {QStringLiteral("update invoice_header set email_begun_at = ? where invoice_no = ? and "
                        "emailed_at is null and email_begun_at is null"),
         QStringLiteral("update invoice_header set email_begun_at = null where invoice_no = ?"),
         QStringLiteral("update invoice_header set emailed_at = ?, emailed_to = ?, "
                        "email_begun_at = null where invoice_no = ?"),
         QObject::tr("another run is sending this invoice")});
    sendEach(
        mail, toSend,
        [&](const MailedInvoice& invoice, OutgoingMail* out, QString* why) {
            out->subject = invoiceSubject(invoice, firm);
            out->text = invoiceCoveringText(invoice, firm);
            out->attachmentName = QStringLiteral("invoice-%1.pdf").arg(invoice.invoice);
            out->attachment = invoicePdf(db, invoice.invoice, why);
        },
        [](const MailedInvoice& invoice) { return QVariantList{invoice.invoice}; }, &*result);
    return result;
}

} // namespace velmora
