#include "transfertext.h"

#include "data/audit.h"
#include "data/batchcache.h"
#include "data/runlock.h"
#include "data/sql.h"
#include "recordfile.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::exchange {

namespace {
// How many records an import reads between two words to its progress.
constexpr qint64 kProgressEvery = 256;

// Opens `path` to read without waiting (a pipe with no writer cannot block) and checks,
// on the opened file, that it may be imported: the descriptor, or -1 with the run's
// message in *problem.
int openTransferFile(const QString& path, QString* problem)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *problem = failure(path, QString::fromLocal8Bit(std::strerror(errno)));
        return -1;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        *problem = failure(path, QObject::tr("it is not an ordinary file (a folder, pipe or "
                                             "device cannot be imported)"));
    else if (info.st_size > kLargestTransferFile)
        *problem = failure(path, QObject::tr("it holds %1 bytes, more than the %2 bytes a "
                                             "transfer file may hold")
                                     .arg(qint64(info.st_size))
                                     .arg(kLargestTransferFile));
    if (problem->isEmpty())
        return fd;
    ::close(fd);
    return -1;
}

} // namespace

QString rejection(const QString& opening, const QString& path, const QString& reason,
                  const QString& value, qint64 job)
{
    return opening + path + kLineEnd + reason + value + kLineEnd +
           QStringLiteral(" transaction rejected. Job Number = ") + QString::number(job) + kLineEnd;
}

QString fieldWithNul(std::initializer_list<NamedField> fields)
{
    for (const NamedField& field : fields) {
        const qsizetype nul = field.bytes.indexOf('\0');
        if (nul < 0)
            continue;
        for (const char byte : field.bytes.sliced(nul)) {
            if (byte != '\0' && byte != ' ')
                return QString::fromLatin1(field.name);
        }
    }
    return {};
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

QString importSummary(const QString& opening, const QString& records, const QString& table,
                      const QString& path, const TransferOutcome& outcome)
{
    return opening + u' ' + path + kLineEnd + QStringLiteral(" successfully processed. ") +
           kLineEnd + QString::number(outcome.added) + u' ' + records +
           QStringLiteral(" added to %1 table. ").arg(table) + kLineEnd +
           QString::number(outcome.updated) + u' ' + records +
           QStringLiteral(" updated on %1 table. ").arg(table) + kLineEnd +
           QString::number(outcome.rejected) + u' ' + records + QStringLiteral(" rejected. ") +
           kLineEnd;
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

QString transferFileProblem(const QString& path)
{
    QString problem;
    const int fd = openTransferFile(path, &problem);
    if (fd >= 0)
        ::close(fd);
    return problem;
}

TransferOutcome withFile(const QString& path,
                         const std::function<TransferOutcome(QIODevice&)>& import)
{
    TransferOutcome refused;
    const int fd = openTransferFile(path, &refused.message);
    if (fd < 0)
        return refused;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failedRun(path, file.errorString());
    }
    return import(file);
}

TransferOutcome importRecords(const QSqlDatabase& db, QIODevice& file, const QString& path,
                              qsizetype fieldBytes, qsizetype slotBytes,
                              const std::function<RecordResult(const QByteArray&)>& apply,
                              const std::function<QString(const TransferOutcome&)>& summary,
                              const TransferProgress& progress)
{
    TransferOutcome outcome;
    const RunLock lock(db, RunKind::Exchange);
    if (QString refused; !lock.held(&refused))
        return failedRun(path, refused);
    const BatchCache cache(db);
    Transaction transaction(db);
    if (!transaction.isActive())
        return failedRun(path, QObject::tr("a transaction could not be begun"));
    const AuditPause pause(db);
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
    if (!writeRunEntry(db, QStringLiteral("import"), QFileInfo(path).fileName(),
                       {{QStringLiteral("added"), outcome.added},
                        {QStringLiteral("updated"), outcome.updated},
                        {QStringLiteral("rejected"), outcome.rejected}},
                       &error) ||
        !transaction.commit(&error))
        return failedRun(path, error);
    outcome.completed = true;
    outcome.strayBytes = records.strayBytes();
    outcome.message = summary(outcome);
    if (outcome.strayBytes > 0)
        outcome.message += strayNote(outcome.strayBytes);
    return outcome;
}

} // namespace velmora::exchange
