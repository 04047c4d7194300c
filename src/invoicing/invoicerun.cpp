#include "invoicerun.h"

#include "data/audit.h"
#include "data/costline.h"
#include "data/dates.h"
#include "data/driverwage.h"
#include "data/fault.h"
#include "data/rowversion.h"
#include "data/runlock.h"
#include "data/sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <initializer_list>
#include <vector>

namespace velmora {

namespace {

const QString kCreditNote = QStringLiteral("Credit Note");

// A row of an account's part of the work list.
struct WorkRow
{
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

// The run over one range on an open transaction; one object per run.
class Run
{
public:
    Run(const QSqlDatabase& db, const InvoiceRunRange& range, InvoiceRunResult* result)
        : m_db(db), m_range(range), m_result(result), m_stamp(storedStamp(range.stamp))
    {
    }

    bool execute(const InvoiceRunProgress& progress, QString* error);

private:
    bool prepare(QSqlQuery& query, const char* sql);
    bool prepare(QSqlQuery& query, const QString& sql);
    bool exec(QSqlQuery& query, std::initializer_list<QVariant> values);
    bool fail(const QSqlQuery& query);
    bool readAccounts(std::vector<std::int64_t>* accounts);
    bool readReferences();
    bool readRows(std::int64_t account, std::vector<WorkRow>* rows);
    bool invoiceAccount(std::int64_t account);
    bool completeJob(const WorkRow& job, const InvoiceTotals& totals);
    bool recordDriverWage(const WorkRow& job, Money gross);
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
    QSqlQuery m_header{m_db};
    QSqlQuery m_line{m_db};
    QSqlQuery m_job{m_db};
    QSqlQuery m_balance{m_db};
    DriverWageWriter m_wages{m_db};
    QSqlQuery m_calculated{m_db};
};

bool Run::fail(const QSqlQuery& query)
{
    m_error = queryFault(query);
    if (m_error.trimmed().isEmpty())
        m_error = QObject::tr("The database refused a statement of the invoice run.");
    return false;
}

bool Run::prepare(QSqlQuery& query, const char* sql)
{
    return prepare(query, QString::fromLatin1(sql));
}

bool Run::prepare(QSqlQuery& query, const QString& sql)
{
    query.setForwardOnly(true);
    return query.prepare(sql) || fail(query);
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

bool Run::readRows(std::int64_t account, std::vector<WorkRow>* rows)
{
    rows->clear();
    if (!exec(m_work, {qint64(account)}))
        return false;
    while (m_work.next()) {
        WorkRow row;
        row.prefix = m_work.value(0).toString();
        row.number = m_work.value(1).toLongLong();
        row.percentageDriver = m_work.value(2).toInt() != 0;
        row.driver = m_work.value(3);
        row.cost.costType = m_work.value(4).toLongLong();
        row.cost.gross = Money::fromVariant(m_work.value(5));
        row.cost.discount = nullableMoney(m_work.value(6));
        row.cost.net = Money::fromVariant(m_work.value(7));
        row.cost.vat = nullableMoney(m_work.value(8));
        rows->push_back(std::move(row));
    }
    if (m_work.lastError().type() != QSqlError::NoError)
        return fail(m_work);
    m_work.finish();
    return true;
}

bool Run::recordDriverWage(const WorkRow& job, Money gross)
{
    const QVariant percentage =
        job.driver.isNull() ? QVariant() : m_percentages.value(job.driver.toLongLong(), QVariant());
    if (percentage.isNull() || percentage.toString().trimmed().isEmpty() ||
        percentage.toInt() == 0) {
        m_result->unpaidDrivers.append({job.prefix, job.number});
        return true;
    }
    if (!m_wages.write(job.driver.toLongLong(), job.prefix, job.number, gross, percentage.toInt(),
                       &m_error))
        return false;
    return exec(m_calculated, {m_stamp, job.prefix, qint64(job.number)});
}

bool Run::completeJob(const WorkRow& job, const InvoiceTotals& totals)
{
    const QVariant credit =
        totals.creditNote < Money() ? totals.creditNote.toVariant() : QVariant(qint64(0));
    if (!exec(m_job, {qint64(m_invoice), m_stamp, job.prefix, qint64(job.number)}) ||
        !exec(m_line, {qint64(m_invoice), qint64(job.number), job.prefix, totals.gross.toVariant(),
                       totals.vat.toVariant(), totals.discount.toVariant(), totals.net.toVariant(),
                       credit}))
        return false;
    ++m_result->lines;
    return !job.percentageDriver || recordDriverWage(job, totals.gross);
}

bool Run::invoiceAccount(std::int64_t account)
{
    if (!readRows(account, &m_rows))
        return false;
    if (m_rows.empty())
        return true;
    InvoiceTotals invoice;
    std::size_t next = 0;
    while (next < m_rows.size()) {
        const WorkRow& job = m_rows[next];
        InvoiceTotals totals;
        for (; next < m_rows.size() && m_rows[next].number == job.number &&
               m_rows[next].prefix == job.prefix;
             ++next)
            addInvoiceCost(m_rows[next].cost, m_types, &totals);
        if (!completeJob(job, totals))
            return false;
        invoice += totals;
    }
    if (!exec(m_header,
              {qint64(m_invoice), m_stamp, qint64(account), m_company, invoice.gross.toVariant(),
               invoice.vat.toVariant(), invoice.discount.toVariant(), invoice.net.toVariant(),
               invoice.creditNote.toVariant()}) ||
        !exec(m_balance, {invoice.net.toVariant(), m_stamp, qint64(account)}))
        return false;
    m_result->totals += invoice;
    if (m_result->invoices == 0)
        m_result->firstInvoice = m_invoice;
    m_result->lastInvoice = m_invoice;
    ++m_result->invoices;
    ++m_invoice;
    return true;
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
        if (!prepare(m_work,
                     "select jobs.job_prefix, jobs.job_id, "
                     "jobs.driver_percentage = 'Y' and jobs.calculated = 'N', "
                     "jobs.driver, Costs.costtype, Costs.gross_cost, Costs.discount_value, "
                     "Costs.net_cost, Costs.vat_value "
                     "from jobs join Costs on Costs.jobnumber = jobs.job_id "
                     "and Costs.job_prefix = jobs.job_prefix "
                     "where jobs.account_no = ? and jobs.account_no > 0 and jobs.invoiced = 'N' "
                     "and Costs.income_expence = 'I' order by jobs.job_prefix, jobs.job_id") ||
            !prepare(m_header,
                     "insert into invoice_header (invoice_no, date, account_no, company_id, "
                     "gross_value, vat_value, discount_value, net_value, credit_note_value, "
                     "printed, invoice_type) values (?, ?, ?, ?, ?, ?, ?, ?, ?, 'N', 'S')") ||
            !prepare(m_line,
                     "insert into invoice_line (invoice_no, job_id, job_prefix, details, "
                     "line_cost_excl_vat, line_cost_vat, line_cost_discount, line_cost_net, "
                     "credit_note_value, invoice_printed) "
                     "values (?, ?, ?, 'Journey Cost', ?, ?, ?, ?, ?, 'N')") ||
            !prepare(m_job, QStringLiteral("update jobs set invoice_no = ?, invoiced = 'Y', ") +
                                versionBump() +
                                QStringLiteral(" where job_prefix = ? and job_id = ?")) ||
            !prepare(m_balance,
                     QStringLiteral("update accounts set account_balance = account_balance - ?, ") +
                         versionBump() + QStringLiteral(" where account_id = ?")) ||
            !m_wages.prepare(&m_error) ||
            !prepare(m_calculated, QStringLiteral("update jobs set calculated = 'Y', ") +
                                       versionBump() +
                                       QStringLiteral(" where job_prefix = ? and job_id = ?")))
            return false;
        const auto total = static_cast<std::int64_t>(accounts.size());
        for (std::int64_t done = 0; done < total; ++done) {
            if (!invoiceAccount(accounts[static_cast<std::size_t>(done)]))
                return false;
            if (progress)
                progress(done + 1, total);
        }
        return m_result->invoices == 0 || storeCounter();
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
        result->elsewhere = true;
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
