#include "schema.h"

#include "database.h"
#include "dialect.h"
#include "schemastamp.h"
#include "serveraudit.h"
#include "serverdatabase.h"
#include "serverschema.h"
#include "sql.h"

#include <QSqlQuery>
#include <QStringList>

#include <map>
#include <vector>

namespace velmora {

namespace {

// Migration 1: the firm's whole data model. Money columns hold ten-thousandths as
// INTEGER, dates ISO text, yes/no 0 or 1; every text column compares without case.
const QStringList kInitialSchema = {
    QStringLiteral(R"(CREATE TABLE jobs (
        job_prefix TEXT COLLATE NOCASE NOT NULL DEFAULT 'A',
        job_id INTEGER,
        date TEXT COLLATE NOCASE,
        time TEXT COLLATE NOCASE,
        time_text TEXT COLLATE NOCASE,
        passenger_name TEXT COLLATE NOCASE,
        address_from TEXT COLLATE NOCASE,
        address_to TEXT COLLATE NOCASE,
        account_no INTEGER NOT NULL DEFAULT 0,
        driver INTEGER,
        passengers INTEGER NOT NULL DEFAULT 0,
        payment_type INTEGER,
        invoiced TEXT COLLATE NOCASE,
        vehicle_type INTEGER,
        special_instructions TEXT COLLATE NOCASE,
        record_status TEXT COLLATE NOCASE,
        invoice_no INTEGER,
        acc_ref TEXT COLLATE NOCASE,
        costed_code TEXT COLLATE NOCASE,
        std_job INTEGER NOT NULL DEFAULT 0,
        driver_percentage TEXT COLLATE NOCASE NOT NULL DEFAULT 'N',
        calculated TEXT COLLATE NOCASE NOT NULL DEFAULT 'N'))"),
    // The job number counter runs over the whole table whatever the prefix and never
    // hands out a number twice, even after the highest job is removed. Rows that bring
    // their own number (transfer imports) move the counter past it.
    QStringLiteral("CREATE TABLE job_counter (last INTEGER NOT NULL)"),
    QStringLiteral("INSERT INTO job_counter (last) VALUES (0)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_number AFTER INSERT ON jobs WHEN NEW.job_id IS NULL
        BEGIN
            UPDATE job_counter SET last = max(last, coalesce((SELECT max(job_id) FROM jobs), 0)) + 1;
            UPDATE jobs SET job_id = (SELECT last FROM job_counter) WHERE rowid = NEW.rowid;
        END)"),
    QStringLiteral("CREATE UNIQUE INDEX jobs_key ON jobs (job_prefix, job_id)"),
    QStringLiteral("CREATE INDEX jobs_number_only ON jobs (job_id)"),
    QStringLiteral("CREATE INDEX jobs_board ON jobs (date, time) WHERE record_status <> 'C'"),
    QStringLiteral("CREATE INDEX jobs_date ON jobs (date, time)"),
    QStringLiteral("CREATE INDEX jobs_passenger ON jobs (passenger_name)"),
    QStringLiteral("CREATE INDEX jobs_driver ON jobs (driver)"),
    QStringLiteral("CREATE INDEX jobs_account ON jobs (account_no, invoiced)"),

    QStringLiteral(R"(CREATE TABLE Costs (
        job_prefix TEXT COLLATE NOCASE NOT NULL DEFAULT 'A',
        jobnumber INTEGER NOT NULL,
        costtype INTEGER NOT NULL,
        income_expence TEXT COLLATE NOCASE NOT NULL,
        description TEXT COLLATE NOCASE,
        gross_cost INTEGER NOT NULL DEFAULT 0,
        discount INTEGER NOT NULL DEFAULT 0,
        discount_value INTEGER NOT NULL DEFAULT 0,
        net_cost INTEGER NOT NULL DEFAULT 0,
        vat TEXT COLLATE NOCASE NOT NULL DEFAULT 'N',
        vat_value INTEGER NOT NULL DEFAULT 0,
        logical_delete TEXT COLLATE NOCASE NOT NULL DEFAULT 'N'))"),
    QStringLiteral("CREATE INDEX costs_job ON Costs (job_prefix, jobnumber, income_expence)"),

