#include "transfertext.h"

#include "data/batchcache.h"
#include "data/sql.h"
#include "recordfile.h"

#include <QFile>
#include <QObject>

#include <algorithm>

namespace velmora::exchange {

namespace {
// How many records an import reads between two words to its progress.
constexpr qint64 kProgressEvery = 256;
} // namespace

QString rejection(const QString& opening, const QString& path, const QString& reason,
                  const QString& value, qint64 job)
{
    return opening + path + kLineEnd + reason + value + kLineEnd +
           QStringLiteral(" transaction rejected. Job Number = ") + QString::number(job) + kLineEnd;
}

QString failure(const QString& path, const QString& reason)
{
    return QObject::tr("The file %1 could not be processed: %2").arg(path, reason) + kLineEnd +
           QObject::tr("Nothing from it has been kept.") + kLineEnd;
}

TransferOutcome failedRun(const QString& path, const QString& reason)
{
    TransferOutcome outcome;
    outcome.message = failure(path, reason);
    return outcome;
}

QString strayNote(qint64 bytes)
{
    return QObject::tr("The last %1 bytes of the file do not make a whole record and were not "
                       "read.")
               .arg(bytes) +
           kLineEnd;
}

TransferOutcome cancelledRun(const QString& path)
{
    TransferOutcome outcome;
    outcome.cancelled = true;
    outcome.message = QObject::tr("The import of %1 was cancelled.").arg(path) + kLineEnd +
                      QObject::tr("Nothing from it has been kept.") + kLineEnd;
    return outcome;
}

TransferOutcome withFile(const QString& path,
                         const std::function<TransferOutcome(QIODevice&)>& import)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failedRun(path, file.errorString());
    return import(file);
}

TransferOutcome importRecords(const QSqlDatabase& db, QIODevice& file, const QString& path,
                              qsizetype fieldBytes, qsizetype slotBytes,
                              const std::function<RecordResult(const QByteArray&)>& apply,
                              const std::function<QString(const TransferOutcome&)>& summary,
                              const TransferProgress& progress)
{
    TransferOutcome outcome;
    const BatchCache cache(db);
    Transaction transaction(db);
    if (!transaction.isActive())
        return failedRun(path, QObject::tr("a transaction could not be begun"));
    RecordFile records(file, fieldBytes, slotBytes);
    qint64 read = 0;
    // A file that grew while it was read holds at least what was read.
    const auto carryOn = [&] {
        return progress(read, records.total() > 0 ? std::max(read, records.total()) : 0);
    };
    while (const std::optional<QByteArray> slot = records.next()) {
        RecordResult result = apply(*slot);
        switch (result.kind) {
        case RecordResult::Kind::Added:
            ++outcome.added;
            break;
        case RecordResult::Kind::Updated:
            ++outcome.updated;
            break;
        case RecordResult::Kind::Rejected:
            ++outcome.rejected;
            outcome.rejections.append(std::move(result.text));
            break;
        case RecordResult::Kind::Failed:
            return failedRun(path, result.text);
        }
        ++read;
        if (progress && read % kProgressEvery == 0 && !carryOn())
            return cancelledRun(path);
    }
    QString error = records.error();
    if (!error.isEmpty())
        return failedRun(path, error);
    // The last word is the whole file, before the commit that keeps it.
    if (progress && read % kProgressEvery != 0 && !carryOn())
        return cancelledRun(path);
    if (!transaction.commit(&error))
        return failedRun(path, error);
    outcome.completed = true;
    outcome.strayBytes = records.strayBytes();
    outcome.message = summary(outcome);
    if (outcome.strayBytes > 0)
        outcome.message += strayNote(outcome.strayBytes);
    return outcome;
}

} // namespace velmora::exchange
