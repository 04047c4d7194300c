#include "baseline.h"
#include "cases.h"
#include "invoicing/frmaccount_ledger.h"
#include "invoicing/ledger.h"
#include "invoicing/statements.h"
#include "platform/lazyrows.h"
#include "screens.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QObject>
#include <QSqlQuery>

#include <memory>

namespace velmora::bench {

namespace {

using GridRows = QList<QStringList>;

struct LedgerStatements
{
    Statement invoices, lines, receipts;
};

// An invoice's job numbers and payments, by its number, for the baseline.
const char* const kLinesOfInvoice = "select job_id from invoice_line where invoice_no = ? "
                                    "order by seq";
const char* const kReceiptsOfInvoice = "select amount_received, date_received from receipts "
                                       "where invoice_number = ? order by rowid";

// The baseline of the ledger: the account's invoices through the C API, each one's lines
// and payments looked up by its number, their rows made into the same grid rows as
// LedgerHistory makes, up to its first batch.

bool historyDirectly(const LedgerStatements& s, qint64 account, GridRows* rows, QString* error)
{
    sqlite3_stmt* invoices = s.invoices.get();
    sqlite3_bind_int64(invoices, 1, account);
    int result = SQLITE_ROW;
    while (rows->size() < LazyTableModel::kBatch &&
           (result = sqlite3_step(invoices)) == SQLITE_ROW) {
        const qint64 number = sqlite3_column_int64(invoices, 4);
        const Money payable = Money::fromStored(sqlite3_column_int64(invoices, 3));
        QStringList row(LedgerColumnCount);
        row[Raised] = generalDate(text(invoices, 0));
        row[InvoiceNo] = QString::number(number);
        QStringList jobs;
        sqlite3_bind_int64(s.lines.get(), 1, number);
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(s.lines.get())) == SQLITE_ROW)
            jobs.append(QString::number(sqlite3_column_int64(s.lines.get(), 0)));
        if (!finish(s.lines.get(), step, error))
            return finish(invoices, SQLITE_ERROR, error);
        if (!jobs.isEmpty())
            row[Description] =
                QStringLiteral("Payment for jobs ") + jobs.join(QStringLiteral(", "));
        row[NetCost] = Money::fromStored(sqlite3_column_int64(invoices, 1)).toString();
        row[Vat] = Money::fromStored(sqlite3_column_int64(invoices, 2)).toString();
        row[TotalPayable] = payable.toString();
        rows->append(row);
        const qsizetype invoiceRow = rows->size() - 1;
        Money received;
        bool any = false;
        sqlite3_bind_int64(s.receipts.get(), 1, number);
        while ((step = sqlite3_step(s.receipts.get())) == SQLITE_ROW) {
            const Money amount = Money::fromStored(sqlite3_column_int64(s.receipts.get(), 0));
            QStringList payment(LedgerColumnCount);
            payment[Raised] = generalDate(text(s.receipts.get(), 1));
            payment[Description] = QStringLiteral("Payment Received");
            payment[Received] = amount.toString();
            rows->append(payment);
            received += amount;
            any = true;
        }
        if (!finish(s.receipts.get(), step, error))
            return finish(invoices, SQLITE_ERROR, error);
        if (!any)
            (*rows)[invoiceRow][InvoiceBalance] = payable.toString();
        else if (received > Money())
            rows->last()[InvoiceBalance] = (payable - received).toString();
        rows->append(QStringList(LedgerColumnCount));
    }
    return finish(invoices, result == SQLITE_ROW ? SQLITE_DONE : result, error);
}

bool historyOurs(const QSqlDatabase& db, qint64 account, GridRows* rows, QString* error)
{
    LedgerHistory history(db, account);
    return history.start(error) && history.read(LazyTableModel::kBatch, rows, error);
}

// The account with the most invoices, and its name.
std::optional<std::pair<qint64, QString>> busiestAccount(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("select a.account_id, a.account_name from accounts a "
                           "where a.account_id = (select account_no from invoice_header "
                           "group by account_no order by count(*) desc, account_no limit 1)")) ||
        !query.next()) {
        *error = QObject::tr("The firm has no invoices.");
        return std::nullopt;
    }
    return std::pair{query.value(0).toLongLong(), query.value(1).toString()};
}

} // namespace

std::optional<Timed> setUpOpenLedger(Fixture& fixture, QString* error)
{
    const auto account = busiestAccount(fixture.db, error);
    if (!account)
        return std::nullopt;
    LedgerStatements s{prepare(fixture.handle, ledgerInvoicesSql().toUtf8().constData(), error),
                       prepare(fixture.handle, kLinesOfInvoice, error),
                       prepare(fixture.handle, kReceiptsOfInvoice, error)};
    if (!s.invoices || !s.lines || !s.receipts)
        return std::nullopt;
    GridRows ours, baseline;
    if (!historyOurs(fixture.db, account->first, &ours, error) ||
        !historyDirectly(s, account->first, &baseline, error))
        return std::nullopt;
    if (baseline.isEmpty() || ours != baseline) {
        *error = QObject::tr("The ledger and the baseline read different rows (%1 and %2).")
                     .arg(ours.size())
                     .arg(baseline.size());
        return std::nullopt;
    }

    // The ledger as the menu opens it, the account picked from its list each run.
    auto screen = std::make_shared<frmaccount_ledger>(fixture.db, fixture.dialogs);
    screen->show();
    QCoreApplication::processEvents();
    auto* list = screen->findChild<QComboBox*>(QStringLiteral("txtacc_name"));
    const int entry = list->findText(account->second);
    Timed timed;
    timed.ours = [db = fixture.db, id = account->first](QString* reason) {
        GridRows rows;
        return historyOurs(db, id, &rows, reason);
    };
    timed.baseline = [s, id = account->first](QString* reason) {
        GridRows rows;
        return historyDirectly(s, id, &rows, reason);
    };
    timed.whole = [screen, list, entry, &fixture](QString* reason) {
        list->setCurrentIndex(entry);
        Q_EMIT list->activated(entry);
        QCoreApplication::processEvents();
        return noBoxShown(fixture.dialogs, reason);
    };
    return timed;
}