    QStringLiteral(R"(CREATE TABLE credit_notes (
        credit_note_no INTEGER PRIMARY KEY AUTOINCREMENT,
        job_no INTEGER,
        job_prefix TEXT COLLATE NOCASE,
        account_no INTEGER,
        refund_reason TEXT COLLATE NOCASE,
        refund_amount_gross INTEGER NOT NULL DEFAULT 0,
        refund_amount_discount INTEGER NOT NULL DEFAULT 0,
        refund_amount_vat INTEGER NOT NULL DEFAULT 0,
        refund_amount_net INTEGER NOT NULL DEFAULT 0,
        refund_date TEXT COLLATE NOCASE,
        processed TEXT COLLATE NOCASE))"),
    QStringLiteral("CREATE INDEX credit_notes_job ON credit_notes (job_prefix, job_no)"),

    QStringLiteral(R"(CREATE TABLE accounts (
        account_id INTEGER PRIMARY KEY AUTOINCREMENT,
        address_id INTEGER,
        account_name TEXT COLLATE NOCASE,
        nickname TEXT COLLATE NOCASE,
        contact_name TEXT COLLATE NOCASE,
        account_balance INTEGER NOT NULL DEFAULT 0,
        invoice_type TEXT COLLATE NOCASE,
        account_ref TEXT COLLATE NOCASE,
        cost_code TEXT COLLATE NOCASE))"),
    QStringLiteral("CREATE INDEX accounts_name ON accounts (account_name)"),

    QStringLiteral(R"(CREATE TABLE addresses (
        address_id INTEGER PRIMARY KEY AUTOINCREMENT,
        address_line1 TEXT COLLATE NOCASE,
        address_line2 TEXT COLLATE NOCASE,
        address_line3 TEXT COLLATE NOCASE,
        address_town TEXT COLLATE NOCASE,
        address_county TEXT COLLATE NOCASE,
        address_postcode1 TEXT COLLATE NOCASE,
        address_postcode2 TEXT COLLATE NOCASE,
        address_phone1 TEXT COLLATE NOCASE,
        address_phone2 TEXT COLLATE NOCASE,
        address_phone3 TEXT COLLATE NOCASE,
        address_type INTEGER))"),
    QStringLiteral(R"(CREATE TABLE address_types (
        addresstypeid INTEGER PRIMARY KEY AUTOINCREMENT,
        addresstype TEXT COLLATE NOCASE))"),

    QStringLiteral(R"(CREATE TABLE drivers (
        driver_id INTEGER PRIMARY KEY AUTOINCREMENT,
        address_id INTEGER,
        driver_name TEXT COLLATE NOCASE,
        contact_name TEXT COLLATE NOCASE,
        licence_number TEXT COLLATE NOCASE,
        self_employed INTEGER NOT NULL DEFAULT 0,
        barred INTEGER NOT NULL DEFAULT 0,
        driver_percentage INTEGER NOT NULL DEFAULT 0))"),
    QStringLiteral("CREATE INDEX drivers_name ON drivers (driver_name)"),

    QStringLiteral(R"(CREATE TABLE vehicles (
        reg_no TEXT COLLATE NOCASE PRIMARY KEY,
        vehicle_type INTEGER,
        driver_id INTEGER,
        first_reg TEXT COLLATE NOCASE,
        policy TEXT COLLATE NOCASE,
        driver_owned TEXT COLLATE NOCASE,
        road_tax TEXT COLLATE NOCASE,
        plated TEXT COLLATE NOCASE,
        insurance TEXT COLLATE NOCASE,
        capacity INTEGER))"),
    QStringLiteral(R"(CREATE TABLE vehicle_types (
        vehicletypeid INTEGER PRIMARY KEY AUTOINCREMENT,
        vehicledescription TEXT COLLATE NOCASE))"),
    QStringLiteral(R"(CREATE TABLE payment_types (
        paymenttypeid INTEGER PRIMARY KEY AUTOINCREMENT,
        paymentdescription TEXT COLLATE NOCASE))"),
    QStringLiteral(R"(CREATE TABLE receipt_types (
        receipttypeid INTEGER PRIMARY KEY AUTOINCREMENT,
        paymenttype TEXT COLLATE NOCASE))"),

    QStringLiteral(R"(CREATE TABLE company (
        company_id INTEGER,
        company_Name TEXT COLLATE NOCASE,
        company_heading TEXT COLLATE NOCASE,
        company_addr1 TEXT COLLATE NOCASE,
        company_addr2 TEXT COLLATE NOCASE,
        company_town TEXT COLLATE NOCASE,
        company_county TEXT COLLATE NOCASE,
        company_postcode1 TEXT COLLATE NOCASE,
        company_postcode2 TEXT COLLATE NOCASE,
        company_tel1 TEXT COLLATE NOCASE,
        company_tel2 TEXT COLLATE NOCASE,
        company_tel3 TEXT COLLATE NOCASE,
        company_mobile1 TEXT COLLATE NOCASE,
        company_mobile2 TEXT COLLATE NOCASE,
        company_e_mail TEXT COLLATE NOCASE,
        company_registration TEXT COLLATE NOCASE,
        company_vat TEXT COLLATE NOCASE))"),

    // Password holds an Argon2id hash string, never the password as typed.
    QStringLiteral(R"(CREATE TABLE passwords (
        user_name TEXT COLLATE NOCASE NOT NULL UNIQUE,
        Password TEXT NOT NULL,
        security_level TEXT COLLATE NOCASE))"),

    QStringLiteral(R"(CREATE TABLE invoice_header (
        invoice_no INTEGER PRIMARY KEY,
        date TEXT COLLATE NOCASE,
        account_no INTEGER,
        company_id INTEGER,
        gross_value INTEGER NOT NULL DEFAULT 0,
        discount_value INTEGER NOT NULL DEFAULT 0,
        vat_value INTEGER NOT NULL DEFAULT 0,
        net_value INTEGER NOT NULL DEFAULT 0,
        credit_note_value INTEGER NOT NULL DEFAULT 0,
        discount_allowed INTEGER NOT NULL DEFAULT 0,
        printed TEXT COLLATE NOCASE NOT NULL DEFAULT 'N',
        invoice_type TEXT COLLATE NOCASE NOT NULL DEFAULT 'S',
        date_paid TEXT COLLATE NOCASE,
        amount_paid INTEGER NOT NULL DEFAULT 0))"),
    QStringLiteral("CREATE INDEX invoice_header_account ON invoice_header (account_no)"),
    QStringLiteral(R"(CREATE TABLE invoice_line (
        seq INTEGER PRIMARY KEY AUTOINCREMENT,
        invoice_no INTEGER,
        job_id INTEGER,
        job_prefix TEXT COLLATE NOCASE,
        details TEXT COLLATE NOCASE,
        line_cost_excl_vat INTEGER NOT NULL DEFAULT 0,
        line_cost_vat INTEGER NOT NULL DEFAULT 0,
        line_cost_discount INTEGER NOT NULL DEFAULT 0,
        line_cost_net INTEGER NOT NULL DEFAULT 0,
        credit_note_value INTEGER NOT NULL DEFAULT 0,
        invoice_printed TEXT COLLATE NOCASE NOT NULL DEFAULT 'N'))"),
    QStringLiteral("CREATE INDEX invoice_line_invoice ON invoice_line (invoice_no)"),
    QStringLiteral("CREATE INDEX invoice_line_job ON invoice_line (job_prefix, job_id)"),
    QStringLiteral("CREATE TABLE invoice_numbers (invoice_number INTEGER NOT NULL)"),
    QStringLiteral(R"(CREATE TABLE invoice_prints (
        invoice_copies INTEGER NOT NULL DEFAULT 1,
        driver_sheet_copies INTEGER NOT NULL DEFAULT 1))"),
    QStringLiteral(
        "INSERT INTO invoice_prints (invoice_copies, driver_sheet_copies) VALUES (1, 1)"),
    QStringLiteral("CREATE TABLE invoice_temp (invoice_no INTEGER)"),

    QStringLiteral(R"(CREATE TABLE receipts (
        account_no INTEGER,
        invoice_number INTEGER,
        invoice_net_cost INTEGER NOT NULL DEFAULT 0,
        date_raised TEXT COLLATE NOCASE,
        amount_received INTEGER NOT NULL DEFAULT 0,
        date_received TEXT COLLATE NOCASE))"),
    QStringLiteral("CREATE INDEX receipts_invoice ON receipts (invoice_number)"),
    QStringLiteral("CREATE INDEX receipts_account ON receipts (account_no)"),

    QStringLiteral(R"(CREATE TABLE account_print (
        account_id INTEGER,
        account_name TEXT COLLATE NOCASE,
        address_line1 TEXT COLLATE NOCASE,
        address_line2 TEXT COLLATE NOCASE,
        address_line3 TEXT COLLATE NOCASE,
        town TEXT COLLATE NOCASE,
        county TEXT COLLATE NOCASE,
        postcode1 TEXT COLLATE NOCASE,
        postcode2 TEXT COLLATE NOCASE,
        contact_name TEXT COLLATE NOCASE,
        phone1 TEXT COLLATE NOCASE,
        account_balance INTEGER,
        invoice_no INTEGER,
        date TEXT COLLATE NOCASE,
        net_cost INTEGER,
        vat_cost INTEGER,
        gross_cost INTEGER,
        date_received TEXT COLLATE NOCASE,
        amount_received INTEGER))"),

    QStringLiteral(R"(CREATE TABLE driver_wages (
        driver_id INTEGER,
        job_id INTEGER,
        job_net_cost INTEGER NOT NULL DEFAULT 0,
        driver_percentage INTEGER NOT NULL DEFAULT 0,
        driver_payment REAL NOT NULL DEFAULT 0,
        Reported TEXT COLLATE NOCASE NOT NULL DEFAULT 'N'))"),
    QStringLiteral("CREATE INDEX driver_wages_driver ON driver_wages (driver_id, Reported)"),

    QStringLiteral(R"(CREATE TABLE profitability (
        company_name TEXT COLLATE NOCASE,
        start_date TEXT COLLATE NOCASE,
        end_date TEXT COLLATE NOCASE,
        job_count INTEGER,
        total_receipts INTEGER,
        total_costs INTEGER,
        profit_loss INTEGER))"),
    QStringLiteral(R"(CREATE TABLE operational_cost (
        opcost_gross INTEGER NOT NULL DEFAULT 0,
        opcost_Date TEXT COLLATE NOCASE))"),
    QStringLiteral(R"(CREATE TABLE jobboard ("Customer Name" TEXT COLLATE NOCASE))"),
};

