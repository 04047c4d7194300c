#include "firmbilling.h"

#include "data/audit.h"
#include "data/dates.h"
#include "firmwriter.h"
#include "invoicing/invoicerun.h"

#include <string>

namespace velmora::firm {

namespace {

// Account jobs are held back ("H") and handed to the run a month at a time; each change
// counts in the job's row version.
constexpr const char* kHold = "update jobs set invoiced = 'H', row_version = row_version + 1, "
                              "row_changed_at = coalesce((SELECT stamp FROM audit_session), "
                              "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')) "
                              "where invoiced = 'N' and account_no > 0";
constexpr const char* kRelease = "update jobs set invoiced = 'N', row_version = row_version + 1, "
                                 "row_changed_at = coalesce((SELECT stamp FROM audit_session), "
                                 "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')) "
                                 "where invoiced = 'H' and date >= ? and date < ?";
// This month's jobs, and past ones without receipt lines, are still to invoice.
constexpr const char* kUnhold = "update jobs set invoiced = 'N', row_version = row_version + 1, "
                                "row_changed_at = coalesce((SELECT stamp FROM audit_session), "
                                "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')) "
                                "where invoiced = 'H'";
constexpr const char* kPrinted = "update invoice_header set printed = 'C' where printed = 'N'";
constexpr const char* kLinesPrinted =
    "update invoice_line set invoice_printed = 'C' where invoice_printed = 'N'";

bool execute(SqliteStatement& statement, QString* error)
{
    if (statement.execute())
        return true;
    *error = statement.error();
    return false;
}

bool run(sqlite3* handle, const char* sql, QString* error)
{
    SqliteStatement statement(handle, sql);
    return execute(statement, error);
}

} // namespace

bool billFirm(const QSqlDatabase& db, sqlite3* handle, const FirmOptions& options,
              const FirmProgress& progress, QString* error)
{
    const QDate thisMonth(options.today.year(), options.today.month(), 1);
    SqliteStatement first(handle, "select min(date) from jobs where account_no > 0");
    if (!first.next()) {
        *error = first.error();
        return false;
    }
    const QDate oldest = dateFromStored(QString::fromUtf8(first.text(0)));
    if (!oldest.isValid() || oldest >= thisMonth)
        return true;

    if (!run(handle, kHold, error))
        return false;

    SqliteStatement release(handle, kRelease);
    InvoiceRunRange range;
    range.startAccount = 1;
    range.endAccount = options.accounts;
    const QDate start(oldest.year(), oldest.month(), 1);
    const std::int64_t months =
        (thisMonth.year() - start.year()) * 12 + thisMonth.month() - start.month();
    std::int64_t done = 0;
    for (QDate month = start; month < thisMonth; month = month.addMonths(1)) {
        const std::string from = storedDate(month).toStdString();
        const std::string to = storedDate(month.addMonths(1)).toStdString();
        release.bind(1, from);
        release.bind(2, to);
        if (!execute(release, error))
            return false;
        // The firm runs its invoices on the evening of the month's last day.
        range.stamp = QDateTime(month.addMonths(1).addDays(-1), QTime(18, 0));
        const AuditTime at(db, range.stamp);
        InvoiceRunResult result;
        if (!runInvoicesInTransaction(db, range, &result, error) || !run(handle, kPrinted, error) ||
            !run(handle, kLinesPrinted, error))
            return false;
        if (progress)
            progress("invoices", ++done, months);
    }
    return run(handle, kUnhold, error);
}

} // namespace velmora::firm
