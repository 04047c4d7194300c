#include "invoiceremoval.h"

#include "data/audit.h"
#include "data/batchcache.h"
#include "data/fault.h"
#include "data/readonly.h"
#include "data/rowversion.h"
#include "data/runlock.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

namespace velmora::exchange {

namespace {

// The invoices going, and the jobs on their lines by prefix and number. A line whose
// invoice does not exist is not an old invoice's line.
const QString kOldInvoices =
    QStringLiteral("in (select invoice_no from invoice_header where invoice_no < ?)");
const QString kOnOldLines = QStringLiteral("in (select job_prefix, job_id from invoice_line "
                                           "where invoice_no ") +
                            kOldInvoices + u')';

const QString kCostsGoing =
    QStringLiteral("from costs where (job_prefix, jobnumber) ") + kOnOldLines;
const QString kJobsGoing = QStringLiteral("from jobs where (job_prefix, job_id) ") + kOnOldLines;
const QString kLinesGoing = QStringLiteral("from invoice_line where invoice_no ") + kOldInvoices;
const QString kHeadersGoing = QStringLiteral("from invoice_header where invoice_no < ?");

// The four sets in the order they are removed: cost lines and jobs before the lines that
// name them.
const std::pair<const QString*, qint64 RemovalCounts::*> kGoing[] = {
    {&kCostsGoing, &RemovalCounts::costs},
    {&kJobsGoing, &RemovalCounts::jobs},
    {&kLinesGoing, &RemovalCounts::lines},
    {&kHeadersGoing, &RemovalCounts::headers},
};

} // namespace

std::optional<qint64> parseInvoiceNumber(const QString& text)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

std::optional<RemovalCounts> countOldInvoices(const QSqlDatabase& db, qint64 firstKept,
                                              QString* error)
{
    RemovalCounts counts;
    QSqlQuery query(db);
    for (const auto& [from, count] : kGoing) {
        if (!run(query, QStringLiteral("select count(*) ") + *from, {firstKept}, error) ||
            !query.next())
            return std::nullopt;
        counts.*count = query.value(0).toLongLong();
    }
    return counts;
}

std::optional<RemovalCounts> removeOldInvoices(const QSqlDatabase& db, qint64 firstKept,
                                               QString* error)
{
    const RunLock lock(db, RunKind::Exchange);
    if (!lock.held(error))
        return std::nullopt;
    const BatchCache cache(db);
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error =
            QObject::tr("The removal could not begin a transaction: %1").arg(connectionFault(db));
        return std::nullopt;
    }
    const AuditPause pause(db);
    RemovalCounts counts;
    QSqlQuery query(db);
    // Each account keeps the value of its invoices going, which its payments still answer.
    if (!run(query,
             QStringLiteral("update accounts set removed_invoiced = removed_invoiced + "
                            "(select sum(h.net_value) from invoice_header h "
                            "where h.account_no = accounts.account_id and h.invoice_no < ?), ") +
                 versionBump() +
                 QStringLiteral(" where account_id in (select account_no from invoice_header "
                                "where invoice_no < ?)"),
             {firstKept, changeStamp(db), firstKept}, error))
        return std::nullopt;
    for (const auto& [from, count] : kGoing) {
        if (!run(query, QStringLiteral("delete ") + *from, {firstKept}, error))
            return std::nullopt;
        counts.*count = query.numRowsAffected();
    }
    if (!writeRunEntry(db, QStringLiteral("removal"),
                       QStringLiteral("before invoice %1").arg(firstKept),
                       {{QStringLiteral("invoices"), counts.headers},
                        {QStringLiteral("invoice lines"), counts.lines},
                        {QStringLiteral("jobs"), counts.jobs},
                        {QStringLiteral("cost lines"), counts.costs}},
                       error) ||
        !transaction.commit(error))
        return std::nullopt;
    return counts;
}

} // namespace velmora::exchange