// Migration 2: the jobs by pick-up and by drop point, for the job search. They compare
// without case, as the columns do, so that a pattern with a fixed start uses them too.
const QStringList kPlaceIndexes = {
    QStringLiteral("CREATE INDEX jobs_from ON jobs (address_from COLLATE NOCASE)"),
    QStringLiteral("CREATE INDEX jobs_to ON jobs (address_to COLLATE NOCASE)"),
};

// Migration 3: a wage row names its job by prefix and number, so two jobs that share a
// number never share a wage; the share is held exactly, in ten-thousandths like every
// other amount (it was pounds in floating point).
const QStringList kWagesByJobKey = {
    QStringLiteral(R"(CREATE TABLE driver_wages_keyed (
        driver_id INTEGER,
        job_prefix TEXT COLLATE NOCASE NOT NULL DEFAULT 'A',
        job_id INTEGER,
        job_net_cost INTEGER NOT NULL DEFAULT 0,
        driver_percentage INTEGER NOT NULL DEFAULT 0,
        driver_payment INTEGER NOT NULL DEFAULT 0,
        Reported TEXT COLLATE NOCASE NOT NULL DEFAULT 'N'))"),
    QStringLiteral(R"(INSERT INTO driver_wages_keyed (driver_id, job_prefix, job_id,
        job_net_cost, driver_percentage, driver_payment, Reported)
        SELECT w.driver_id, coalesce((SELECT min(j.job_prefix) FROM jobs j
                                      WHERE j.job_id = w.job_id), 'A'),
               w.job_id, w.job_net_cost, w.driver_percentage,
               CAST(round(w.driver_payment * 10000) AS INTEGER), w.Reported
        FROM driver_wages w)"),
    QStringLiteral("DROP TABLE driver_wages"),
    QStringLiteral("ALTER TABLE driver_wages_keyed RENAME TO driver_wages"),
    QStringLiteral("CREATE INDEX driver_wages_driver ON driver_wages (driver_id, Reported)"),
    QStringLiteral("CREATE INDEX driver_wages_job ON driver_wages (job_prefix, job_id)"),
};

