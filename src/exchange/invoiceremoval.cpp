#include "invoiceremoval.h"

#include "data/batchcache.h"
#include "data/sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace velmora::exchange {

namespace {

// The jobs on the lines of the invoices going, by prefix and number.
const QString kOnOldLines =
    QStringLiteral("in (select job_prefix, job_id from invoice_line where invoice_no < ?)");

const QString kCostsGoing =
    QStringLiteral("from costs where (job_prefix, jobnumber) ") + kOnOldLines;
const QString kJobsGoing = QStringLiteral("from jobs where (job_prefix, job_id) ") + kOnOldLines;
const QString kLinesGoing = QStringLiteral("from invoice_line where invoice_no < ?");
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
    const BatchCache cache(db);
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = db.lastError().text();
        return std::nullopt;
    }
    RemovalCounts counts;
    QSqlQuery query(db);
    for (const auto& [from, count] : kGoing) {
        if (!run(query, QStringLiteral("delete ") + *from, {firstKept}, error))
            return std::nullopt;
        counts.*count = query.numRowsAffected();
    }
    if (!transaction.commit(error))
        return std::nullopt;
    return counts;
}

} // namespace velmora::exchange
