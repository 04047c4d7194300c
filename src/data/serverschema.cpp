#include "serverschema.h"

namespace velmora {

namespace {

// Migration 1: a job inserted without a number takes the next one from the counter, which
// runs over the whole table whatever the prefix and never hands out a number twice. The
// counter's row is locked until the booking's transaction ends, so two desks booking at
// once get different numbers.
const QStringList kJobNumber = {
    QStringLiteral(R"(CREATE FUNCTION jobs_number() RETURNS trigger LANGUAGE plpgsql AS $$
        BEGIN
            UPDATE job_counter
                SET last = greatest(last, coalesce((SELECT max(job_id) FROM jobs), 0)) + 1
                RETURNING last INTO NEW.job_id;
            RETURN NEW;
        END $$)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_number BEFORE INSERT ON jobs
        FOR EACH ROW WHEN (NEW.job_id IS NULL) EXECUTE FUNCTION jobs_number())"),
};

// Migration 1 too: the functions of SQLite that reports reckon days and show rates with, as
// SQLite answers them for the stored dates ("yyyy-MM-dd") and for rates of a few decimals:
// julianday(day), whose differences count the days between two as SQLite's do,
// date(day, '+N days') and printf('%g', rate), the rate without trailing zeros.
const QStringList kSqliteDates = {
    QStringLiteral(R"(CREATE FUNCTION julianday(day text) RETURNS double precision
        LANGUAGE sql IMMUTABLE AS $$
            SELECT extract(julian FROM day::date)::double precision
        $$)"),
    QStringLiteral(R"(CREATE FUNCTION date(day text, change text) RETURNS text
        LANGUAGE sql IMMUTABLE AS $$
            SELECT to_char(day::date + change::interval, 'YYYY-MM-DD')
        $$)"),
    QStringLiteral(R"(CREATE FUNCTION printf(format text, value numeric) RETURNS text
        LANGUAGE sql IMMUTABLE AS $$
            SELECT CASE WHEN format = '%g' THEN trim_scale(value)::text END
        $$)"),
};

// Migration 8: the search by any part of the passenger's name or the pick-up and drop
// points reads trigram indexes of the jobs' own columns, which the server keeps in step
// itself; jobs_text shows the three columns by rowid, as SQLite's full-text table does.
const QStringList kJobText = {
    QStringLiteral(R"(CREATE VIEW jobs_text AS
        SELECT rowid, passenger_name, address_from, address_to FROM jobs)"),
    QStringLiteral(
        "CREATE INDEX jobs_text_passenger ON jobs USING gin (passenger_name gin_trgm_ops)"),
    QStringLiteral("CREATE INDEX jobs_text_from ON jobs USING gin (address_from gin_trgm_ops)"),
    QStringLiteral("CREATE INDEX jobs_text_to ON jobs USING gin (address_to gin_trgm_ops)"),
};

// Migration 11: a job brought with its own number moves the counter past it.
const QStringList kJobNumberGiven = {
    QStringLiteral(R"(CREATE FUNCTION jobs_number_given() RETURNS trigger LANGUAGE plpgsql AS $$
        BEGIN
            UPDATE job_counter SET last = NEW.job_id WHERE last < NEW.job_id;
            RETURN NULL;
        END $$)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_number_given AFTER INSERT ON jobs
        FOR EACH ROW WHEN (NEW.job_id IS NOT NULL) EXECUTE FUNCTION jobs_number_given())"),
};

