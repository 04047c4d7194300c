#include "data/dates.h"
#include "data/sql.h"
#include "lookups.h"
#include "transfer.h"
#include "transferrecords.h"
#include "transfertext.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

namespace velmora::exchange {

namespace {

const QString kFindJob =
    QStringLiteral("select record_status from jobs where job_prefix = ? and job_id = ?");
// The job's columns in the order of bindColumns(); prefix and number come last so that
// the update can name its row with them.
const QString kColumns = QStringLiteral(
    "date, time, passenger_name, address_from, address_to, account_no, driver, passengers, "
    "payment_type, invoiced, vehicle_type, special_instructions, record_status, invoice_no, "
    "time_text, acc_ref, costed_code, std_job, driver_percentage, calculated");
const QString kInsertJob = QStringLiteral("insert into jobs (") + kColumns +
                           QStringLiteral(", job_prefix, job_id) values (") + placeholders(22) +
                           QStringLiteral(")");
const QString kUpdateJob = QStringLiteral("update jobs set ") +
                           assignments(kColumns.split(QStringLiteral(", "))) +
                           QStringLiteral(" where job_prefix = ? and job_id = ?");

struct Lookups
{
    QSet<qint64> accounts, drivers, paymentTypes, vehicleTypes;
};

class JobImport
{
public:
    JobImport(const QSqlDatabase& db, const QString& path, Lookups lookups)
        : m_path(path), m_lookups(std::move(lookups)), m_find(db), m_insert(db), m_update(db)
    {
        m_find.setForwardOnly(true);
    }

    bool prepare(QString* error)
    {
        for (auto [query, sql] : {std::pair{&m_find, &kFindJob}, std::pair{&m_insert, &kInsertJob},
                                  std::pair{&m_update, &kUpdateJob}}) {
            if (!query->prepare(*sql)) {
                *error = query->lastError().text();
                return false;
            }
        }
        return true;
    }

    RecordResult apply(const QByteArray& slot)
    {
        const JobTransferRecord record = readJobRecord(slot);
        if (const QString reason = check(record); !reason.isEmpty())
            return {RecordResult::Kind::Rejected, reason};
        m_find.bindValue(0, record.prefix);
        m_find.bindValue(1, record.number);
        if (!m_find.exec())
            return {RecordResult::Kind::Failed, m_find.lastError().text()};
        const bool found = m_find.next();
        const QString status = found ? m_find.value(0).toString() : QString();
        m_find.finish();
        // The key is unique over every job, so a job of another status cannot be added
        // beside it; only a completed job is replaced.
        if (found && status.compare(QStringLiteral("C"), Qt::CaseInsensitive) != 0)
            return reject(QStringLiteral(" contains a job already recorded with status "), status,
                          record.number);
        QSqlQuery& write = found ? m_update : m_insert;
        bindColumns(write, record);
        if (!write.exec())
            return {RecordResult::Kind::Failed, write.lastError().text()};
        return {found ? RecordResult::Kind::Updated : RecordResult::Kind::Added, {}};
    }

private:
    RecordResult reject(const QString& reason, const QString& value, qint64 job) const
    {
        return {RecordResult::Kind::Rejected,
                rejection(QStringLiteral("Input file "), m_path, reason, value, job)};
    }

    // The first fault of the record, as its rejection message; empty when there is none.
    QString check(const JobTransferRecord& r) const
    {
        const auto message = [&](const QString& reason, const QString& value) {
            return rejection(QStringLiteral("Input file "), m_path, reason, value, r.number);
        };
        if (r.number < 1)
            return message(QStringLiteral(" contains a job number below 1 "),
                           QString::number(r.number));
        if (!fromOleDate(r.date))
            return message(QStringLiteral(" contains a date that is not a real date "),
                           QString::number(r.date, 'g', 17));
        const struct
        {
            qint64 number;
            const QSet<qint64>& known;
            const char* reason;
        } references[] = {
            {r.account, m_lookups.accounts, " contains invalid account number "},
            {r.driver, m_lookups.drivers, " contains invalid driver number "},
            {r.paymentType, m_lookups.paymentTypes, " contains invalid payment type "},
            {r.vehicleType, m_lookups.vehicleTypes, " contains invalid vehicle type "},
        };
        for (const auto& reference : references) {
            if (reference.number > 0 && !reference.known.contains(reference.number))
                return message(QString::fromLatin1(reference.reason),
                               QString::number(reference.number));
        }
        return {};
    }

    static void bindColumns(QSqlQuery& query, const JobTransferRecord& r)
    {
        const QDateTime moment = *fromOleDate(r.date);
        const QVariant values[] = {storedDate(moment.date()),
                                   r.time,
                                   r.passenger,
                                   r.from,
                                   r.to,
                                   r.account,
                                   r.driver,
                                   r.passengers,
                                   r.paymentType,
                                   r.invoiced,
                                   r.vehicleType,
                                   r.instructions,
                                   r.status,
                                   r.invoiceNo,
                                   r.timeText,
                                   r.accountRef,
                                   r.costedCode,
                                   r.standardJob,
                                   r.driverPercentage,
                                   r.calculated,
                                   r.prefix,
                                   r.number};
        int index = 0;
        for (const QVariant& value : values)
            query.bindValue(index++, value);
    }

    QString m_path;
    Lookups m_lookups;
    QSqlQuery m_find;
    QSqlQuery m_insert;
    QSqlQuery m_update;
};

QString jobSummary(const QString& path, const TransferOutcome& o)
{
    return QStringLiteral("Input file ") + path + kLineEnd +
           QStringLiteral(" successfully processed. ") + kLineEnd + QString::number(o.added) +
           QStringLiteral(" records added to jobs table. ") + kLineEnd +
           QString::number(o.updated) + QStringLiteral(" records updated on jobs table. ") +
           kLineEnd + QString::number(o.rejected) + QStringLiteral(" records rejected. ") +
           kLineEnd;
}

} // namespace

TransferOutcome import_job_transfer(const QSqlDatabase& db, QIODevice& file, const QString& path)
{
    QString error;
    Lookups lookups;
    const std::pair<QSet<qint64>*, const char*> tables[] = {
        {&lookups.accounts, "Select account_id from accounts"},
        {&lookups.drivers, "select driver_id from drivers"},
        {&lookups.paymentTypes, "select paymenttypeid from payment_types"},
        {&lookups.vehicleTypes, "select vehicletypeid from vehicle_types"},
    };
    for (const auto& [set, sql] : tables) {
        std::optional<QSet<qint64>> found = numbers(db, QString::fromLatin1(sql), &error);
        if (!found)
            return failedRun(path, error);
        *set = std::move(*found);
    }
    JobImport import(db, path, std::move(lookups));
    if (!import.prepare(&error))
        return failedRun(path, error);
    return importRecords(
        db, file, path, JobTransferRecord::kFieldBytes, JobTransferRecord::kSlotBytes,
        [&import](const QByteArray& slot) { return import.apply(slot); },
        [&path](const TransferOutcome& outcome) { return jobSummary(path, outcome); });
}

TransferOutcome import_job_transfer(const QSqlDatabase& db, const QString& path)
{
    return withFile(path, [&](QIODevice& file) { return import_job_transfer(db, file, path); });
}

} // namespace velmora::exchange
