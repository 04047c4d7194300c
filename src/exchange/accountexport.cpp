#include "data/money.h"
#include "data/sql.h"
#include "transfer.h"
#include "transferrecords.h"
#include "transfertext.h"

#include <QObject>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include <limits>

namespace velmora::exchange {

namespace {

const QString kAccounts = QStringLiteral(
    "select account_id, address_id, account_name, nickname, account_balance, invoice_type, "
    "contact_name, account_ref, cost_code from accounts order by account_id");

bool fitsLong(qint64 value)
{
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

// The record of the account in the current row of `query`; nullopt with the reason in
// *error when its numbers do not fit the record.
std::optional<AccountTransferRecord> accountRecord(const QSqlQuery& query, QString* error)
{
    const qint64 account = query.value(0).toLongLong();
    const qint64 address = query.value(1).toLongLong();
    if (!fitsLong(account) || !fitsLong(address)) {
        *error = QObject::tr("account %1 has a number too large for the file").arg(account);
        return std::nullopt;
    }
    AccountTransferRecord record;
    record.account = std::int32_t(account);
    record.address = std::int32_t(address);
    record.name = query.value(2).toString();
    record.nickname = query.value(3).toString();
    record.balance = Money::fromVariant(query.value(4)).stored();
    record.invoiceType = query.value(5).toString();
    record.contact = query.value(6).toString();
    record.reference = query.value(7).toString();
    record.costCode = query.value(8).toString();
    return record;
}

QString exportSummary(const QString& path, const TransferOutcome& o)
{
    QString summary = QStringLiteral("Export file ") + path + kLineEnd +
                      QStringLiteral(" successfully created. ") + kLineEnd +
                      QString::number(o.written) + QStringLiteral(" records written to disk. ") +
                      kLineEnd;
    if (o.unmappable > 0)
        summary += QObject::tr("%1 characters that the file's code page cannot hold were "
                               "written as \"?\".")
                       .arg(o.unmappable) +
                   kLineEnd;
    return summary;
}

} // namespace

TransferOutcome export_account_transfer(const QSqlDatabase& db, const QString& path)
{
    TransferOutcome outcome;
    QString error;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, kAccounts, {}, &error)) {
        return failedRun(path, error);
    }
    // The file takes the place of the old one only once all of it is written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failedRun(path, file.errorString());
    }
    qsizetype unmappable = 0;
    while (query.next()) {
        const std::optional<AccountTransferRecord> record = accountRecord(query, &error);
        if (!record) {
            return failedRun(path, error);
        }
        if (file.write(writeAccountRecord(*record, &unmappable)) < 0)
            break;
        ++outcome.written;
    }
    if (query.lastError().isValid() || !file.commit()) {
        const QString reason =
            query.lastError().isValid() ? query.lastError().text() : file.errorString();
        return failedRun(path, reason);
    }
    outcome.completed = true;
    outcome.unmappable = unmappable;
    outcome.message = exportSummary(path, outcome);
    return outcome;
}

} // namespace velmora::exchange
