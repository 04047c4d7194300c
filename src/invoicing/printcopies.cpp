#include "printcopies.h"

#include "data/sql.h"

#include <QSqlQuery>

namespace velmora {

namespace {

int copiesOrOne(const QVariant& value)
{
    bool ok = false;
    const qlonglong copies = value.toLongLong(&ok);
    return ok && !value.isNull() ? int(qBound<qlonglong>(-1LL, copies, 99LL)) : 1;
}

} // namespace

std::optional<PrintCopies> loadPrintCopies(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select invoice_copies, driver_sheet_copies from invoice_prints "
                            "order by rowid limit 1"),
             {}, error))
        return std::nullopt;
    PrintCopies copies;
    if (query.next()) {
        copies.invoices = copiesOrOne(query.value(0));
        copies.jobSheets = copiesOrOne(query.value(1));
    }
    return copies;
}

bool savePrintCopies(const QSqlDatabase& db, const PrintCopies& copies, QString* error)
{
    Transaction transaction(db);
    QSqlQuery query(db);
    if (!transaction.begun(error) ||
        !run(query,
             QStringLiteral("update invoice_prints set invoice_copies = ?, driver_sheet_copies = ? "
                            "where rowid = (select min(rowid) from invoice_prints)"),
             {copies.invoices, copies.jobSheets}, error))
        return false;
    if (query.numRowsAffected() == 0 &&
        !run(query,
             QStringLiteral("insert into invoice_prints (invoice_copies, driver_sheet_copies) "
                            "values (?, ?)"),
             {copies.invoices, copies.jobSheets}, error))
        return false;
    return transaction.commit(error);
}

std::optional<int> parseCopies(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 2)
        return std::nullopt;
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return trimmed.toInt();
}

} // namespace velmora
