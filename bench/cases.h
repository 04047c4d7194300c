#pragma once

#include "harness.h"

#include <vector>

namespace velmora::bench {

// Every case, in the order they are reported (cases.cpp). A case is a setup function in
// a file of its own (the searches share one) and one line in the list.
const std::vector<Case>& cases();

// load_board: the board of outstanding jobs (boardcase.cpp).
std::optional<Timed> setUpLoadBoard(Fixture& fixture, QString* error);
// check_audit_trail: the audit trail read and its chain of hashes checked (auditcases.cpp).
std::optional<Timed> setUpCheckAuditTrail(Fixture& fixture, QString* error);
// load_job: a job with three receipt and three payment lines (loadjobcase.cpp).
std::optional<Timed> setUpLoadJob(Fixture& fixture, QString* error);
// save_receipts: seven receipt lines saved over the same job's, each changed, with the audit
// trail recording every change (savelinescase.cpp).
std::optional<Timed> setUpSaveReceipts(Fixture& fixture, QString* error);
// save_receipts_untraced: the same with the audit trail paused (savelinescase.cpp).
std::optional<Timed> setUpSaveReceiptsUntraced(Fixture& fixture, QString* error);
// open_job_screen: the job screen's lists of drivers, accounts and types
// (openscreencase.cpp).
std::optional<Timed> setUpOpenJobScreen(Fixture& fixture, QString* error);
// search_*: the job search by one criterion, or none, and its first batch of rows
// (searchcases.cpp).
std::optional<Timed> setUpSearchCustomer(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchPattern(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchContains(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchDate(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchDriver(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchAccount(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchAll(Fixture& fixture, QString* error);
// csv_search_all: the list of a search with every field empty saved as CSV, every job of
// the file (csvcase.cpp).
std::optional<Timed> setUpSaveSearchCsv(Fixture& fixture, QString* error);
// invoice_backlog, invoice_month: the invoice run over every account job never invoiced,
// and over last month's and this month's, each rolled back after (invoicecases.cpp).
std::optional<Timed> setUpInvoiceBacklog(Fixture& fixture, QString* error);
std::optional<Timed> setUpInvoiceMonth(Fixture& fixture, QString* error);

// ledger_open: the busiest account's history; save_payment: a payment recorded;
// statement_run: the statements of every account for a year (ledgercases.cpp).
std::optional<Timed> setUpOpenLedger(Fixture& fixture, QString* error);
std::optional<Timed> setUpSavePayment(Fixture& fixture, QString* error);
std::optional<Timed> setUpStatementRun(Fixture& fixture, QString* error);
// jobs_not_invoiced, jobs_without_costs: the first batch of each list; job_count: the jobs
// of a year (worklistcases.cpp).
std::optional<Timed> setUpJobsNotInvoiced(Fixture& fixture, QString* error);
std::optional<Timed> setUpJobsWithoutCosts(Fixture& fixture, QString* error);
std::optional<Timed> setUpJobCount(Fixture& fixture, QString* error);
// import_jobs, import_costs: transfer files of 100,000 jobs and of 250,000 cost lines
// imported; export_accounts: every account written to a transfer file; remove_invoices:
// the older half of the invoices removed with their jobs and costs (transfercases.cpp).
std::optional<Timed> setUpImportJobs(Fixture& fixture, QString* error);
std::optional<Timed> setUpImportCosts(Fixture& fixture, QString* error);
std::optional<Timed> setUpExportAccounts(Fixture& fixture, QString* error);
std::optional<Timed> setUpRemoveInvoices(Fixture& fixture, QString* error);
// driver_pay_*: the driver payment run over the last month or year of completed
// percentage jobs, rolled back after each run; profit_*: the profitability run over the
// last year or ten years (payrollcases.cpp).
std::optional<Timed> setUpDriverPayMonth(Fixture& fixture, QString* error);
std::optional<Timed> setUpDriverPayYear(Fixture& fixture, QString* error);
std::optional<Timed> setUpProfitYear(Fixture& fixture, QString* error);
std::optional<Timed> setUpProfitTenYears(Fixture& fixture, QString* error);
// profit_and_loss, vat_return: the profit and loss and the VAT return over the last ten
// years (accountantcases.cpp).
std::optional<Timed> setUpProfitAndLoss(Fixture& fixture, QString* error);
std::optional<Timed> setUpVatReturn(Fixture& fixture, QString* error);
// report_*: reports written to PDF as `velmora-cli report` writes them: the paging board,
// the vehicles, the drivers' jobs of the last whole month and of the whole file, income by
// driver and aged debt; report_first_page: the whole file's drivers' jobs until the
// preview's first page is painted (reportcases.cpp).
std::optional<Timed> setUpReportBoard(Fixture& fixture, QString* error);
std::optional<Timed> setUpReportVehicles(Fixture& fixture, QString* error);
std::optional<Timed> setUpReportDriversMonth(Fixture& fixture, QString* error);
std::optional<Timed> setUpReportDriversAll(Fixture& fixture, QString* error);
std::optional<Timed> setUpReportDriverIncome(Fixture& fixture, QString* error);
std::optional<Timed> setUpReportAgedDebt(Fixture& fixture, QString* error);
std::optional<Timed> setUpReportFirstPage(Fixture& fixture, QString* error);

} // namespace velmora::bench
