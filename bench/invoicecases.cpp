#include "baseline.h"
#include "cases.h"
#include "data/costline.h"
#include "data/database.h"
#include "data/dates.h"
#include "data/driverwage.h"
#include "data/sqlitestatement.h"
#include "invoicing/invoicerun.h"

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace velmora::bench {

namespace {

// The run's statements, in the order it runs them.
constexpr const char* kAccounts =
    "select distinct account_no from jobs where account_no > 0 and invoiced = 'N' "
    "and account_no between ? and ? order by account_no";
constexpr const char* kTypes = "select receipttypeid, paymenttype from receipt_types";
constexpr const char* kDrivers = "select driver_id, driver_percentage from drivers";
constexpr const char* kCompany = "select company_id from company order by rowid limit 1";
constexpr const char* kCounter =
    "select invoice_number from invoice_numbers order by rowid limit 1";
constexpr const char* kWork =
    "select jobs.job_prefix, jobs.job_id, "
    "jobs.driver_percentage = 'Y' and jobs.calculated = 'N', jobs.driver, "
    "Costs.costtype, Costs.gross_cost, Costs.discount_value, Costs.net_cost, Costs.vat_value "
    "from jobs join Costs on Costs.jobnumber = jobs.job_id "
    "and Costs.job_prefix = jobs.job_prefix "
    "where jobs.account_no = ? and jobs.account_no > 0 and jobs.invoiced = 'N' "
    "and Costs.income_expence = 'I' order by jobs.job_prefix, jobs.job_id";
constexpr const char* kHeader =
    "insert into invoice_header (invoice_no, date, account_no, company_id, gross_value, "
    "vat_value, discount_value, net_value, credit_note_value, printed, invoice_type) "
    "values (?, ?, ?, ?, ?, ?, ?, ?, ?, 'N', 'S')";
constexpr const char* kLine =
    "insert into invoice_line (invoice_no, job_id, job_prefix, details, line_cost_excl_vat, "
    "line_cost_vat, line_cost_discount, line_cost_net, credit_note_value, invoice_printed) "
    "values (?, ?, ?, 'Journey Cost', ?, ?, ?, ?, ?, 'N')";
constexpr const char* kJob =
    "update jobs set invoice_no = ?, invoiced = 'Y' where job_prefix = ? and job_id = ?";
constexpr const char* kBalance =
    "update accounts set account_balance = account_balance - ? where account_id = ?";
constexpr const char* kCalculated =
    "update jobs set calculated = 'Y' where job_prefix = ? and job_id = ?";
constexpr const char* kCounterUpdate = "update invoice_numbers set invoice_number = ? "
                                       "where rowid = (select min(rowid) from invoice_numbers)";
constexpr const char* kCounterInsert = "insert into invoice_numbers (invoice_number) values (?)";

// Undoes the invoices dated from `since` on, as if the runs that made them had not run.
constexpr const char* kUninvoice[] = {
    "update jobs set calculated = 'N' where exists (select 1 from driver_wages w "
    "join invoice_line l on l.job_prefix = w.job_prefix and l.job_id = w.job_id "
    "join invoice_header h on h.invoice_no = l.invoice_no where h.date >= :since "
    "and w.job_prefix = jobs.job_prefix and w.job_id = jobs.job_id)",
    "update accounts set account_balance = account_balance + coalesce((select sum(net_value) "
    "from invoice_header h where h.account_no = accounts.account_id and h.date >= :since), 0)",
    "delete from driver_wages where exists (select 1 from invoice_line l join invoice_header h "
    "on h.invoice_no = l.invoice_no where h.date >= :since and l.job_prefix = "
    "driver_wages.job_prefix and l.job_id = driver_wages.job_id)",
    "update jobs set invoiced = 'N', invoice_no = null where invoiced = 'Y' and invoice_no in "
    "(select invoice_no from invoice_header where date >= :since)",
    "delete from invoice_line where invoice_no in (select invoice_no from invoice_header "
    "where date >= :since)",
    "delete from invoice_header where date >= :since",
    "delete from invoice_numbers",
    "insert into invoice_numbers (invoice_number) select max(invoice_no) from invoice_header "
    "having count(*) > 0",
};

// A copy of a firm's file with its own connection, on which a run can be repeated: each
// run is rolled back.
struct RunFile
{
    QTemporaryDir dir;
    QString connection;
    QSqlDatabase db;
    sqlite3* handle = nullptr;
    std::int64_t lastAccount = 0;

    ~RunFile()
    {
        db.close();
        db = QSqlDatabase();
        if (!connection.isEmpty())
            QSqlDatabase::removeDatabase(connection);
    }
};

std::shared_ptr<RunFile> copyForRuns(const Fixture& fixture, const QString& since, QString* error)
{
    auto file = std::make_shared<RunFile>();
    const QString path = file->dir.filePath(QStringLiteral("firm.db"));
    if (!file->dir.isValid() || !QFile::copy(fixture.db.databaseName(), path)) {
        *error = QObject::tr("The firm could not be copied for the invoice runs.");
        return nullptr;
    }
    file->connection = QStringLiteral("velmora-bench-invoice-%1").arg(fixture.jobs);
    file->db = openDatabase(path, file->connection, error);
    if (!file->db.isValid())
        return nullptr;
    file->handle = sqliteHandle(file->db);
    QSqlQuery query(file->db);
    for (const char* sql : kUninvoice) {
        query.prepare(QString::fromLatin1(sql));
        if (QString::fromLatin1(sql).contains(QLatin1String(":since")))
            query.bindValue(QStringLiteral(":since"), since);
        if (!query.exec()) {
            *error = query.lastError().text();
            return nullptr;
        }
    }
    if (!query.exec(QStringLiteral("select max(account_id) from accounts")) || !query.next()) {
        *error = QObject::tr("The firm has no accounts.");
        return nullptr;
    }
    file->lastAccount = query.value(0).toLongLong();
    return file;
}

// The baseline's statements, prepared once.
struct Statements
{
    Statement accounts, types, drivers, company, counter, work, header, line, job, balance,
        wageUpdate, wageInsert, calculated, counterUpdate, counterInsert, begin, rollback;
};

std::optional<Statements> prepareAll(sqlite3* db, QString* error)
{
    Statements s{prepare(db, kAccounts, error),
                 prepare(db, kTypes, error),
                 prepare(db, kDrivers, error),
                 prepare(db, kCompany, error),
                 prepare(db, kCounter, error),
                 prepare(db, kWork, error),
                 prepare(db, kHeader, error),
                 prepare(db, kLine, error),
                 prepare(db, kJob, error),
                 prepare(db, kBalance, error),
                 prepare(db, driverWageStatements().update.toUtf8().constData(), error),
                 prepare(db, driverWageStatements().insert.toUtf8().constData(), error),
                 prepare(db, kCalculated, error),
                 prepare(db, kCounterUpdate, error),
                 prepare(db, kCounterInsert, error),
                 prepare(db, "begin", error),
                 prepare(db, "rollback", error)};
    for (const Statement* each :
         {&s.accounts, &s.types, &s.drivers, &s.company, &s.counter, &s.work, &s.header, &s.line,
          &s.job, &s.balance, &s.wageUpdate, &s.wageInsert, &s.calculated, &s.counterUpdate,
          &s.counterInsert, &s.begin, &s.rollback}) {
        if (!*each)
            return std::nullopt;
    }
    return s;
}

struct Sums
{
    std::int64_t gross = 0, net = 0, discount = 0, vat = 0, credit = 0;
    Sums& operator+=(const Sums& o)
    {
        gross += o.gross;
        net += o.net;
        discount += o.discount;
        vat += o.vat;
        credit += o.credit;
        return *this;
    }
};

struct Row
{
    std::string prefix;
    std::int64_t number;
    bool percentage;
    bool hasDriver;
    std::int64_t driver;
    Sums cost;
};

// The same run through the C API, reading C values: what our run does, written as
// directly as SQLite allows.
class DirectRun
{
public:
    DirectRun(const Statements& s, std::int64_t last) : m_s(s), m_last(last) {}

    bool run(QString* error)
    {
        if (!readReferences(error))
            return false;
        sqlite3_stmt* accounts = m_s.accounts.get();
        sqlite3_bind_int64(accounts, 1, 1);
        sqlite3_bind_int64(accounts, 2, m_last);
        std::vector<std::int64_t> list;
        int step = 0;
        while ((step = sqlite3_step(accounts)) == SQLITE_ROW)
            list.push_back(sqlite3_column_int64(accounts, 0));
        if (!finish(accounts, step, error))
            return false;
        const std::string stamp = storedStamp(QDateTime::currentDateTime()).toStdString();
        for (const std::int64_t account : list) {
            if (!invoiceAccount(account, stamp, error))
                return false;
        }
        if (m_invoices == 0)
            return true;
        sqlite3_stmt* counter = m_counterRow ? m_s.counterUpdate.get() : m_s.counterInsert.get();
        sqlite3_bind_int64(counter, 1, m_invoice - 1);
        return execute(counter, error);
    }

private:
    bool readReferences(QString* error)
    {
        int step = 0;
        sqlite3_stmt* types = m_s.types.get();
        while ((step = sqlite3_step(types)) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(types, 1));
            const std::int64_t id = sqlite3_column_int64(types, 0);
            m_known.insert(id);
            if (name && std::string_view(name) == "Credit Note")
                m_credit.insert(id);
        }
        if (!finish(types, step, error))
            return false;
        sqlite3_stmt* drivers = m_s.drivers.get();
        while ((step = sqlite3_step(drivers)) == SQLITE_ROW)
            m_percent[sqlite3_column_int64(drivers, 0)] = sqlite3_column_int(drivers, 1);
        if (!finish(drivers, step, error))
            return false;
        sqlite3_stmt* company = m_s.company.get();
        step = sqlite3_step(company);
        m_company =
            step == SQLITE_ROW ? std::optional(sqlite3_column_int64(company, 0)) : std::nullopt;
        if (!finish(company, step == SQLITE_ROW ? SQLITE_DONE : step, error))
            return false;
        sqlite3_stmt* counter = m_s.counter.get();
        step = sqlite3_step(counter);
        m_counterRow = step == SQLITE_ROW;
        m_invoice = m_counterRow ? sqlite3_column_int64(counter, 0) + 1 : 0;
        return finish(counter, m_counterRow ? SQLITE_DONE : step, error);
    }

    void add(sqlite3_stmt* work, Sums* job)
    {
        const std::int64_t type = sqlite3_column_int64(work, 4);
        const std::int64_t net = sqlite3_column_int64(work, 7);
        if (m_credit.count(type)) {
            job->credit += net;
            return;
        }
        const bool known = m_known.count(type) > 0;
        job->gross += sqlite3_column_int64(work, 5);
        job->net += net;
        if (sqlite3_column_type(work, 6) != SQLITE_NULL) {
            const std::int64_t discount = sqlite3_column_int64(work, 6);
            if (!known || discount > 0)
                job->discount += discount;
        }
        if (sqlite3_column_type(work, 8) != SQLITE_NULL) {
            const std::int64_t vat = sqlite3_column_int64(work, 8);
            if (!known || vat > 0)
                job->vat += vat;
        }
    }

    bool readRows(std::int64_t account, QString* error)
    {
        m_rows.clear();
        sqlite3_stmt* work = m_s.work.get();
        sqlite3_bind_int64(work, 1, account);
        int step = 0;
        while ((step = sqlite3_step(work)) == SQLITE_ROW) {
            const auto* prefix = reinterpret_cast<const char*>(sqlite3_column_text(work, 0));
            const std::int64_t number = sqlite3_column_int64(work, 1);
            if (m_rows.empty() || m_rows.back().number != number ||
                m_rows.back().prefix != (prefix ? prefix : "")) {
                m_rows.push_back({prefix ? prefix : "",
                                  number,
                                  sqlite3_column_int(work, 2) != 0,
                                  sqlite3_column_type(work, 3) != SQLITE_NULL,
                                  sqlite3_column_int64(work, 3),
                                  {}});
            }
            add(work, &m_rows.back().cost);
        }
        return finish(work, step, error);
    }

    bool wage(const Row& job, QString* error)
    {
        const auto found = job.hasDriver ? m_percent.find(job.driver) : m_percent.end();
        if (found == m_percent.end() || found->second == 0)
            return true;
        const std::int64_t payment =
            driverShare(Money::fromStored(job.cost.gross), found->second).stored();
        const auto bindKey = [&job](sqlite3_stmt* statement, int first) {
            sqlite3_bind_int64(statement, first, job.driver);
            sqlite3_bind_text(statement, first + 1, job.prefix.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int64(statement, first + 2, job.number);
        };
        sqlite3_stmt* update = m_s.wageUpdate.get();
        sqlite3_bind_int64(update, 1, job.cost.gross);
        sqlite3_bind_int(update, 2, found->second);
        sqlite3_bind_int64(update, 3, payment);
        bindKey(update, 4);
        if (!execute(update, error))
            return false;
        if (sqlite3_changes(sqlite3_db_handle(update)) == 0) {
            sqlite3_stmt* insert = m_s.wageInsert.get();
            bindKey(insert, 1);
            sqlite3_bind_int64(insert, 4, job.cost.gross);
            sqlite3_bind_int(insert, 5, found->second);
            sqlite3_bind_int64(insert, 6, payment);
            bindKey(insert, 7);
            if (!execute(insert, error))
                return false;
        }
        sqlite3_stmt* calculated = m_s.calculated.get();
        sqlite3_bind_text(calculated, 1, job.prefix.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int64(calculated, 2, job.number);
        return execute(calculated, error);
    }

    bool invoiceAccount(std::int64_t account, const std::string& stamp, QString* error)
    {
        if (!readRows(account, error))
            return false;
        if (m_rows.empty())
            return true;
        Sums invoice;
        sqlite3_stmt* job = m_s.job.get();
        sqlite3_stmt* line = m_s.line.get();
        for (const Row& row : m_rows) {
            sqlite3_bind_int64(job, 1, m_invoice);
            sqlite3_bind_text(job, 2, row.prefix.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int64(job, 3, row.number);
            sqlite3_bind_int64(line, 1, m_invoice);
            sqlite3_bind_int64(line, 2, row.number);
            sqlite3_bind_text(line, 3, row.prefix.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int64(line, 4, row.cost.gross);
            sqlite3_bind_int64(line, 5, row.cost.vat);
            sqlite3_bind_int64(line, 6, row.cost.discount);
            sqlite3_bind_int64(line, 7, row.cost.net);
            sqlite3_bind_int64(line, 8, row.cost.credit < 0 ? row.cost.credit : 0);
            if (!execute(job, error) || !execute(line, error) ||
                (row.percentage && !wage(row, error)))
                return false;
            invoice += row.cost;
        }
        sqlite3_stmt* header = m_s.header.get();
        sqlite3_bind_int64(header, 1, m_invoice);
        sqlite3_bind_text(header, 2, stamp.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int64(header, 3, account);
        if (m_company)
            sqlite3_bind_int64(header, 4, *m_company);
        else
            sqlite3_bind_null(header, 4);
        sqlite3_bind_int64(header, 5, invoice.gross);
        sqlite3_bind_int64(header, 6, invoice.vat);
        sqlite3_bind_int64(header, 7, invoice.discount);
        sqlite3_bind_int64(header, 8, invoice.net);
        sqlite3_bind_int64(header, 9, invoice.credit);
        sqlite3_stmt* balance = m_s.balance.get();
        sqlite3_bind_int64(balance, 1, invoice.net);
        sqlite3_bind_int64(balance, 2, account);
        if (!execute(header, error) || !execute(balance, error))
            return false;
        ++m_invoice;
        ++m_invoices;
        return true;
    }

    const Statements& m_s;
    std::int64_t m_last;
    std::unordered_set<std::int64_t> m_known;
    std::unordered_set<std::int64_t> m_credit;
    std::unordered_map<std::int64_t, int> m_percent;
    std::optional<std::int64_t> m_company;
    bool m_counterRow = false;
    std::int64_t m_invoice = 0;
    std::int64_t m_invoices = 0;
    std::vector<Row> m_rows;
};

// What a run left in the file, to check that both sides wrote the same.
QString digest(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    query.exec(QStringLiteral(
        "select (select count(*) || '/' || total(gross_value) || '/' || total(net_value) || '/' "
        "|| total(credit_note_value) || '/' || max(invoice_no) from invoice_header), "
        "(select count(*) || '/' || total(line_cost_vat) || '/' || total(line_cost_discount) "
        "from invoice_line), (select count(*) || '/' || total(driver_payment) from driver_wages), "
        "(select count(*) from jobs where invoiced = 'Y'), "
        "(select total(account_balance) from accounts), "
        "(select group_concat(invoice_number) from invoice_numbers)"));
    QStringList parts;
    if (query.next()) {
        for (int column = 0; column < 6; ++column)
            parts << query.value(column).toString();
    }
    return parts.join(u'|');
}

// Runs `run` in a transaction and rolls it back; the digest of what it wrote in *written.
bool rolledBack(sqlite3* handle, const std::function<bool(QString*)>& run, QString* error,
                QString* written = nullptr, const QSqlDatabase& db = {})
{
    if (!executeRaw(handle, "begin", error))
        return false;
    const bool done = run(error);
    if (done && written)
        *written = digest(db);
    QString ignored;
    return executeRaw(handle, "rollback", done ? error : &ignored) && done;
}

std::optional<Timed> setUpRun(Fixture& fixture, const QString& since, QString* error)
{
    const std::shared_ptr<RunFile> file = copyForRuns(fixture, since, error);
    if (!file)
        return std::nullopt;
    const auto statements = prepareAll(file->handle, error);
    if (!statements)
        return std::nullopt;
    auto shared = std::make_shared<Statements>(*statements);

    const auto ours = [file](QString* reason) {
        InvoiceRunRange range;
        range.startAccount = 1;
        range.endAccount = file->lastAccount;
        InvoiceRunResult result;
        return runInvoicesInTransaction(file->db, range, &result, reason);
    };
    const auto direct = [file, shared](QString* reason) {
        return DirectRun(*shared, file->lastAccount).run(reason);
    };
    QString ourDigest;
    QString directDigest;
    if (!rolledBack(file->handle, ours, error, &ourDigest, file->db) ||
        !rolledBack(file->handle, direct, error, &directDigest, file->db))
        return std::nullopt;
    if (ourDigest != directDigest) {
        *error = QObject::tr("Our run and the baseline wrote different invoices: %1 against %2")
                     .arg(ourDigest, directDigest);
        return std::nullopt;
    }

    Timed timed;
    timed.ours = [file, ours](QString* reason) { return rolledBack(file->handle, ours, reason); };
    timed.baseline = [file, direct](QString* reason) {
        return rolledBack(file->handle, direct, reason);
    };
    return timed;
}

} // namespace

std::optional<Timed> setUpInvoiceBacklog(Fixture& fixture, QString* error)
{
    return setUpRun(fixture, QStringLiteral("0000"), error);
}

std::optional<Timed> setUpInvoiceMonth(Fixture& fixture, QString* error)
{
    const QDate today = QDate::currentDate();
    return setUpRun(fixture, storedDate(QDate(today.year(), today.month(), 1).addMonths(-1)),
                    error);
}

} // namespace velmora::bench