// Migration 4: the account jobs still to invoice in the order the invoice run takes them,
// and the invoices and lines still to print, so that a run and its printing read only what
// they work on however many years the file holds.
const QStringList kInvoicingIndexes = {
    QStringLiteral("CREATE INDEX jobs_to_invoice ON jobs (account_no, job_prefix, job_id) "
                   "WHERE invoiced = 'N' AND account_no > 0"),
    QStringLiteral("CREATE INDEX invoice_header_unprinted ON invoice_header (invoice_no) "
                   "WHERE printed = 'N'"),
    QStringLiteral("CREATE INDEX invoice_line_unprinted ON invoice_line (invoice_no) "
                   "WHERE invoice_printed = 'N'"),
};

// Migration 6: operational costs get a key and a description, so that a screen can keep
// them, and an index by date; completed percentage jobs that no driver payment run has
// taken in yet are found by driver and day without reading the paid ones; the jobs of a
// period with their accounts, and each job's amounts by side, are read from indexes alone,
// so that the profitability and payment runs never read the rows of the tables.
const QStringList kPayrollKeys = {
    QStringLiteral(R"(CREATE TABLE operational_cost_keyed (
        opcost_id INTEGER PRIMARY KEY AUTOINCREMENT,
        opcost_gross INTEGER NOT NULL DEFAULT 0,
        opcost_Date TEXT COLLATE NOCASE,
        opcost_description TEXT COLLATE NOCASE NOT NULL DEFAULT ''))"),
    QStringLiteral(R"(INSERT INTO operational_cost_keyed (opcost_gross, opcost_Date)
        SELECT opcost_gross, opcost_Date FROM operational_cost)"),
    QStringLiteral("DROP TABLE operational_cost"),
    QStringLiteral("ALTER TABLE operational_cost_keyed RENAME TO operational_cost"),
    QStringLiteral("CREATE INDEX operational_cost_date ON operational_cost (opcost_Date)"),
    QStringLiteral(R"(CREATE INDEX IF NOT EXISTS jobs_driver_to_pay ON jobs (driver, date)
        WHERE calculated = 'N' AND record_status = 'C' AND driver_percentage = 'Y')"),
    QStringLiteral(R"(CREATE INDEX IF NOT EXISTS jobs_date_account
        ON jobs (date, job_prefix, job_id, account_no))"),
    QStringLiteral(R"(CREATE INDEX IF NOT EXISTS costs_job_amounts
        ON Costs (job_prefix, jobnumber, income_expence, net_cost, gross_cost))"),
};

