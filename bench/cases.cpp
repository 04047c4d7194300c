#include "cases.h"

namespace velmora::bench {

namespace {
// The preview may take this many milliseconds to show a report's first page.
constexpr double kFirstPageTarget = 500.0;
} // namespace

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = {
        {"load_board", setUpLoadBoard},
        {"load_job", setUpLoadJob},
        {"save_receipts", setUpSaveReceipts},
        {"save_receipts_untraced", setUpSaveReceiptsUntraced},
        {"open_job_screen", setUpOpenJobScreen},
        {"search_customer", setUpSearchCustomer},
        {"search_pattern", setUpSearchPattern},
        {"search_contains", setUpSearchContains},
        {"search_date", setUpSearchDate},
        {"search_driver", setUpSearchDriver},
        {"search_account", setUpSearchAccount, Rows::GrowWithFile},
        {"search_all", setUpSearchAll},
        {"csv_search_all", setUpSaveSearchCsv, Rows::GrowWithFile, 5},
        {"ledger_open", setUpOpenLedger, Rows::GrowWithFile},
        {"save_payment", setUpSavePayment},
        {"statement_run", setUpStatementRun, Rows::GrowWithFile},
        {"jobs_not_invoiced", setUpJobsNotInvoiced},
        {"jobs_without_costs", setUpJobsWithoutCosts},
        {"job_count", setUpJobCount, Rows::GrowWithFile},
        {"import_jobs", setUpImportJobs, Rows::GrowWithFile, 3},
        {"import_costs", setUpImportCosts, Rows::GrowWithFile, 3},
        {"export_accounts", setUpExportAccounts},
        {"remove_invoices", setUpRemoveInvoices, Rows::GrowWithFile, 3},
        {"invoice_backlog", setUpInvoiceBacklog, Rows::GrowWithFile, 3},
        {"invoice_month", setUpInvoiceMonth, Rows::GrowWithFile, 5},
        {"driver_pay_month", setUpDriverPayMonth},
        {"driver_pay_year", setUpDriverPayYear, Rows::GrowWithFile},
        {"profit_year", setUpProfitYear, Rows::GrowWithFile},
        {"profit_ten_years", setUpProfitTenYears, Rows::GrowWithFile},
        {"profit_and_loss", setUpProfitAndLoss, Rows::GrowWithFile},
        {"vat_return", setUpVatReturn, Rows::GrowWithFile},
        {"report_board", setUpReportBoard, Rows::Same, 1},
        {"report_vehicles", setUpReportVehicles, Rows::Same, 1},
        {"report_drivers_month", setUpReportDriversMonth, Rows::Same, 1},
        {"report_drivers_all", setUpReportDriversAll, Rows::GrowWithFile, 1, kWholeTarget, true},
        {"report_driver_income", setUpReportDriverIncome, Rows::GrowWithFile, 1},
        {"report_aged_debt", setUpReportAgedDebt, Rows::GrowWithFile, 1},
        {"report_first_page", setUpReportFirstPage, Rows::GrowWithFile, 3, kFirstPageTarget},
        {"check_audit_trail", setUpCheckAuditTrail, Rows::GrowWithFile, 3},
    };
    return all;
}

} // namespace velmora::bench
