#include "invoicerun.h"

#include "data/audit.h"
#include "data/costline.h"
#include "data/dates.h"
#include "data/driverwage.h"
#include "data/fault.h"
#include "data/rowbatch.h"
#include "data/rowversion.h"
#include "data/runlock.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace velmora {

namespace {

const QString kCreditNote = QStringLiteral("Credit Note");
// What a new invoice and its lines say: not printed, a standard invoice, a journey's cost.
const QString kNo = QStringLiteral("N");
const QString kStandard = QStringLiteral("S");
const QString kJourneyCost = QStringLiteral("Journey Cost");

// The kinds of the values of an invoice and of its lines, as the run writes them.
constexpr BatchValue kWhole = BatchValue::Integer;
constexpr BatchValue kText = BatchValue::CaselessText;
const QList<BatchValue> kHeaderKinds = {kWhole, kText,  kWhole, kWhole, kWhole, kWhole,
                                        kWhole, kWhole, kWhole, kText,  kText};
const QList<BatchValue> kLineKinds = {kWhole, kWhole, kText,  kText,  kWhole,
                                      kWhole, kWhole, kWhole, kWhole, kText};

// Accounts whose work is read at once.
constexpr std::size_t kAccountsARead = 128;

// A row of the work list.
struct WorkRow
{
    std::int64_t account = 0;
    QString prefix;
    std::int64_t number = 0;
    bool percentageDriver = false; // flagged so, and not yet calculated
    QVariant driver;
    InvoiceCost cost;
};

std::optional<Money> nullableMoney(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return Money::fromStored(value.toLongLong());
}

// The run over one range on an open transaction; one object per run. The work is read for
// many accounts at once and written a batch of rows at a time, each batch one statement (on a
// server, one round trip), the rest of each batch at the end.
class Run
{
public:
    Run(const QSqlDatabase& db, const InvoiceRunRange& range, InvoiceRunResult* result)
        : m_db(db), m_range(range), m_result(result), m_stamp(storedStamp(range.stamp)),
          m_header(insertBatch(db, QStringLiteral("invoice_header"),
                               {QStringLiteral("invoice_no"), QStringLiteral("date"),
                                QStringLiteral("account_no"), QStringLiteral("company_id"),
                                QStringLiteral("gross_value"), QStringLiteral("vat_value"),
                                QStringLiteral("discount_value"), QStringLiteral("net_value"),
                                QStringLiteral("credit_note_value"), QStringLiteral("printed"),
                                QStringLiteral("invoice_type")},
                               kHeaderKinds)),
          m_line(
              insertBatch(db, QStringLiteral("invoice_line"),
                          {QStringLiteral("invoice_no"), QStringLiteral("job_id"),
                           QStringLiteral("job_prefix"), QStringLiteral("details"),
                           QStringLiteral("line_cost_excl_vat"), QStringLiteral("line_cost_vat"),
                           QStringLiteral("line_cost_discount"), QStringLiteral("line_cost_net"),
                           QStringLiteral("credit_note_value"), QStringLiteral("invoice_printed")},
                          kLineKinds)),
          // A job whose driver's share is recorded is marked calculated too, which counts as
          // a change of its own.
          m_job(db,
                QStringLiteral("UPDATE jobs SET invoice_no = v.column1, invoiced = 'Y', "
                               "calculated = CASE WHEN v.column2 = 1 THEN 'Y' ELSE "
                               "jobs.calculated END, row_version = row_version + 1 + v.column2, "
                               "row_changed_at = ? FROM (%1) AS v "
                               "WHERE jobs.job_prefix = v.column3 AND jobs.job_id = v.column4"),
                {BatchValue::Integer, BatchValue::Integer, BatchValue::CaselessText,
                 BatchValue::Integer},
                {m_stamp}),
          m_balance(db,
                    QStringLiteral("UPDATE accounts SET account_balance = account_balance - "
                                   "v.column1, ") +
                        versionBump() +
                        QStringLiteral(" FROM (%1) AS v WHERE accounts.account_id = "
                                       "v.column2"),
                    {BatchValue::Integer, BatchValue::Integer}, {m_stamp}),
          m_wages(db)
    {
    }