std::optional<Timed> setUpSavePayment(Fixture& fixture, QString* error)
{
    const auto account = busiestAccount(fixture.db, error);
    if (!account)
        return std::nullopt;
    QSqlQuery last(fixture.db);
    if (!last.exec(QStringLiteral("select max(invoice_no) from invoice_header "
                                  "where account_no = %1")
                       .arg(account->first)) ||
        !last.next())
        return std::nullopt;
    const auto due = invoiceDue(fixture.db, last.value(0).toLongLong(), error);
    if (!due)
        return std::nullopt;
    struct Direct
    {
        Statement begin, receipt, paid, balance, commit;
    };
    Direct d{prepare(fixture.handle, "begin", error),
             prepare(fixture.handle,
                     "insert into receipts (account_no, invoice_number, invoice_net_cost, "
                     "date_raised, amount_received, date_received) values (?, ?, ?, ?, ?, ?)",
                     error),
             prepare(fixture.handle,
                     "update invoice_header set amount_paid = amount_paid + ? "
                     "where invoice_no = ?",
                     error),
             prepare(fixture.handle,
                     "update accounts set account_balance = account_balance + ? "
                     "where account_id = ?",
                     error),
             prepare(fixture.handle, "commit", error)};
    if (!d.begin || !d.receipt || !d.paid || !d.balance || !d.commit)
        return std::nullopt;

    // A penny received and a penny returned in turn, so that the file keeps its sums.
    auto sign = std::make_shared<int>(1);
    const QString day = QStringLiteral("2000-01-01");
    Timed timed;
    timed.ours = [db = fixture.db, id = account->first, invoice = *due, day,
                  sign](QString* reason) {
        *sign = -*sign;
        const Payment payment{id, invoice, Money::fromPence(*sign), day};
        return velmora::savePayment(db, payment, reason).has_value();
    };
    timed.baseline = [d, id = account->first, invoice = *due, day, sign](QString* reason) {
        *sign = -*sign;
        const qint64 amount = Money::fromPence(*sign).stored();
        sqlite3_bind_int64(d.receipt.get(), 1, id);
        sqlite3_bind_int64(d.receipt.get(), 2, invoice.number);
        sqlite3_bind_int64(d.receipt.get(), 3, invoice.payable.stored());
        bind(d.receipt.get(), 4, invoice.raised);
        sqlite3_bind_int64(d.receipt.get(), 5, amount);
        bind(d.receipt.get(), 6, day);
        sqlite3_bind_int64(d.paid.get(), 1, amount);
        sqlite3_bind_int64(d.paid.get(), 2, invoice.number);
        sqlite3_bind_int64(d.balance.get(), 1, amount);
        sqlite3_bind_int64(d.balance.get(), 2, id);
        return execute(d.begin.get(), reason) && execute(d.receipt.get(), reason) &&
               execute(d.paid.get(), reason) && execute(d.balance.get(), reason) &&
               execute(d.commit.get(), reason);
    };
    return timed;
}

std::optional<Timed> setUpStatementRun(Fixture& fixture, QString* error)
{
    QSqlQuery range(fixture.db);
    if (!range.exec(
            QStringLiteral("select min(account_name), max(account_name), max(date) "
                           "from accounts, (select max(date) as date from invoice_header)")) ||
        !range.next() || range.isNull(2)) {
        *error = QObject::tr("The firm has no invoices.");
        return std::nullopt;
    }
    const StatementRange statements{
        range.value(0).toString(), range.value(1).toString(),
        QDate::fromString(range.value(2).toString().left(10), Qt::ISODate).addYears(-1)};
    const QStringList sql = statementRunSql();
    std::vector<Statement> direct;
    for (const char* control : {"begin", "commit"})
        direct.push_back(prepare(fixture.handle, control, error));
    for (const QString& text : sql)
        direct.push_back(prepare(fixture.handle, text.toUtf8().constData(), error));
    for (const Statement& statement : direct) {
        if (!statement)
            return std::nullopt;
    }
    Timed timed;
    timed.ours = [db = fixture.db, statements](QString* reason) {
        return buildStatements(db, statements, reason).has_value();
    };
    timed.baseline = [direct, statements](QString* reason) {
        const QString since = statements.since.toString(Qt::ISODate);
        sqlite3_stmt* invoices = direct[3].get();
        sqlite3_stmt* payments = direct[4].get();
        sqlite3_stmt* broughtForward = direct[5].get();
        sqlite3_stmt* count = direct[6].get();
        for (sqlite3_stmt* rows : {invoices, payments}) {
            bind(rows, 1, statements.startName);
            bind(rows, 2, statements.endName);
            bind(rows, 3, since);
        }
        bind(broughtForward, 1, since);
        bind(broughtForward, 2, since);
        if (!execute(direct[0].get(), reason) || !execute(direct[2].get(), reason) ||
            !execute(invoices, reason) || !execute(payments, reason) ||
            !execute(broughtForward, reason))
            return false;
        const int result = sqlite3_step(count);
        return finish(count, result == SQLITE_ROW ? SQLITE_DONE : result, reason) &&
               execute(direct[1].get(), reason);
    };
    return timed;
}

} // namespace velmora::bench