// Migration 8: a trigram index of the passenger's name and the pick-up and drop points,
// so that a search for a name or place by any part of it ("*Zan*") reads the index
// rather than every job. It indexes the jobs' own text (it keeps no copy) and triggers
// keep it in step with every change of those three columns.
const QStringList kJobTextIndex = {
    QStringLiteral(R"(CREATE VIRTUAL TABLE jobs_text USING fts5(
        passenger_name, address_from, address_to,
        content = 'jobs', content_rowid = 'rowid', tokenize = 'trigram'))"),
    QStringLiteral(R"(CREATE TRIGGER jobs_text_insert AFTER INSERT ON jobs BEGIN
        INSERT INTO jobs_text (rowid, passenger_name, address_from, address_to)
        VALUES (NEW.rowid, NEW.passenger_name, NEW.address_from, NEW.address_to);
        END)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_text_delete AFTER DELETE ON jobs BEGIN
        INSERT INTO jobs_text (jobs_text, rowid, passenger_name, address_from, address_to)
        VALUES ('delete', OLD.rowid, OLD.passenger_name, OLD.address_from, OLD.address_to);
        END)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_text_update
        AFTER UPDATE OF passenger_name, address_from, address_to ON jobs BEGIN
        INSERT INTO jobs_text (jobs_text, rowid, passenger_name, address_from, address_to)
        VALUES ('delete', OLD.rowid, OLD.passenger_name, OLD.address_from, OLD.address_to);
        INSERT INTO jobs_text (rowid, passenger_name, address_from, address_to)
        VALUES (NEW.rowid, NEW.passenger_name, NEW.address_from, NEW.address_to);
        END)"),
    QStringLiteral("INSERT INTO jobs_text (jobs_text) VALUES ('rebuild')"),
};

// Migration 9: the VAT rate in the company's details, in ten-thousandths of a per cent
// (17.5 per cent is 175000), with the day from which it applies; jobs before that day
// keep the rate that applied before it. Stored cost lines keep the figures they were
// saved with.
const QStringList kVatRate = {
    QStringLiteral("ALTER TABLE company ADD COLUMN vat_rate INTEGER NOT NULL DEFAULT 175000"),
    QStringLiteral("ALTER TABLE company ADD COLUMN vat_rate_from TEXT COLLATE NOCASE"),
    QStringLiteral(
        "ALTER TABLE company ADD COLUMN previous_vat_rate INTEGER NOT NULL DEFAULT 175000"),
};

// Migration 5: the jobs by day and time carry their key, so that the list of jobs without
// costs walks them in order and finds each one's cost lines without reading the job rows
// that have some. It serves every use of the index it replaces.
const QStringList kJobsByDayWithKey = {
    QStringLiteral(
        "CREATE INDEX IF NOT EXISTS jobs_date_key ON jobs (date, time, job_prefix, job_id)"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_date"),
};

// Migration 10: a driver's jobs by date, for the reports that list or count them over a
// period.
const QStringList kDriverDateIndex = {
    QStringLiteral("CREATE INDEX IF NOT EXISTS jobs_driver_date ON jobs (driver, date, time)"),
};

// The statement that takes trailing blanks and NULs off `columns` of `table`, where there
// are any. SQLite's text functions end a text at its first NUL, as every reader saw it.
QString trimmed(const char* table, std::initializer_list<const char*> columns)
{
    QStringList sets;
    QStringList differs;
    for (const char* column : columns) {
        const QString name = QString::fromLatin1(column);
        const QString clean = QStringLiteral("rtrim(substr(%1, 1, length(%1)))").arg(name);
        sets << QStringLiteral("%1 = %2").arg(name, clean);
        differs << QStringLiteral("%1 <> %2").arg(name, clean);
    }
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(QString::fromLatin1(table), sets.join(u','), differs.join(QStringLiteral(" OR ")));
}

// Migration 11: what one part of the program writes, another reads alike.
// - Text brought by transfer files loses the record layout's trailing blanks (an empty
//   invoiced flag stays the one blank that marks a job of no account).
// - A wage recorded by the invoice run counts as the job's calculation, so that the
//   driver payment run never pays the job again.
// - A job not yet calculated pays its driver a percentage exactly when its driver is paid
//   one.
// - A job brought with its own number moves the job number counter past it.
// - An account keeps the value of its invoices that removal took away, so that its
//   balance still equals its payments less its invoices.
// - A statement carries what each account owed on its first day.
const QStringList kMonthReconciles = {
    trimmed("jobs", {"time", "time_text", "passenger_name", "address_from", "address_to",
                     "special_instructions", "acc_ref", "costed_code", "record_status",
                     "driver_percentage", "calculated", "invoiced"}),
    QStringLiteral("UPDATE jobs SET calculated = 'N' WHERE calculated = ''"),
    QStringLiteral("UPDATE jobs SET invoiced = ' ' WHERE invoiced = ''"),
    trimmed("Costs", {"description", "income_expence", "vat", "logical_delete"}),
    QStringLiteral(R"(UPDATE jobs SET calculated = 'Y'
        WHERE calculated = 'N' AND EXISTS (SELECT 1 FROM driver_wages w
            WHERE w.driver_id = jobs.driver AND w.job_prefix = jobs.job_prefix
              AND w.job_id = jobs.job_id))"),
    QStringLiteral(R"(UPDATE jobs SET driver_percentage =
            CASE WHEN EXISTS (SELECT 1 FROM drivers d
                              WHERE d.driver_id = jobs.driver AND d.driver_percentage > 0)
                 THEN 'Y' ELSE 'N' END
        WHERE calculated = 'N')"),
    QStringLiteral(R"(CREATE TRIGGER jobs_number_given AFTER INSERT ON jobs
        WHEN NEW.job_id IS NOT NULL
        BEGIN
            UPDATE job_counter SET last = NEW.job_id WHERE last < NEW.job_id;
        END)"),
    QStringLiteral(R"(UPDATE job_counter SET last = (SELECT max(job_id) FROM jobs)
        WHERE last < (SELECT max(job_id) FROM jobs))"),
    QStringLiteral("ALTER TABLE accounts ADD COLUMN removed_invoiced INTEGER NOT NULL DEFAULT 0"),
    QStringLiteral("ALTER TABLE account_print ADD COLUMN brought_forward INTEGER"),
};

// Migration 12: what a UK invoice carries besides the company's details: the days the
// customer has to pay, the bank account to pay into and a line of text at the foot; and
// the work tables the profit and loss and the VAT return print from.
const QStringList kInvoiceTerms = {
    QStringLiteral("ALTER TABLE company ADD COLUMN payment_terms INTEGER NOT NULL DEFAULT 30"),
    QStringLiteral("ALTER TABLE company ADD COLUMN bank_name TEXT COLLATE NOCASE"),
    QStringLiteral("ALTER TABLE company ADD COLUMN bank_account_name TEXT COLLATE NOCASE"),
    QStringLiteral("ALTER TABLE company ADD COLUMN bank_sort_code TEXT COLLATE NOCASE"),
    QStringLiteral("ALTER TABLE company ADD COLUMN bank_account_number TEXT COLLATE NOCASE"),
    QStringLiteral("ALTER TABLE company ADD COLUMN invoice_footer TEXT COLLATE NOCASE"),
    QStringLiteral(R"(CREATE TABLE profit_and_loss (
        month TEXT COLLATE NOCASE,
        start_date TEXT COLLATE NOCASE,
        end_date TEXT COLLATE NOCASE,
        income INTEGER NOT NULL DEFAULT 0,
        payments INTEGER NOT NULL DEFAULT 0,
        wages INTEGER NOT NULL DEFAULT 0,
        operational INTEGER NOT NULL DEFAULT 0,
        profit INTEGER NOT NULL DEFAULT 0))"),
    QStringLiteral(R"(CREATE TABLE vat_return (
        line INTEGER,
        box TEXT COLLATE NOCASE,
        description TEXT COLLATE NOCASE,
        amount INTEGER NOT NULL DEFAULT 0,
        vat INTEGER,
        start_date TEXT COLLATE NOCASE,
        end_date TEXT COLLATE NOCASE))"),
};

