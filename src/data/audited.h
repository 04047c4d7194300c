#pragma once

#include <QStringView>

namespace velmora {

// A table whose changes the audit trail records: how its key and its job read from a row R.
struct Audited
{
    const char* table;
    const char* key;
    const char* job = nullptr;
    // A column the table's own trigger fills just after an insert: the insert is recorded
    // when it is filled.
    const char* numbered = nullptr;
    // A column recorded only as changed, never by value (a password's hash).
    const char* secret = nullptr;
};

// Columns the trail leaves out: a row's version and the moment of its last change, which
// every change counts up and stamps and the entries' own order and time already tell.
inline bool isUnaudited(QStringView column)
{
    return column == u"row_version" || column == u"row_changed_at";
}

inline constexpr Audited kAudited[] = {
    {"jobs", "R.job_prefix || R.job_id", "R.job_prefix || R.job_id", "job_id"},
    {"Costs", "R.rowid", "R.job_prefix || R.jobnumber"},
    {"credit_notes", "R.credit_note_no", "R.job_prefix || R.job_no"},
    {"receipts", "R.rowid"},
    {"invoice_header", "R.invoice_no"},
    {"statement_email", "R.account_id || ' ' || R.statement_date"},
    {"invoice_line", "R.seq", "R.job_prefix || R.job_id"},
    {"driver_wages", "R.rowid", "R.job_prefix || R.job_id"},
    {"accounts", "R.account_id"},
    {"addresses", "R.address_id"},
    {"drivers", "R.driver_id"},
    {"vehicles", "R.reg_no"},
    {"company", "R.rowid"},
    {"passwords", "R.user_name", nullptr, nullptr, "Password"},
    {"invoice_prints", "R.rowid"},
    {"invoice_numbers", "R.rowid"},
    {"operational_cost", "R.opcost_id"},
    {"vehicle_types", "R.vehicletypeid"},
    {"payment_types", "R.paymenttypeid"},
    {"receipt_types", "R.receipttypeid"},
};

} // namespace velmora
