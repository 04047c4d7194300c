#include "ledger.h"

#include "data/dates.h"
#include "data/dialect.h"
#include "data/fault.h"
#include "data/preparedquery.h"
#include "data/rowversion.h"
#include "data/sql.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace velmora {

namespace {

const QLatin1String kAccountColumns(
    "select accounts.account_id, accounts.account_name, accounts.account_balance, "
    "addresses.address_line1, addresses.address_line2, addresses.address_town, "
    "addresses.address_county, addresses.address_postcode1, addresses.address_postcode2, "
    "addresses.address_phone1, addresses.address_phone2, addresses.address_phone3 "
    "from addresses inner join accounts on addresses.address_id = accounts.address_id ");

QStringList emptyRow()
{
    QStringList row;
    row.fill(QString(), LedgerColumnCount);
    return row;
}

// An account's invoices' job numbers and payments (bound: the account), by invoice number.
QString ledgerLinesSql()
{
    return QStringLiteral("select invoice_line.invoice_no, invoice_line.job_id "
                          "from invoice_header cross join invoice_line "
                          "where invoice_header.account_no = ? "
                          "and invoice_line.invoice_no = invoice_header.invoice_no "
                          "order by invoice_header.invoice_no, invoice_line.seq");
}

QString ledgerReceiptsSql()
{
    return QStringLiteral("select receipts.invoice_number, receipts.amount_received, "
                          "receipts.date_received from invoice_header cross join receipts "
                          "where invoice_header.account_no = ? "
                          "and receipts.invoice_number = invoice_header.invoice_no "
                          "order by invoice_header.invoice_no, receipts.rowid");
}

} // namespace

std::optional<QStringList> ledgerAccountNames(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query,
             QStringLiteral("select accounts.account_name from addresses inner join accounts "
                            "on addresses.address_id = accounts.address_id "
                            "order by %1, accounts.account_id")
                 .arg(caseBlindOrder(engineOf(db), QStringLiteral("accounts.account_name"))),
             {}, error))
        return std::nullopt;
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return names;
}

std::optional<LedgerAccount> findLedgerAccount(const QSqlDatabase& db, const QString& name,
                                               QString* error)
{
    // Kept prepared: the ledger looks an account up at every one picked.
    PreparedQuery prepared(db, kAccountColumns + QStringLiteral("where accounts.account_name = ? "
                                                                "order by accounts.account_name, "
                                                                "accounts.account_id limit 1"));
    if (!prepared.run({name}, error) || !prepared.query().next())
        return std::nullopt;
    const QSqlQuery& query = prepared.query();
    LedgerAccount account{query.value(0).toLongLong(),
                          query.value(1).toString(),
                          Money::fromVariant(query.value(2)),
                          {}};
    for (int part = 0; part < 9; ++part) {
        if (!query.isNull(3 + part))
            account.address[part] = query.value(3 + part).toString();
    }
    return account;
}

QStringList ledgerHeadings()
{
    return {QString(),
            QStringLiteral("Date/Time Raised"),
            QStringLiteral("Invoice No"),
            QStringLiteral("Invoice Description"),
            QStringLiteral("Net Cost"),
            QStringLiteral("VAT Value"),
            QStringLiteral("Total Payable"),
            QStringLiteral("Amount Received"),
            QStringLiteral("Invoice Balance"),
            QString()};
}

QString ledgerInvoicesSql()
{
    return QStringLiteral("select date, gross_value, vat_value, net_value, invoice_no "
                          "from invoice_header where account_no = ? order by invoice_no, date");
}

LedgerHistory::LedgerHistory(const QSqlDatabase& db, qint64 account)
    : m_account(account), m_invoices(db, ledgerInvoicesSql(), RowReader::AllInBatches),
      m_lines{RowReader(db, ledgerLinesSql(), RowReader::AllInBatches)},
      m_receipts{RowReader(db, ledgerReceiptsSql(), RowReader::AllInBatches)}
{
}

bool LedgerHistory::start(QString* error)
{
    m_reading = m_invoices.run({m_account}, error) && m_lines.run({m_account}, error) &&
                m_receipts.run({m_account}, error) && m_lines.step(error) && m_receipts.step(error);
    if (!m_reading)
        finish();
    return m_reading;
}

void LedgerHistory::finish()
{
    m_invoices.finish();
    m_lines.reader.finish();
    m_receipts.reader.finish();
    m_reading = false;
}

bool LedgerHistory::Stream::step(QString* error)
{
    QString failure;
    onRow = reader.next(&failure);
    if (failure.isEmpty())
        return true;
    *error = failure;
    return false;
}

bool LedgerHistory::Stream::at(qint64 invoice, QString* error)
{
    while (onRow && reader.integer(0) < invoice) {
        if (!step(error))
            return false;
    }
    return true;
}

bool LedgerHistory::read(int count, QList<QStringList>* rows, QString* error)
{
    for (qsizetype first = rows->size(); m_reading && rows->size() - first < count;) {
        QString failure;
        if (!m_invoices.next(&failure)) {
            finish();
            if (failure.isEmpty())
                return true;
            *error = failure;
            return false;
        }
        if (!readInvoice(rows, error)) {
            finish();
            return false;
        }
    }
    return true;
}