    bool execute(const InvoiceRunProgress& progress, QString* error);

private:
    bool prepare(QSqlQuery& query, const char* sql);
    bool exec(QSqlQuery& query, std::initializer_list<QVariant> values);
    bool fail(const QSqlQuery& query);
    bool failed();
    bool readAccounts(std::vector<std::int64_t>* accounts);
    bool readReferences();
    bool readRows(std::int64_t first, std::int64_t last);
    bool invoiceAccount(std::int64_t account, std::size_t* next);
    bool completeJob(const WorkRow& job, const InvoiceTotals& totals);
    bool recordDriverWage(const WorkRow& job, Money gross, bool* calculated);
    bool flush();
    bool storeCounter();

    QSqlDatabase m_db;
    const InvoiceRunRange& m_range;
    InvoiceRunResult* m_result;
    QString m_stamp;
    QString m_error;
    ReceiptTypeNames m_types;
    QHash<std::int64_t, QVariant> m_percentages; // driver_percentage by driver_id
    QVariant m_company;
    bool m_counterRow = false;
    std::int64_t m_invoice = 0;
    std::vector<WorkRow> m_rows;

    QSqlQuery m_work{m_db};
    RowBatch m_header;
    RowBatch m_line;
    RowBatch m_job;
    RowBatch m_balance;
    DriverWageWriter m_wages;
};

bool Run::fail(const QSqlQuery& query)
{
    m_error = queryFault(query);
    return failed();
}

bool Run::failed()
{
    if (m_error.trimmed().isEmpty())
        m_error = QObject::tr("The database refused a statement of the invoice run.");
    return false;
}

bool Run::prepare(QSqlQuery& query, const char* sql)
{
    query.setForwardOnly(true);
    return query.prepare(QString::fromLatin1(sql)) || fail(query);
}

bool Run::exec(QSqlQuery& query, std::initializer_list<QVariant> values)
{
    int index = 0;
    for (const QVariant& value : values)
        query.bindValue(index++, value);
    return query.exec() || fail(query);
}

bool Run::readAccounts(std::vector<std::int64_t>* accounts)
{
    QSqlQuery query(m_db);
    if (!prepare(query, "select distinct account_no from jobs where account_no > 0 "
                        "and invoiced = 'N' and account_no between ? and ? order by account_no") ||
        !exec(query, {qint64(m_range.startAccount), qint64(m_range.endAccount)}))
        return false;
    while (query.next())
        accounts->push_back(query.value(0).toLongLong());
    return query.lastError().type() == QSqlError::NoError || fail(query);
}

bool Run::readReferences()
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("select receipttypeid, paymenttype from receipt_types")))
        return fail(query);
    while (query.next())
        m_types.insert(query.value(0).toLongLong(), query.value(1).toString());
    if (!query.exec(QStringLiteral("select driver_id, driver_percentage from drivers")))
        return fail(query);
    while (query.next())
        m_percentages.insert(query.value(0).toLongLong(), query.value(1));
    if (!query.exec(QStringLiteral("select company_id from company order by rowid limit 1")))
        return fail(query);
    if (query.next())
        m_company = query.value(0);
    if (!query.exec(
            QStringLiteral("select invoice_number from invoice_numbers order by rowid limit 1")))
        return fail(query);
    m_counterRow = query.next();
    m_invoice = m_counterRow ? query.value(0).toLongLong() + 1 : 0;
    // A counter behind the numbers already issued would hand one out again.
    if (!query.exec(QStringLiteral("select max(invoice_no) from invoice_header")) || !query.next())
        return fail(query);
    if (!query.isNull(0) && query.value(0).toLongLong() >= m_invoice) {
        m_result->counterBehind =
            CounterBehind{m_counterRow ? std::optional<std::int64_t>(m_invoice - 1) : std::nullopt,
                          query.value(0).toLongLong()};
        m_invoice = query.value(0).toLongLong() + 1;
    }
    return true;
}

// The work of the accounts from `first` to `last`, by account and job.
bool Run::readRows(std::int64_t first, std::int64_t last)
{
    m_rows.clear();
    if (!exec(m_work, {qint64(first), qint64(last)}))
        return false;
    while (m_work.next()) {
        WorkRow row;
        row.account = m_work.value(0).toLongLong();
        row.prefix = m_work.value(1).toString();
        row.number = m_work.value(2).toLongLong();
        row.percentageDriver = m_work.value(3).toInt() != 0;
        row.driver = m_work.value(4);
        row.cost.costType = m_work.value(5).toLongLong();
        row.cost.gross = Money::fromVariant(m_work.value(6));
        row.cost.discount = nullableMoney(m_work.value(7));
        row.cost.net = Money::fromVariant(m_work.value(8));
        row.cost.vat = nullableMoney(m_work.value(9));
        m_rows.push_back(std::move(row));
    }
    if (m_work.lastError().type() != QSqlError::NoError)
        return fail(m_work);
    m_work.finish();
    return true;
}

