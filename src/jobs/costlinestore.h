#pragma once

#include "data/costline.h"
#include "jobkey.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// Receipt lines are what the customer pays, payment lines what the job cost.
enum class CostSide { Receipt, Payment };

// The type of receipt line that also records a credit note.
QString creditNoteType();

// A stored line of a job.
struct StoredCostLine
{
    QString type; // the type's name
    QString description;
    int discountPercent = 0;
    Money gross;
    Money discount;
    Money vatValue;
    Money net;
    std::optional<QString> vat; // the VAT flag, when one is stored
};

// The statement loadCostLines() runs, bound with the side flag, prefix and number.
const QString& costLinesStatement();

// The lines of the job `key` on `side` whose types exist, in the order they were first
// written. nullopt with the driver's text in *error when they cannot be read.
std::optional<QList<StoredCostLine>> loadCostLines(const QSqlDatabase& db, const JobKey& key,
                                                   CostSide side, QString* error);

// A line as it is to be saved.
struct CostLineEntry
{
    QString type;
    QString description;
    CostFigures figures;
    bool vat = false;
};

struct CostSaveResult
{
    enum class Outcome { Saved, NoJob, UnknownType, Failed } outcome = Outcome::Saved;
    int line = -1; // with UnknownType, the index of the first line whose type is unknown
    QString error; // with Failed, the driver's text
};

// Writes `lines` to the job `key` on `side`, all or none: a line whose type already has
// a stored line of the job replaces it, any other is added. A receipt line of the credit
// note type also writes the job's credit note, dated `today`, with `account` when it is
// above 0: it replaces the job's first credit note when its line was stored before.
// Nothing is written when the job does not exist (NoJob) or when a line's type is not
// one of the income and expense types.
CostSaveResult saveCostLines(const QSqlDatabase& db, const JobKey& key, CostSide side,
                             const QList<CostLineEntry>& lines, qint64 account, QDate today);

enum class CostDeleteOutcome { Deleted, UnknownType, NotFound, Failed };

// Removes the job's stored line of type `type` on `side`; Failed with the driver's text
// in *error.
CostDeleteOutcome deleteCostLine(const QSqlDatabase& db, const JobKey& key, CostSide side,
                                 const QString& type, QString* error);

} // namespace velmora