// The invoice's job numbers as its description: "Payment for jobs 12, 13"; empty without
// lines.
bool LedgerHistory::describe(qint64 invoice, QString* description, QString* error)
{
    if (!m_lines.at(invoice, error))
        return false;
    QStringList jobs;
    for (; m_lines.onRow && m_lines.reader.integer(0) == invoice;) {
        jobs.append(m_lines.reader.text(1));
        if (!m_lines.step(error))
            return false;
    }
    if (!jobs.isEmpty())
        *description = QStringLiteral("Payment for jobs ") + jobs.join(QStringLiteral(", "));
    return true;
}

bool LedgerHistory::readInvoice(QList<QStringList>* rows, QString* error)
{
    const qint64 number = m_invoices.integer(4);
    const Money payable = Money::fromStored(m_invoices.integer(3));
    QStringList row = emptyRow();
    if (!m_invoices.isNull(0))
        row[Raised] = generalDate(m_invoices.text(0));
    if (!m_invoices.isNull(4))
        row[InvoiceNo] = QString::number(number);
    if (!describe(number, &row[Description], error))
        return false;
    row[NetCost] = Money::fromStored(m_invoices.integer(1)).toString();
    row[Vat] = Money::fromStored(m_invoices.integer(2)).toString();
    row[TotalPayable] = payable.toString();
    rows->append(row);
    const qsizetype invoiceRow = rows->size() - 1;

    if (!m_receipts.at(number, error))
        return false;
    Money received;
    bool any = false;
    for (RowReader& receipt = m_receipts.reader;
         m_receipts.onRow && receipt.integer(0) == number;) {
        const Money amount = Money::fromStored(receipt.integer(1));
        QStringList payment = emptyRow();
        if (!receipt.isNull(2))
            payment[Raised] = generalDate(receipt.text(2));
        payment[Description] = QStringLiteral("Payment Received");
        payment[Received] = amount.toString();
        rows->append(payment);
        received += amount;
        any = true;
        if (!m_receipts.step(error))
            return false;
    }
    if (!any)
        (*rows)[invoiceRow][InvoiceBalance] = payable.toString();
    else if (received > Money())
        rows->last()[InvoiceBalance] = (payable - received).toString();
    rows->append(emptyRow());
    return true;
}

std::optional<InvoiceDue> invoiceDue(const QSqlDatabase& db, qint64 number, QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select h.date, h.net_value, "
                            "(select sum(r.amount_received) from receipts r "
                            "where r.invoice_number = h.invoice_no), "
                            "(select count(*) from receipts r "
                            "where r.invoice_number = h.invoice_no) "
                            "from invoice_header h where h.invoice_no = ?"),
             {number}, error) ||
        !query.next())
        return std::nullopt;
    return InvoiceDue{number, query.value(0).toString(), Money::fromVariant(query.value(1)),
                      Money::fromVariant(query.value(2)), query.value(3).toLongLong() > 0};
}

std::optional<PaymentSaved> savePayment(const QSqlDatabase& db, const Payment& payment,
                                        QString* error)
{
    Transaction transaction(db);
    if (!transaction.begun(error))
        return std::nullopt;
    QSqlQuery query(db);
    const QVariant amount = payment.amount.toVariant();
    if (!run(query,
             QStringLiteral("insert into receipts (account_no, invoice_number, invoice_net_cost, "
                            "date_raised, amount_received, date_received) "
                            "values (?, ?, ?, ?, ?, ?)"),
             {payment.account, payment.invoice.number, payment.invoice.payable.toVariant(),
              payment.invoice.raised, amount, payment.received},
             error))
        return std::nullopt;
    PaymentSaved saved;
    if (!run(query,
             QStringLiteral("update invoice_header set amount_paid = amount_paid + ? "
                            "where invoice_no = ?"),
             {amount, payment.invoice.number}, error))
        return std::nullopt;
    saved.invoiceFound = query.numRowsAffected() > 0;
    if (!run(query,
             QStringLiteral("update accounts set account_balance = account_balance + ?, ") +
                 versionBump() + QStringLiteral(" where account_id = ?"),
             {amount, changeStamp(db), payment.account}, error))
        return std::nullopt;
    saved.accountFound = query.numRowsAffected() > 0;
    if (!transaction.commit(error))
        return std::nullopt;
    return saved;
}

bool markForReprint(const QSqlDatabase& db, qint64 invoice, QString* error)
{
    QSqlQuery query(db);
    return run(query,
               QStringLiteral("update invoice_header set printed = 'N' where invoice_no = ?"),
               {invoice}, error) &&
           query.numRowsAffected() > 0;
}

QString generalDate(const QString& stored)
{
    const QDate date = dateFromStored(stored);
    if (!date.isValid())
        return stored;
    const QTime time = QTime::fromString(stored.mid(11, 8), Qt::ISODate);
    if (!time.isValid() || time == QTime(0, 0))
        return ukDate(date);
    return ukDate(date) + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss"));
}

std::optional<QString> parseDateTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    const auto date = parseUkDate(blank < 0 ? trimmed : trimmed.left(blank));
    if (!date)
        return std::nullopt;
    if (blank < 0)
        return storedDate(*date);
    const QString clock = trimmed.mid(blank + 1).trimmed();
    QTime time = QTime::fromString(clock, QStringLiteral("H:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(clock, QStringLiteral("H:mm"));
    if (!time.isValid())
        return std::nullopt;
    return storedStamp(QDateTime(*date, time));
}

} // namespace velmora