// Migration 14: documents sent by e-mail.
// - The company's mail server: host, port, security ('starttls', 'tls', or 'none', which
//   only a server on this computer may use), user name and the sender's address and name.
//   The password is never stored here.
// - An account's address for its invoices.
// - An invoice records when and to whom it was sent, and when a send of it began: a send
//   begun and never ended (a killed run) is not sent again without the operator.
const QStringList kMail = {
    QStringLiteral("ALTER TABLE company ADD COLUMN smtp_host TEXT"),
    QStringLiteral("ALTER TABLE company ADD COLUMN smtp_port INTEGER"),
    QStringLiteral("ALTER TABLE company ADD COLUMN smtp_security TEXT NOT NULL DEFAULT 'starttls'"),
    QStringLiteral("ALTER TABLE company ADD COLUMN smtp_user TEXT"),
    QStringLiteral("ALTER TABLE company ADD COLUMN mail_from_address TEXT"),
    QStringLiteral("ALTER TABLE company ADD COLUMN mail_from_name TEXT"),
    QStringLiteral("ALTER TABLE accounts ADD COLUMN invoice_email TEXT COLLATE NOCASE"),
    QStringLiteral("ALTER TABLE invoice_header ADD COLUMN emailed_at TEXT"),
    QStringLiteral("ALTER TABLE invoice_header ADD COLUMN emailed_to TEXT"),
    QStringLiteral("ALTER TABLE invoice_header ADD COLUMN email_begun_at TEXT"),
};

// Migration 15: a statement sent by e-mail, one row an account and statement date (its
// first day): when a send of it began, and when and to whom it was sent. A send begun and
// never ended (a killed run) is not sent again without the operator; a refused send leaves
// no row.
const QStringList kStatementMail = {
    QStringLiteral(R"(CREATE TABLE statement_email (
        account_id INTEGER NOT NULL,
        statement_date TEXT NOT NULL,
        email_begun_at TEXT,
        emailed_at TEXT,
        emailed_to TEXT,
        PRIMARY KEY (account_id, statement_date)))"),
};