// Migration 17: each statement that books, changes or removes jobs tells the desks that
// listen on jobChangesChannel() which job it was (its rowid), or that several were (an empty
// message), once it is committed; the server drops repeats of one message in a transaction.
const QStringList kJobChanges = {
    QStringLiteral(R"(CREATE FUNCTION jobs_changed() RETURNS trigger LANGUAGE plpgsql AS $$
        DECLARE
            n bigint;
            r bigint;
        BEGIN
            SELECT count(*), min(rowid) INTO n, r FROM changed;
            IF n = 1 THEN
                PERFORM pg_notify('velmora_jobs', r::text);
            ELSIF n > 1 THEN
                PERFORM pg_notify('velmora_jobs', '');
            END IF;
            RETURN NULL;
        END $$)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_booked AFTER INSERT ON jobs
        REFERENCING NEW TABLE AS changed FOR EACH STATEMENT EXECUTE FUNCTION jobs_changed())"),
    QStringLiteral(R"(CREATE TRIGGER jobs_updated AFTER UPDATE ON jobs
        REFERENCING NEW TABLE AS changed FOR EACH STATEMENT EXECUTE FUNCTION jobs_changed())"),
    QStringLiteral(R"(CREATE TRIGGER jobs_removed AFTER DELETE ON jobs
        REFERENCING OLD TABLE AS changed FOR EACH STATEMENT EXECUTE FUNCTION jobs_changed())"),
};

// Migration 18: what lets a server show the first rows of the screens' searches and lists at
// once:
// - the search by the start of the passenger's name or of the pick-up or drop point ("Mrs
//   Q*") reads an index of the column's text in lower case, in the order of its characters,
//   which serves a LIKE with a fixed start; the column's own index (of its case-blind type)
//   serves none, and the trigram index reads every name holding the start's common trigrams
//   ("Mrs");
// - the jobs without costs are walked in the list's order (which puts jobs without a date
//   or time first, where a server's plain index puts them last), each one's cost lines
//   looked up by the job's number first (a whole number compares faster than the prefix's
//   case-blind text), so that the list's cursor reads only as far as its first batch;
// - the jobs waiting to be invoiced are found by account without reading every job (the
//   invoice run's index holds only those of accounts above 0).
const QStringList kServerReads = {
    QStringLiteral(
        "CREATE INDEX jobs_passenger_start ON jobs (lower(passenger_name::text) text_pattern_ops)"),
    QStringLiteral(
        "CREATE INDEX jobs_from_start ON jobs (lower(address_from::text) text_pattern_ops)"),
    QStringLiteral("CREATE INDEX jobs_to_start ON jobs (lower(address_to::text) text_pattern_ops)"),
    QStringLiteral("CREATE INDEX jobs_date_key_first ON jobs "
                   "(date NULLS FIRST, time NULLS FIRST, job_prefix, job_id, rowid)"),
    QStringLiteral("CREATE INDEX costs_job_number ON Costs (jobnumber, job_prefix)"),
    QStringLiteral("CREATE INDEX jobs_waiting ON jobs (account_no, rowid) WHERE invoiced = 'N'"),
};

