#pragma once

#include "transfer.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <initializer_list>
#include <optional>

class QIODevice;

namespace velmora::exchange {

// CR LF, the line end of the routines' messages.
inline const QString kLineEnd = QStringLiteral("\r\n");

// "Input file PATH / REASON VALUE / transaction rejected. Job Number = N", the message
// of a rejected record.
QString rejection(const QString& opening, const QString& path, const QString& reason,
                  const QString& value, qint64 job);

// A text field of a record: its name in messages and its bytes.
struct NamedField
{
    const char* name;
    QByteArrayView bytes;
};

// The name of the first field that holds a NUL byte with text after it, which the field
// could not keep (NULs and spaces at its end are padding); empty when none does.
QString fieldWithNul(std::initializer_list<NamedField> fields);

// Why a run failed, with the words that nothing of the file was kept.
QString failure(const QString& path, const QString& reason);

// The outcome of a run that failed for `reason`.
TransferOutcome failedRun(const QString& path, const QString& reason);
// The outcome of an import the operator stopped.
TransferOutcome cancelledRun(const QString& path);

// The summary of a completed import: `opening` and the file, then how many `records` it
// added to, updated on and rejected from the `table` table, a line each.
QString importSummary(const QString& opening, const QString& records, const QString& table,
                      const QString& path, const TransferOutcome& outcome);

// The line an import summary gains when the file ends in bytes that make no record.
QString strayNote(qint64 bytes);

// Runs `import` on the file at `path` opened for reading; a file that cannot be opened
// fails the run.
TransferOutcome withFile(const QString& path,
                         const std::function<TransferOutcome(QIODevice&)>& import);

// What one record of an import came to: added, updated, rejected with a message, or a
// database error that ends the run.
struct RecordResult
{
    enum class Kind { Added, Updated, Rejected, Failed } kind;
    QString text; // the rejection's message or the error
};

// Reads every record of `file` (slots of `slotBytes`, `fieldBytes` read) and hands it to
// `apply` inside one transaction, counting the results and telling `progress`; any
// failure, or `progress` asking to stop, rolls the whole file back. `summary` words the
// summary of a completed run.
TransferOutcome importRecords(const QSqlDatabase& db, QIODevice& file, const QString& path,
                              qsizetype fieldBytes, qsizetype slotBytes,
                              const std::function<RecordResult(const QByteArray&)>& apply,
                              const std::function<QString(const TransferOutcome&)>& summary,
                              const TransferProgress& progress);

} // namespace velmora::exchange