// Migration 16: jobs, accounts, drivers and vehicles count each change of a row and stamp
// when it was made, so that a save over a row another desk changed since it was read is
// refused (rowversion.h).
const QStringList kRowVersions = {
    QStringLiteral("ALTER TABLE jobs ADD COLUMN row_version INTEGER NOT NULL DEFAULT 0"),
    QStringLiteral("ALTER TABLE jobs ADD COLUMN row_changed_at TEXT"),
    QStringLiteral("ALTER TABLE accounts ADD COLUMN row_version INTEGER NOT NULL DEFAULT 0"),
    QStringLiteral("ALTER TABLE accounts ADD COLUMN row_changed_at TEXT"),
    QStringLiteral("ALTER TABLE drivers ADD COLUMN row_version INTEGER NOT NULL DEFAULT 0"),
    QStringLiteral("ALTER TABLE drivers ADD COLUMN row_changed_at TEXT"),
    QStringLiteral("ALTER TABLE vehicles ADD COLUMN row_version INTEGER NOT NULL DEFAULT 0"),
    QStringLiteral("ALTER TABLE vehicles ADD COLUMN row_changed_at TEXT"),
};

// Migration 17: a server tells the desks listening of every change of the jobs
// (serverschema.h); a file, which one desk uses, needs nothing.
const QStringList kJobChanges = {};

// Migration 18: a server's searches and lists read indexes of its own (serverschema.h); a
// file's indexes serve them already.
const QStringList kServerReads = {};

// Migration 19: a server's list of jobs waiting to be invoiced, its invoice run and its
// ledger read indexes of their own, and its key counters move once a statement
// (serverschema.h); a file needs nothing.
const QStringList kServerRuns = {};

// Migration 20: a server finds cost lines by the job's number alone and keeps fewer indexes
// of the jobs and their cost lines (serverschema.h); a file needs nothing.
const QStringList kServerProbes = {};

// Migration 21: a server keeps the jobs' texts its searches read in a table of its own
// (serverschema.h); a file's full-text table does so already.
const QStringList kServerTexts = {};

// Migration 13: the audit trail of every change, each entry chained to the one before by
// its hash; the dates a driver's badge, licence and DBS check run out; how many days ahead
// the firm is warned of documents running out.
const QStringList kAuditTrail = {
    QStringLiteral(R"(CREATE TABLE audit_trail (
        seq INTEGER PRIMARY KEY,
        changed_at TEXT NOT NULL,
        operator_name TEXT COLLATE NOCASE,
        table_name TEXT COLLATE NOCASE NOT NULL,
        row_key TEXT COLLATE NOCASE,
        job TEXT COLLATE NOCASE,
        before_value TEXT,
        after_value TEXT,
        hash TEXT NOT NULL))"),
    QStringLiteral("CREATE INDEX audit_trail_job ON audit_trail (job) WHERE job IS NOT NULL"),
    QStringLiteral("CREATE INDEX audit_trail_row ON audit_trail (table_name, row_key)"),
    QStringLiteral("CREATE INDEX audit_trail_when ON audit_trail (changed_at)"),
    QStringLiteral("ALTER TABLE drivers ADD COLUMN badge_expiry TEXT COLLATE NOCASE"),
    QStringLiteral("ALTER TABLE drivers ADD COLUMN licence_expiry TEXT COLLATE NOCASE"),
    QStringLiteral("ALTER TABLE drivers ADD COLUMN dbs_expiry TEXT COLLATE NOCASE"),
    QStringLiteral(
        "ALTER TABLE company ADD COLUMN expiry_warning_days INTEGER NOT NULL DEFAULT 30"),
};

struct Migration
{
    int version;
    const QStringList* statements;
};

const std::vector<Migration>& migrations()
{
    static const std::vector<Migration> all = {
        {1, &kInitialSchema},
        {2, &kPlaceIndexes},
        {3, &kWagesByJobKey},
        {4, &kInvoicingIndexes},
        {5, &kJobsByDayWithKey},
        {6, &kPayrollKeys},
        {8, &kJobTextIndex},
        {9, &kVatRate},
        {10, &kDriverDateIndex},
        {11, &kMonthReconciles},
        {12, &kInvoiceTerms},
        {13, &kAuditTrail},
        {14, &kMail},
        {15, &kStatementMail},
        {16, &kRowVersions},
        {17, &kJobChanges},
        {18, &kServerReads},
        {19, &kServerRuns},
        {20, &kServerProbes},
        {21, &kServerTexts},
    };
    return all;
}

// The statements of `migration` as `engine` runs them. On PostgreSQL each SQLite statement
// is translated, and those with no PostgreSQL form give way to the migration's own
// statements for it; a migration that gives none is refused with the reason in *error.
bool statementsFor(const Migration& migration, Engine engine, QStringList* statements,
                   QString* error)
{
    if (engine == Engine::SQLite) {
        *statements = *migration.statements;
        return true;
    }
    const QStringList own = serverStatements(migration.version);
    statements->clear();
    for (const QString& statement : *migration.statements) {
        if (const std::optional<QStringList> translated = postgresStatements(statement)) {
            statements->append(*translated);
        } else if (own.isEmpty()) {
            *error = QObject::tr("Schema migration %1 has a statement PostgreSQL cannot run: %2")
                         .arg(migration.version)
                         .arg(statement.simplified());
            return false;
        }
    }
    statements->append(own);
    return true;
}

