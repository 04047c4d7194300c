#include "data/sql.h"
#include "lookups.h"
#include "transfer.h"
#include "transferrecords.h"
#include "transfertext.h"

#include <QSqlError>
#include <QSqlQuery>

#include <limits>

namespace velmora::exchange {

namespace {

const QString kJobExists =
    QStringLiteral("select 1 from jobs where job_prefix = ? and job_id = ? limit 1");
const QString kFindLine = QStringLiteral(
    "select rowid from costs where job_prefix = ? and jobnumber = ? and income_expence = ? "
    "and costtype = ? order by rowid limit 1");
// The line's columns in the order of bindLine(); the key of the update comes after them.
const QString kLineColumns =
    QStringLiteral("costtype, income_expence, description, gross_cost, discount, "
                   "discount_value, net_cost, vat, vat_value");
const QString kInsertLine = QStringLiteral("insert into costs (") + kLineColumns +
                            QStringLiteral(", job_prefix, jobnumber) values (") + placeholders(11) +
                            QStringLiteral(")");
const QString kUpdateLine = QStringLiteral("update costs set ") +
                            assignments(kLineColumns.split(QStringLiteral(", "))) +
                            QStringLiteral(" where rowid = ?");

class CostImport
{
public:
    CostImport(const QSqlDatabase& db, const QString& path, QSet<qint64> types)
        : m_path(path), m_types(std::move(types)), m_job(db), m_find(db), m_insert(db), m_update(db)
    {
        m_job.setForwardOnly(true);
        m_find.setForwardOnly(true);
    }

    bool prepare(QString* error)
    {
        for (auto [query, sql] :
             {std::pair{&m_job, &kJobExists}, std::pair{&m_find, &kFindLine},
              std::pair{&m_insert, &kInsertLine}, std::pair{&m_update, &kUpdateLine}}) {
            if (!query->prepare(*sql)) {
                *error = query->lastError().text();
                return false;
            }
        }
        return true;
    }

    RecordResult apply(const QByteArray& slot)
    {
        const CostTransferRecord record = readCostRecord(slot);
        m_job.bindValue(0, record.prefix);
        m_job.bindValue(1, record.number);
        if (!m_job.exec())
            return {RecordResult::Kind::Failed, m_job.lastError().text()};
        const bool jobFound = m_job.next();
        m_job.finish();
        if (const QString reason = check(record, jobFound); !reason.isEmpty())
            return {RecordResult::Kind::Rejected, reason};

        m_find.bindValue(0, record.prefix);
        m_find.bindValue(1, record.number);
        m_find.bindValue(2, record.incomeExpense);
        m_find.bindValue(3, record.costType);
        if (!m_find.exec())
            return {RecordResult::Kind::Failed, m_find.lastError().text()};
        const qint64 row = m_find.next() ? m_find.value(0).toLongLong() : 0;
        m_find.finish();
        QSqlQuery& write = row > 0 ? m_update : m_insert;
        bindLine(write, record);
        if (row > 0) {
            write.bindValue(9, row);
        } else {
            write.bindValue(9, record.prefix);
            write.bindValue(10, record.number);
        }
        if (!write.exec())
            return {RecordResult::Kind::Failed, write.lastError().text()};
        return {row > 0 ? RecordResult::Kind::Updated : RecordResult::Kind::Added, {}};
    }

private:
    // The first fault of the record, as its rejection message; empty when there is none.
    QString check(const CostTransferRecord& r, bool jobFound) const
    {
        const auto message = [&](const QString& reason, const QString& value) {
            return rejection(QStringLiteral("Input file "), m_path, reason, value, r.number);
        };
        if (!jobFound)
            return QStringLiteral("Input file ") + m_path + kLineEnd +
                   QStringLiteral(" contains a job number not recorded in jobs table ") + kLineEnd +
                   QStringLiteral(" transaction rejected. Job Number = ") +
                   QString::number(r.number) + kLineEnd;
        const bool income = r.incomeExpense.compare(QStringLiteral("I"), Qt::CaseInsensitive) == 0;
        if (!m_types.contains(r.costType))
            return message(income ? QStringLiteral(" contains a cost type not recorded in the "
                                                   "system ")
                                  : QStringLiteral(" contains a payment type not recorded in "
                                                   "the system "),
                           QString::number(r.costType));
        // A line that is neither income nor expense would belong to neither side of the job.
        if (!income && r.incomeExpense.compare(QStringLiteral("E"), Qt::CaseInsensitive) != 0)
            return message(QStringLiteral(" contains an income or expense flag that is neither "
                                          "I nor E "),
                           QStringLiteral("'%1'").arg(r.incomeExpense));
        if (r.discount < 0 || r.discount > 100)
            return message(QStringLiteral(" contains a discount percentage outside 0 to 100 "),
                           QString::number(r.discount));
        // The lowest 64-bit amount has no opposite, so no credit or sum could turn it round.
        for (const std::int64_t amount : {r.gross, r.discountValue, r.net, r.vatValue}) {
            if (amount == std::numeric_limits<std::int64_t>::min())
                return message(QStringLiteral(" contains an amount beyond what can be held "),
                               QString::number(amount));
        }
        return {};
    }

    static void bindLine(QSqlQuery& query, const CostTransferRecord& r)
    {
        const QVariant values[] = {r.costType,         r.incomeExpense, r.description,
                                   qlonglong(r.gross), r.discount,      qlonglong(r.discountValue),
                                   qlonglong(r.net),   r.vat,           qlonglong(r.vatValue)};
        int index = 0;
        for (const QVariant& value : values)
            query.bindValue(index++, value);
    }

    QString m_path;
    QSet<qint64> m_types;
    QSqlQuery m_job;
    QSqlQuery m_find;
    QSqlQuery m_insert;
    QSqlQuery m_update;
};

QString costSummary(const QString& path, const TransferOutcome& o)
{
    return QStringLiteral("Costs import file ") + path + kLineEnd +
           QStringLiteral(" successfully processed. ") + kLineEnd + QString::number(o.added) +
           QStringLiteral(" cost records added to costs table. ") + kLineEnd +
           QString::number(o.updated) + QStringLiteral(" cost records updated on costs table. ") +
           kLineEnd + QString::number(o.rejected) + QStringLiteral(" cost records rejected. ") +
           kLineEnd;
}

} // namespace

TransferOutcome import_cost_transfer(const QSqlDatabase& db, QIODevice& file, const QString& path)
{
    QString error;
    std::optional<QSet<qint64>> types =
        numbers(db, QStringLiteral("select receipttypeid from receipt_types"), &error);
    if (!types)
        return failedRun(path, error);
    CostImport import(db, path, std::move(*types));
    if (!import.prepare(&error))
        return failedRun(path, error);
    return importRecords(
        db, file, path, CostTransferRecord::kFieldBytes, CostTransferRecord::kSlotBytes,
        [&import](const QByteArray& slot) { return import.apply(slot); },
        [&path](const TransferOutcome& outcome) { return costSummary(path, outcome); });
}

TransferOutcome import_cost_transfer(const QSqlDatabase& db, const QString& path)
{
    return withFile(path, [&](QIODevice& file) { return import_cost_transfer(db, file, path); });
}

} // namespace velmora::exchange