// Records the driver's share of a job flagged as paying a percentage; *calculated says
// whether it was, else the job is named among the unpaid drivers'.
bool Run::recordDriverWage(const WorkRow& job, Money gross, bool* calculated)
{
    const QVariant percentage =
        job.driver.isNull() ? QVariant() : m_percentages.value(job.driver.toLongLong(), QVariant());
    *calculated = !percentage.isNull() && !percentage.toString().trimmed().isEmpty() &&
                  percentage.toInt() != 0;
    if (!*calculated) {
        m_result->unpaidDrivers.append({job.prefix, job.number});
        return true;
    }
    return m_wages.write(job.driver.toLongLong(), job.prefix, job.number, gross, percentage.toInt(),
                         &m_error) ||
           failed();
}

bool Run::completeJob(const WorkRow& job, const InvoiceTotals& totals)
{
    bool calculated = false;
    if (job.percentageDriver && !recordDriverWage(job, totals.gross, &calculated))
        return false;
    const QVariant credit =
        totals.creditNote < Money() ? totals.creditNote.toVariant() : QVariant(qint64(0));
    if (!m_job.add({qint64(m_invoice), qint64(calculated ? 1 : 0), job.prefix, qint64(job.number)},
                   &m_error) ||
        !m_line.add({qint64(m_invoice), qint64(job.number), job.prefix, kJourneyCost,
                     totals.gross.toVariant(), totals.vat.toVariant(), totals.discount.toVariant(),
                     totals.net.toVariant(), credit, kNo},
                    &m_error))
        return failed();
    ++m_result->lines;
    return true;
}

// Invoices the account's rows from m_rows[*next] on, leaving *next past them.
bool Run::invoiceAccount(std::int64_t account, std::size_t* next)
{
    InvoiceTotals invoice;
    bool any = false;
    while (*next < m_rows.size() && m_rows[*next].account == account) {
        const WorkRow& job = m_rows[*next];
        InvoiceTotals totals;
        for (; *next < m_rows.size() && m_rows[*next].account == account &&
               m_rows[*next].number == job.number && m_rows[*next].prefix == job.prefix;
             ++*next)
            addInvoiceCost(m_rows[*next].cost, m_types, &totals);
        if (!completeJob(job, totals))
            return false;
        invoice += totals;
        any = true;
    }
    if (!any)
        return true;
    if (!m_header.add({qint64(m_invoice), m_stamp, qint64(account), m_company,
                       invoice.gross.toVariant(), invoice.vat.toVariant(),
                       invoice.discount.toVariant(), invoice.net.toVariant(),
                       invoice.creditNote.toVariant(), kNo, kStandard},
                      &m_error) ||
        !m_balance.add({invoice.net.toVariant(), qint64(account)}, &m_error))
        return failed();
    m_result->totals += invoice;
    if (m_result->invoices == 0)
        m_result->firstInvoice = m_invoice;
    m_result->lastInvoice = m_invoice;
    ++m_result->invoices;
    ++m_invoice;
    return true;
}

bool Run::flush()
{
    for (RowBatch* batch : {&m_header, &m_line, &m_job, &m_balance}) {
        if (!batch->flush(&m_error))
            return failed();
    }
    return m_wages.flush(&m_error) || failed();
}

bool Run::storeCounter()
{
    QSqlQuery query(m_db);
    if (m_counterRow) {
        return prepare(query, "update invoice_numbers set invoice_number = ? "
                              "where rowid = (select min(rowid) from invoice_numbers)") &&
               exec(query, {qint64(m_result->lastInvoice)});
    }
    return prepare(query, "insert into invoice_numbers (invoice_number) values (?)") &&
           exec(query, {qint64(m_result->lastInvoice)});
}