// Runs the migrations after `from` up to and including `to`, without a transaction of
// their own.
bool applyMigrations(QSqlDatabase& db, int from, int to, QString* error)
{
    const Engine engine = engineOf(db);
    QSqlQuery query(db);
    for (const Migration& migration : migrations()) {
        if (migration.version <= from || migration.version > to)
            continue;
        QStringList statements;
        if (!statementsFor(migration, engine, &statements, error))
            return false;
        for (const QString& statement : std::as_const(statements)) {
            if (!execute(query, statement, error))
                return false;
        }
    }
    return true;
}

QStringList tablesIn(const QSqlDatabase& db)
{
    if (engineOf(db) == Engine::PostgreSQL)
        return serverTables(db);
    QSqlQuery query(db);
    QStringList names;
    if (query.exec(QStringLiteral("select name from sqlite_master where type = 'table' "
                                  "and name not like 'sqlite~_%' escape '~' order by name"))) {
        while (query.next())
            names.append(query.value(0).toString());
    }
    return names;
}

} // namespace

int currentSchemaVersion() { return migrations().back().version; }

int velmoraApplicationId() { return 0x564c4d52; } // "VLMR"

bool isKnownSchemaVersion(int version)
{
    for (const Migration& migration : migrations()) {
        if (migration.version == version)
            return true;
    }
    return false;
}

QStringList schemaTables(int version)
{
    static std::map<int, QStringList> known;
    const auto found = known.find(version);
    if (found != known.end())
        return found->second;
    const QString connection = QStringLiteral("velmora-schema-%1").arg(version);
    QStringList tables;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        QString error;
        if (db.open() && applyMigrations(db, 0, version, &error))
            tables = tablesIn(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    known.emplace(version, tables);
    return tables;
}

bool isSqliteIndexTable(const QString& table)
{
    return table == QLatin1String("jobs_text") || table.startsWith(QLatin1String("jobs_text_"));
}

QStringList missingTables(const QSqlDatabase& db, int version)
{
    const QStringList present = tablesIn(db);
    const bool server = engineOf(db) == Engine::PostgreSQL;
    QStringList missing;
    for (const QString& table : schemaTables(version)) {
        if (server && isSqliteIndexTable(table))
            continue;
        if (!present.contains(table, Qt::CaseInsensitive))
            missing.append(table);
    }
    return missing;
}

bool upgradeSchema(QSqlDatabase& db, int from, QString* error)
{
    if (engineOf(db) == Engine::PostgreSQL) {
        QSqlQuery query(db);
        for (const QString& statement : postgresSetup()) {
            if (!execute(query, statement, error))
                return false;
        }
    }
    if (!applyMigrations(db, from, currentSchemaVersion(), error))
        return false;
    if (engineOf(db) == Engine::PostgreSQL) {
        // The trail's triggers, made anew for the columns the migrations leave.
        const QStringList audit = serverAuditStatements(error);
        if (audit.isEmpty())
            return false;
        QSqlQuery query(db);
        for (const QString& statement : audit) {
            if (!execute(query, statement, error))
                return false;
        }
    }
    return writeSchemaStamp(db, currentSchemaVersion(), error);
}

bool migrateSchema(QSqlDatabase& db, QString* error)
{
    SchemaStamp stamp;
    if (!readSchemaStamp(db, &stamp, error)) {
        *error = QObject::tr("The schema version could not be read.");
        return false;
    }
    const int from = stamp.version;
    if (from > currentSchemaVersion()) {
        *error = QObject::tr("The database was written by a newer version of Velmora "
                             "(schema %1; this program knows up to %2).")
                     .arg(from)
                     .arg(currentSchemaVersion());
        return false;
    }
    if (from == currentSchemaVersion())
        return true;

    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = QObject::tr("The schema upgrade could not begin a transaction.");
        return false;
    }
    if (!upgradeSchema(db, from, error) || !transaction.commit(error))
        return false;
    // An upgraded database gets fresh statistics for the planner; a new one has no rows yet.
    return from == 0 || gatherStatistics(db, error);
}

bool gatherStatistics(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (engineOf(db) != Engine::PostgreSQL)
        return execute(query, QStringLiteral("ANALYZE"), error);
    // The firm's tables by name: a server's whole ANALYZE visits its shared catalogs too,
    // which only a superuser may, and warns of each one to the database's owner.
    QStringList tables;
    for (QString table : serverTables(db))
        tables << QLatin1Char('"') + table.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
                      QLatin1Char('"');
    return tables.isEmpty() ||
           execute(query, QStringLiteral("ANALYZE ") + tables.join(QStringLiteral(", ")), error);
}

} // namespace velmora
