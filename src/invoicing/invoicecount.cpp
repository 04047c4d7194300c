#include "invoicecount.h"

namespace velmora {

std::optional<WorkCount> countInvoiceRun(const QSqlDatabase& db, const InvoiceRunRange& range,
                                         QString* error)
{
    return countWork(db,
                     QStringLiteral("select count(*), count(distinct account_no) from jobs "
                                    "where account_no > 0 and account_no between ? and ? "
                                    "and invoiced = 'N' and exists (select 1 from Costs "
                                    "where Costs.jobnumber = jobs.job_id "
                                    "and Costs.job_prefix = jobs.job_prefix "
                                    "and Costs.income_expence = 'I')"),
                     {qint64(range.startAccount), qint64(range.endAccount)}, error);
}

} // namespace velmora
