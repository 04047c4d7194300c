#include "cases.h"

namespace velmora::bench {

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = {
        {"load_board", setUpLoadBoard},
        {"load_job", setUpLoadJob},
        {"save_receipts", setUpSaveReceipts},
        {"open_job_screen", setUpOpenJobScreen},
        {"search_customer", setUpSearchCustomer},
        {"search_pattern", setUpSearchPattern},
        {"search_contains", setUpSearchContains},
        {"search_date", setUpSearchDate},
        {"search_driver", setUpSearchDriver},
        {"search_account", setUpSearchAccount, Rows::GrowWithFile},
        {"search_all", setUpSearchAll},
        {"ledger_open", setUpOpenLedger, Rows::GrowWithFile},
        {"save_payment", setUpSavePayment},
        {"statement_run", setUpStatementRun, Rows::GrowWithFile},
        {"jobs_not_invoiced", setUpJobsNotInvoiced},
        {"jobs_without_costs", setUpJobsWithoutCosts},
        {"job_count", setUpJobCount, Rows::GrowWithFile},
        {"import_jobs", setUpImportJobs, Rows::Same, 3},
        {"import_costs", setUpImportCosts, Rows::Same, 3},
        {"export_accounts", setUpExportAccounts},
        {"remove_invoices", setUpRemoveInvoices, Rows::GrowWithFile, 3},
        {"invoice_backlog", setUpInvoiceBacklog, Rows::GrowWithFile, 3},
        {"invoice_month", setUpInvoiceMonth, Rows::GrowWithFile, 5},
        {"driver_pay_month", setUpDriverPayMonth},
        {"driver_pay_year", setUpDriverPayYear, Rows::GrowWithFile},
        {"profit_year", setUpProfitYear, Rows::GrowWithFile},
        {"profit_ten_years", setUpProfitTenYears, Rows::GrowWithFile},
    };
    return all;
}

} // namespace velmora::bench
