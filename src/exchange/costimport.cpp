#include "data/rowreader.h"
#include "data/sql.h"
#include "lookups.h"
#include "transfer.h"
#include "transferrecords.h"
#include "transfertext.h"

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

bool isFlag(QByteArrayView text, char flag)
{
    return text.size() == 1 && (text[0] | 0x20) == (flag | 0x20);
}

class CostImport
{
public:
    CostImport(const QSqlDatabase& db, const QString& path, QSet<qint64> types)
        : m_path(path), m_types(std::move(types)), m_job(db, kJobExists), m_find(db, kFindLine),
          m_insert(db, kInsertLine), m_update(db, kUpdateLine)
    {
    }

    RecordResult apply(const QByteArray& slot)
    {
        const CostTransferView record = readCostRecord(slot, m_texts);
        QString error;
        if (!m_job.start(&error))
            return {RecordResult::Kind::Failed, error};
        m_job.bind(1, record.prefix);
        m_job.bind(2, record.number);
        const bool jobFound = m_job.next(&error);
        m_job.finish();
        if (!error.isEmpty())
            return {RecordResult::Kind::Failed, error};
        if (const QString reason = check(record, jobFound); !reason.isEmpty())
            return {RecordResult::Kind::Rejected, reason};

        if (!m_find.start(&error))
            return {RecordResult::Kind::Failed, error};
        m_find.bind(1, record.prefix);
        m_find.bind(2, record.number);
        m_find.bind(3, record.incomeExpense);
        m_find.bind(4, record.costType);
        const qint64 row = m_find.next(&error) ? m_find.integer(0) : 0;
        m_find.finish();
        if (!error.isEmpty())
            return {RecordResult::Kind::Failed, error};
        RowReader& write = row > 0 ? m_update : m_insert;
        if (!write.start(&error))
            return {RecordResult::Kind::Failed, error};
        bindLine(write, record);
        if (row > 0) {
            write.bind(10, row);
        } else {
            write.bind(10, record.prefix);
            write.bind(11, record.number);
        }
        write.next(&error);
        if (!error.isEmpty())
            return {RecordResult::Kind::Failed, error};
        return {row > 0 ? RecordResult::Kind::Updated : RecordResult::Kind::Added, {}};
    }

private:
    // The first fault of the record, as its rejection message; empty when there is none.
    QString check(const CostTransferView& r, bool jobFound) const
    {
        const auto message = [&](const QString& reason, const QString& value) {
            return rejection(QStringLiteral("Input file "), m_path, reason, value, r.number);
        };
        if (!jobFound)
            return QStringLiteral("Input file ") + m_path + kLineEnd +
                   QStringLiteral(" contains a job number not recorded in jobs table ") + kLineEnd +
                   QStringLiteral(" transaction rejected. Job Number = ") +
                   QString::number(r.number) + kLineEnd;
        if (const QString field = fieldWithNul({{"prefix", r.prefix},
                                                {"income or expense", r.incomeExpense},
                                                {"description", r.description},
                                                {"VAT", r.vat}});
            !field.isEmpty())
            return message(QStringLiteral(" contains a NUL byte inside the text of the field "),
                           field);
        const bool income = isFlag(r.incomeExpense, 'I');
        if (!m_types.contains(r.costType))
            return message(income ? QStringLiteral(" contains a cost type not recorded in the "
                                                   "system ")
                                  : QStringLiteral(" contains a payment type not recorded in "
                                                   "the system "),
                           QString::number(r.costType));
        // A line that is neither income nor expense would belong to neither side of the job.
        if (!income && !isFlag(r.incomeExpense, 'E'))
            return message(QStringLiteral(" contains an income or expense flag that is neither "
                                          "I nor E "),
                           QStringLiteral("'%1'").arg(QString::fromUtf8(r.incomeExpense)));
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

    static void bindLine(RowReader& query, const CostTransferView& r)
    {
        query.bind(1, r.costType);
        query.bind(2, r.incomeExpense);
        query.bind(3, r.description);
        query.bind(4, r.gross);
        query.bind(5, r.discount);
        query.bind(6, r.discountValue);
        query.bind(7, r.net);
        query.bind(8, r.vat);
        query.bind(9, r.vatValue);
    }

    QString m_path;
    QSet<qint64> m_types;
    RecordTexts m_texts{CostTransferRecord::kFieldBytes};
    RowReader m_job;
    RowReader m_find;
    RowReader m_insert;
    RowReader m_update;
};

QString costSummary(const QString& path, const TransferOutcome& o)
{
    return importSummary(QStringLiteral("Costs import file"), QStringLiteral("cost records"),
                         QStringLiteral("costs"), path, o);
}

} // namespace

TransferOutcome import_cost_transfer(const QSqlDatabase& db, QIODevice& file, const QString& path,
                                     const TransferProgress& progress)
{
    QString error;
    std::optional<QSet<qint64>> types =
        numbers(db, QStringLiteral("select receipttypeid from receipt_types"), &error);
    if (!types)
        return failedRun(path, error);
    CostImport import(db, path, std::move(*types));
    return importRecords(
        db, file, path, CostTransferRecord::kFieldBytes, CostTransferRecord::kSlotBytes,
        [&import](const QByteArray& slot) { return import.apply(slot); },
        [&path](const TransferOutcome& outcome) { return costSummary(path, outcome); }, progress);
}

TransferOutcome import_cost_transfer(const QSqlDatabase& db, const QString& path,
                                     const TransferProgress& progress)
{
    return withFile(
        path, [&](QIODevice& file) { return import_cost_transfer(db, file, path, progress); });
}

} // namespace velmora::exchange