// Migration 19: what lets a server's list of jobs waiting to be invoiced and its invoice
// run read as little as a file's:
// - the accounts are walked in the list's order (names without one first, as the list
//   puts them), so the waiting jobs of each are found in turn and none has to be sorted;
// - the invoice run's waiting jobs and their income lines are read from indexes alone,
//   which hold what the run reads of them (the jobs' replaces the one it widens);
// - an account's ledger walks its invoices by number and each one's lines in order from
//   indexes alone, so the first batch comes without the account's lines being sorted
//   (the two indexes replace the ones they widen);
// - the counters of tables whose rows bring their keys are moved once a statement rather
//   than once a row (an invoice run inserts hundreds of rows to a statement).
const QStringList kServerRuns = {
    QStringLiteral(
        "CREATE INDEX accounts_name_first ON accounts (account_name NULLS FIRST, account_id)"),
    QStringLiteral("CREATE INDEX costs_income ON Costs (jobnumber, job_prefix) "
                   "INCLUDE (costtype, gross_cost, discount_value, net_cost, vat_value) "
                   "WHERE income_expence = 'I'"),
    QStringLiteral("DROP INDEX jobs_to_invoice"),
    QStringLiteral("CREATE INDEX jobs_to_invoice ON jobs (account_no, job_prefix, job_id) "
                   "INCLUDE (driver_percentage, calculated, driver) "
                   "WHERE invoiced = 'N' AND account_no > 0"),
    QStringLiteral("DROP INDEX invoice_header_account"),
    QStringLiteral("CREATE INDEX invoice_header_account ON invoice_header (account_no, invoice_no) "
                   "INCLUDE (date, gross_value, vat_value, net_value)"),
    QStringLiteral("DROP INDEX invoice_line_invoice"),
    QStringLiteral(
        "CREATE INDEX invoice_line_invoice ON invoice_line (invoice_no, seq) INCLUDE (job_id)"),
    QStringLiteral(R"(DO $$
        DECLARE
            t record;
        BEGIN
            FOR t IN SELECT g.tgname AS name, c.relname AS tab,
                            split_part(encode(g.tgargs, 'escape'), '\000', 1) AS key
                     FROM pg_trigger g
                     JOIN pg_class c ON c.oid = g.tgrelid
                     JOIN pg_proc p ON p.oid = g.tgfoid
                     JOIN pg_namespace n ON n.oid = c.relnamespace
                     WHERE n.nspname = current_schema() AND p.proname = 'velmora_key_past' LOOP
                EXECUTE format('CREATE OR REPLACE TRIGGER %I AFTER INSERT ON %I '
                               'REFERENCING NEW TABLE AS brought FOR EACH STATEMENT '
                               'EXECUTE FUNCTION velmora_keys_past(%L)',
                               t.name, t.tab, t.key);
            END LOOP;
            IF to_regprocedure('velmora_key_past()') IS NOT NULL THEN
                DROP FUNCTION velmora_key_past();
            END IF;
        END $$)"),
};

// Migration 20: what spares a server's invoice run, bookings and cost lines work no read
// needs:
// - a job's cost lines are found by its number alone, the prefix kept beside it in the
//   index and compared only on the lines found: as a key, the prefix's case-blind text was
//   compared all the way down the index for each job probed (the list of jobs without costs
//   probes thousands; the invoice run each job waiting);
// - the jobs lose four indexes that every change of a job's row kept in step (a server
//   writes each index again when a row changes, where a file writes only those of the
//   columns changed): the driver's, which the index of driver, date and time serves, and the
//   case-blind ones of the passenger's name and the two addresses, whose exact searches the
//   indexes of their text in lower case serve (jobtext.h);
// - the cost lines lose the index of prefix, number and type, which the index of their
//   amounts begins with.
const QStringList kServerProbes = {
    QStringLiteral("DROP INDEX IF EXISTS costs_job_number"),
    QStringLiteral("CREATE INDEX costs_job_number ON Costs (jobnumber) INCLUDE (job_prefix)"),
    QStringLiteral("DROP INDEX IF EXISTS costs_income"),
    QStringLiteral(
        "CREATE INDEX costs_income ON Costs (jobnumber) "
        "INCLUDE (job_prefix, costtype, gross_cost, discount_value, net_cost, vat_value) "
        "WHERE income_expence = 'I'"),
    QStringLiteral("DROP INDEX IF EXISTS costs_job"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_driver"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_passenger"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_from"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_to"),
};

