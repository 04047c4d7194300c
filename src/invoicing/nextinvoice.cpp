#include "nextinvoice.h"

#include "data/runlock.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlQuery>

#include <algorithm>

namespace velmora {

std::optional<InvoiceNumbering> readInvoiceNumbering(const QSqlDatabase& db, QString* error)
{
    // As the invoice run reads them: the first counter row, and past the highest invoice
    // when the counter is behind it.
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select (select invoice_number from invoice_numbers "
                            "order by rowid limit 1), (select max(invoice_no) "
                            "from invoice_header)"),
             {}, error) ||
        !query.next())
        return std::nullopt;
    InvoiceNumbering numbering;
    numbering.next = query.isNull(0) ? 0 : query.value(0).toLongLong() + 1;
    if (!query.isNull(1)) {
        numbering.lowest = query.value(1).toLongLong() + 1;
        numbering.next = std::max(numbering.next, numbering.lowest);
    }
    return numbering;
}

bool setNextInvoiceNumber(const QSqlDatabase& db, std::int64_t next, QString* error)
{
    // Not while a run at another desk is numbering invoices.
    const RunLock lock(db, RunKind::Invoices);
    if (!lock.held(error))
        return false;
    Transaction transaction(db);
    if (!transaction.begun(error))
        return false;
    const std::optional<InvoiceNumbering> numbering = readInvoiceNumbering(db, error);
    if (!numbering)
        return false;
    if (next == numbering->next)
        return true;
    if (next < numbering->lowest) {
        *error = numbering->lowest == 0
                     ? QObject::tr("The next invoice number cannot be below 0")
                     : QObject::tr("The next invoice number must be above %1, the highest "
                                   "invoice number issued")
                           .arg(numbering->lowest - 1);
        return false;
    }
    QSqlQuery query(db);
    const QVariantList last = {qlonglong(next - 1)};
    if (!run(query,
             QStringLiteral("update invoice_numbers set invoice_number = ? "
                            "where rowid = (select min(rowid) from invoice_numbers)"),
             last, error))
        return false;
    if (query.numRowsAffected() == 0 &&
        !run(query, QStringLiteral("insert into invoice_numbers (invoice_number) values (?)"), last,
             error))
        return false;
    return transaction.commit(error);
}

} // namespace velmora
