#include "data/rowreader.h"
#include "replacedfile.h"
#include "transfer.h"
#include "transferrecords.h"
#include "transfertext.h"

#include <QObject>

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

// The record of the account in the current row of `row`, its texts read as they are
// held; nullopt with the reason in *error when its numbers do not fit the record.
std::optional<AccountTransferView> accountRecord(const RowReader& row, QString* error)
{
    const qint64 account = row.integer(0);
    const qint64 address = row.integer(1);
    if (!fitsLong(account) || !fitsLong(address)) {
        *error = QObject::tr("account %1 has a number too large for the file").arg(account);
        return std::nullopt;
    }
    AccountTransferView record;
    record.account = std::int32_t(account);
    record.address = std::int32_t(address);
    record.name = row.utf8(2);
    record.nickname = row.utf8(3);
    record.balance = row.integer(4); // ten-thousandths, as the file holds them; NULL is 0
    record.invoiceType = row.utf8(5);
    record.contact = row.utf8(6);
    record.reference = row.utf8(7);
    record.costCode = row.utf8(8);
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

TransferOutcome export_account_transfer(const QSqlDatabase& db, const QString& path, bool replace)
{
    TransferOutcome outcome;
    QString error;
    RowReader accounts(db, kAccounts);
    if (!accounts.run({}, &error))
        return failedRun(path, error);
    // The file takes the place of the old one only once all of it is written.
    ReplacedFile file(path, {db.databaseName(), {}, replace});
    if (!file.open(&error))
        return failedRun(path, error);
    qsizetype unmappable = 0;
    while (accounts.next(&error)) {
        const std::optional<AccountTransferView> record = accountRecord(accounts, &error);
        if (!record)
            return failedRun(path, error);
        writeAccountRecord(*record, file.reserve(AccountTransferRecord::kSlotBytes), &unmappable);
        ++outcome.written;
    }
    if (!error.isEmpty() || !file.commit(&error))
        return failedRun(path, error);
    outcome.completed = true;
    outcome.unmappable = unmappable;
    outcome.message = exportSummary(path, outcome);
    return outcome;
}

} // namespace velmora::exchange