// Migration 21: a server keeps the jobs' texts that its searches read in a table of their
// own, jobs_text, as a file keeps them in its full-text table. A server writes an entry into
// every index of a table for each row an update changes, so the six indexes of the texts
// (of their trigrams and of their text in lower case) cost every change of a job, such as
// the invoice run's marking of each job it invoices; on a table of their own they cost only
// a change of the texts. Triggers keep the table in step with the jobs, by rowid.
const QStringList kServerTexts = {
    QStringLiteral("DROP VIEW jobs_text"),
    QStringLiteral("CREATE TABLE jobs_text (rowid bigint PRIMARY KEY, passenger_name citext, "
                   "address_from citext, address_to citext)"),
    QStringLiteral("INSERT INTO jobs_text (rowid, passenger_name, address_from, address_to) "
                   "SELECT rowid, passenger_name, address_from, address_to FROM jobs"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_text_passenger"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_text_from"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_text_to"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_passenger_start"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_from_start"),
    QStringLiteral("DROP INDEX IF EXISTS jobs_to_start"),
    QStringLiteral(
        "CREATE INDEX jobs_text_passenger ON jobs_text USING gin (passenger_name gin_trgm_ops)"),
    QStringLiteral(
        "CREATE INDEX jobs_text_from ON jobs_text USING gin (address_from gin_trgm_ops)"),
    QStringLiteral("CREATE INDEX jobs_text_to ON jobs_text USING gin (address_to gin_trgm_ops)"),
    QStringLiteral("CREATE INDEX jobs_text_passenger_start ON jobs_text "
                   "(lower(passenger_name::text) text_pattern_ops)"),
    QStringLiteral("CREATE INDEX jobs_text_from_start ON jobs_text "
                   "(lower(address_from::text) text_pattern_ops)"),
    QStringLiteral(
        "CREATE INDEX jobs_text_to_start ON jobs_text (lower(address_to::text) text_pattern_ops)"),
    QStringLiteral(R"(CREATE FUNCTION jobs_text_booked() RETURNS trigger LANGUAGE plpgsql AS $$
        BEGIN
            INSERT INTO jobs_text (rowid, passenger_name, address_from, address_to)
                SELECT rowid, passenger_name, address_from, address_to FROM came;
            RETURN NULL;
        END $$)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_text_booked AFTER INSERT ON jobs
        REFERENCING NEW TABLE AS came FOR EACH STATEMENT EXECUTE FUNCTION jobs_text_booked())"),
    // Only a job whose texts change, by a statement that sets them, has its row written: the
    // condition is weighed as each row changes, without a call of the function.
    QStringLiteral(R"(CREATE FUNCTION jobs_text_changed() RETURNS trigger LANGUAGE plpgsql AS $$
        BEGIN
            UPDATE jobs_text SET passenger_name = NEW.passenger_name,
                address_from = NEW.address_from, address_to = NEW.address_to
                WHERE rowid = NEW.rowid;
            RETURN NULL;
        END $$)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_text_changed
        AFTER UPDATE OF passenger_name, address_from, address_to ON jobs FOR EACH ROW
        WHEN (OLD.passenger_name::text IS DISTINCT FROM NEW.passenger_name::text
              OR OLD.address_from::text IS DISTINCT FROM NEW.address_from::text
              OR OLD.address_to::text IS DISTINCT FROM NEW.address_to::text)
        EXECUTE FUNCTION jobs_text_changed())"),
    QStringLiteral(R"(CREATE FUNCTION jobs_text_removed() RETURNS trigger LANGUAGE plpgsql AS $$
        BEGIN
            DELETE FROM jobs_text USING gone WHERE jobs_text.rowid = gone.rowid;
            RETURN NULL;
        END $$)"),
    QStringLiteral(R"(CREATE TRIGGER jobs_text_removed AFTER DELETE ON jobs
        REFERENCING OLD TABLE AS gone FOR EACH STATEMENT EXECUTE FUNCTION jobs_text_removed())"),
};

} // namespace

QString jobChangesChannel() { return QStringLiteral("velmora_jobs"); }

QStringList serverStatements(int version)
{
    switch (version) {
    case 1:
        return kJobNumber + kSqliteDates;
    case 8:
        return kJobText;
    case 11:
        return kJobNumberGiven;
    case 17:
        return kJobChanges;
    case 18:
        return kServerReads;
    case 19:
        return kServerRuns;
    case 20:
        return kServerProbes;
    case 21:
        return kServerTexts;
    default:
        return {};
    }
}

} // namespace velmora