bool Run::execute(const InvoiceRunProgress& progress, QString* error)
{
    *m_result = InvoiceRunResult();
    std::vector<std::int64_t> accounts;
    const bool done = [&] {
        if (!readAccounts(&accounts) || !readReferences())
            return false;
        if (accounts.empty())
            return true;
        if (!prepare(m_work, "select jobs.account_no, jobs.job_prefix, jobs.job_id, "
                             "jobs.driver_percentage = 'Y' and jobs.calculated = 'N', "
                             "jobs.driver, Costs.costtype, Costs.gross_cost, Costs.discount_value, "
                             "Costs.net_cost, Costs.vat_value "
                             "from jobs join Costs on Costs.jobnumber = jobs.job_id "
                             "and Costs.job_prefix = jobs.job_prefix "
                             "where jobs.account_no between ? and ? and jobs.account_no > 0 "
                             "and jobs.invoiced = 'N' and Costs.income_expence = 'I' "
                             "order by jobs.account_no, jobs.job_prefix, jobs.job_id"))
            return false;
        const std::size_t total = accounts.size();
        for (std::size_t first = 0; first < total; first += kAccountsARead) {
            const std::size_t end = std::min(total, first + kAccountsARead);
            if (!readRows(accounts[first], accounts[end - 1]))
                return false;
            std::size_t next = 0;
            for (std::size_t index = first; index < end; ++index) {
                // Rows of an account booked since the accounts were read wait for the next run.
                while (next < m_rows.size() && m_rows[next].account < accounts[index])
                    ++next;
                if (!invoiceAccount(accounts[index], &next))
                    return false;
                if (progress)
                    progress(std::int64_t(index + 1), std::int64_t(total));
            }
        }
        return flush() && (m_result->invoices == 0 || storeCounter());
    }();
    if (!done) {
        *error = m_error;
        *m_result = InvoiceRunResult();
    }
    return done;
}

} // namespace

InvoiceTotals& InvoiceTotals::operator+=(const InvoiceTotals& other)
{
    gross += other.gross;
    net += other.net;
    discount += other.discount;
    vat += other.vat;
    creditNote += other.creditNote;
    return *this;
}

void addInvoiceCost(const InvoiceCost& cost, const ReceiptTypeNames& types, InvoiceTotals* job)
{
    const auto type = types.constFind(cost.costType);
    if (type != types.constEnd() && *type == kCreditNote) {
        job->creditNote += cost.net;
        return;
    }
    const bool known = type != types.constEnd();
    job->gross += cost.gross;
    job->net += cost.net;
    if (cost.vat && (!known || *cost.vat > Money()))
        job->vat += *cost.vat;
    if (cost.discount && (!known || *cost.discount > Money()))
        job->discount += *cost.discount;
}

bool runInvoicesInTransaction(const QSqlDatabase& db, const InvoiceRunRange& range,
                              InvoiceRunResult* result, QString* error,
                              const InvoiceRunProgress& progress)
{
    const AuditPause pause(db);
    Run run(db, range, result);
    if (!run.execute(progress, error))
        return false;
    if (result->invoices == 0)
        return true;
    return writeRunEntry(db, QStringLiteral("invoice run"),
                         QStringLiteral("%1-%2").arg(range.startAccount).arg(range.endAccount),
                         {{QStringLiteral("invoices"), qint64(result->invoices)},
                          {QStringLiteral("first"), qint64(result->firstInvoice)},
                          {QStringLiteral("last"), qint64(result->lastInvoice)},
                          {QStringLiteral("lines"), qint64(result->lines)},
                          {QStringLiteral("net"), result->totals.net.toPlainString()}},
                         error);
}

bool runInvoices(const QSqlDatabase& db, const InvoiceRunRange& range, InvoiceRunResult* result,
                 QString* error, const InvoiceRunProgress& progress)
{
    const RunLock lock(db, RunKind::Invoices);
    if (!lock.held(error)) {
        result->elsewhere = lock.elsewhere();
        return false;
    }
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = QObject::tr("The invoice run could not begin a transaction.");
        return false;
    }
    if (!runInvoicesInTransaction(db, range, result, error, progress))
        return false;
    if (transaction.commit(error))
        return true;
    *result = InvoiceRunResult();
    return false;
}

QString unpaidDriverMessage(const QList<UnpaidDriverJob>& jobs)
{
    QStringList lines;
    for (const UnpaidDriverJob& job : jobs)
        lines << QStringLiteral("Job ") + QString::number(job.number) +
                     QStringLiteral(" has the driver percentage set to yes but the driver does "
                                    "not have a percentage figure recorded against them, please "
                                    "correct manually after processing ");
    return lines.join(u'\n');
}

QString counterBehindMessage(const CounterBehind& behind, std::int64_t firstInvoice)
{
    const QString counter =
        behind.counter ? QObject::tr("The invoice counter stood at %1").arg(*behind.counter)
                       : QObject::tr("The invoice counter was missing");
    return QObject::tr("%1, behind invoice %2 already issued: the invoices were numbered on "
                       "from %3.")
        .arg(counter)
        .arg(behind.highestIssued)
        .arg(firstInvoice);
}

} // namespace velmora
