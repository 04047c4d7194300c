#include "invoicemail.h"

#include "data/dates.h"
#include "data/money.h"
#include "data/sql.h"
#include "mailtransport.h"
#include "platform/workprogress.h"
#include "reports/reportfolder.h"
#include "reports/reportjob.h"

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>

namespace velmora {

namespace {

QString firmName(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (run(query, QStringLiteral("select company_Name from company limit 1")) && query.next())
        return query.value(0).toString().trimmed();
    return {};
}

QString now() { return storedStamp(QDateTime::currentDateTime()); }

// Sets the invoice's columns with `sql` (its number the last value); false with the
// reason in *error, or when no row changed.
bool mark(const QSqlDatabase& db, const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, sql, values, error))
        return false;
    if (query.numRowsAffected() == 1)
        return true;
    *error = QObject::tr("another run is sending this invoice");
    return false;
}

QString described(const MailedInvoice& invoice)
{
    return QObject::tr("invoice %1 (%2, %3)")
        .arg(invoice.invoice)
        .arg(invoice.account, Money::fromStored(invoice.amount).toString());
}

} // namespace

QString sentNote(const MailedInvoice& invoice)
{
    return QObject::tr("Sent %1 to %2").arg(described(invoice), invoice.address);
}

QString notSentNote(const MailFailure& failure)
{
    return QObject::tr("Not sent: %1 to %2: %3")
        .arg(described(failure.invoice), failure.invoice.address, failure.answer);
}

QString notSentAgainNote(const MailedInvoice& invoice)
{
    return QObject::tr("Not sent again: %1 to %2 was being sent when a run stopped; check "
                       "whether it arrived")
        .arg(described(invoice), invoice.address);
}

QString toPrintNote(const MailedInvoice& invoice)
{
    return QObject::tr("To print (no e-mail address): %1").arg(described(invoice));
}

QString mailRunSummary(const InvoiceMailResult& result)
{
    return QObject::tr("%1 sent, %2 not sent, %3 to print")
        .arg(result.sent.size())
        .arg(result.failures.size())
        .arg(result.withoutAddress.size());
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
    QTemporaryDir folder;
    if (!folder.isValid()) {
        *error = folder.errorString();
        return {};
    }
    const QString path = folder.filePath(QStringLiteral("invoice.pdf"));
    // The invoice is chosen for the report only while it is rendered.
    Transaction chosen(db);
    QSqlQuery query(db);
    if (!chosen.begun(error) ||
        !run(query, QStringLiteral("delete from invoice_temp"), {}, error) ||
        !run(query, QStringLiteral("insert into invoice_temp (invoice_no) values (?)"), {invoice},
             error))
        return {};
    reports::ReportRequest request;
    request.reportPath = reports::reportPath(QStringLiteral("invoice.rpt"));
    request.databasePath = db.databaseName();
    request.connection = db;
    reports::PdfFileOutput output(path, {db.databaseName(), {request.reportPath}, false});
    reports::ReportControl control;
    const reports::ReportError failed = reports::runReportJob(request, output, control);
    if (failed.number != 0) {
        *error = failed.text;
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    return file.readAll();
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
    const QString sender = settings.fromName.isEmpty() ? firm : settings.fromName;
    for (qsizetype done = 0; done < toSend.size(); ++done) {
        if (!progress.advance(done, toSend.size())) {
            result->cancelled = true;
            break;
        }
        const MailedInvoice& invoice = toSend.at(done);
        QString why;
        const QByteArray pdf = invoicePdf(db, invoice.invoice, &why);
        if (pdf.isEmpty() ||
            !mark(db,
                  QStringLiteral("update invoice_header set email_begun_at = ? where invoice_no "
                                 "= ? and emailed_at is null and email_begun_at is null"),
                  {now(), invoice.invoice}, &why)) {
            result->failures.append({invoice, why});
            continue;
        }
        const OutgoingMail mail{settings.fromAddress,
                                sender,
                                invoice.address,
                                invoiceSubject(invoice, firm),
                                invoiceCoveringText(invoice, firm),
                                QStringLiteral("invoice-%1.pdf").arg(invoice.invoice),
                                pdf};
        if (!transport.send(mail, &why)) {
            QString unmarked;
            if (!mark(db,
                      QStringLiteral("update invoice_header set email_begun_at = null where "
                                     "invoice_no = ?"),
                      {invoice.invoice}, &unmarked))
                why += QStringLiteral("; ") + unmarked;
            result->failures.append({invoice, why});
            continue;
        }
        // Sent: a failure to record it leaves the send begun, so it is never sent again.
        if (!mark(db,
                  QStringLiteral("update invoice_header set emailed_at = ?, emailed_to = ?, "
                                 "email_begun_at = null where invoice_no = ?"),
                  {now(), invoice.address, invoice.invoice}, &why)) {
            result->failures.append(
                {invoice, QObject::tr("sent, but not recorded as sent: %1").arg(why)});
            continue;
        }
        result->sent.append(invoice);
    }
    if (!result->cancelled)
        progress.advance(toSend.size(), toSend.size());
    return result;
}

} // namespace velmora
