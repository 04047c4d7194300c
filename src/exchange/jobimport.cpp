#include "data/dates.h"
#include "data/rowreader.h"
#include "data/sql.h"
#include "lookups.h"
#include "transfer.h"
#include "transferrecords.h"
#include "transfertext.h"

#include <QObject>

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
    QSet<qint64> percentageDrivers; // drivers paid a percentage of their jobs
};

class JobImport
{
public:
    JobImport(const QSqlDatabase& db, const QString& path, Lookups lookups)
        : m_path(path), m_lookups(std::move(lookups)), m_find(db, kFindJob),
          m_insert(db, kInsertJob), m_update(db, kUpdateJob)
    {
    }

    RecordResult apply(const QByteArray& slot)
    {
        const JobTransferView record = readJobRecord(slot, m_texts);
        const std::optional<QDateTime> moment = fromOleDate(record.date);
        if (const QString reason = check(record, moment.has_value()); !reason.isEmpty())
            return {RecordResult::Kind::Rejected, reason};
        QString error;
        if (!m_find.start(&error))
            return {RecordResult::Kind::Failed, error};
        m_find.bind(1, record.prefix);
        m_find.bind(2, record.number);
        const bool found = m_find.next(&error);
        const QByteArrayView status = found ? m_find.utf8(0) : QByteArrayView();
        // The key is unique over every job, so a job of another status cannot be added
        // beside it; only a completed job is replaced.
        if (found && !(status.size() == 1 && (status[0] | 0x20) == 'c')) {
            const QString text = QString::fromUtf8(status);
            m_find.finish();
            return reject(QStringLiteral(" contains a job already recorded with status "), text,
                          record.number);
        }
        m_find.finish();
        if (!error.isEmpty())
            return {RecordResult::Kind::Failed, error};
        RowReader& write = found ? m_update : m_insert;
        if (!write.start(&error))
            return {RecordResult::Kind::Failed, error};
        const QByteArray day = storedDate(moment->date()).toUtf8();
        bindColumns(write, record, day);
        write.next(&error);
        if (!error.isEmpty())
            return {RecordResult::Kind::Failed, error};
        return {found ? RecordResult::Kind::Updated : RecordResult::Kind::Added, {}};
    }

private:
    RecordResult reject(const QString& reason, const QString& value, qint64 job) const
    {
        return {RecordResult::Kind::Rejected,
                rejection(QStringLiteral("Input file "), m_path, reason, value, job)};
    }

    // The first fault of the record, as its rejection message; empty when there is none.
    QString check(const JobTransferView& r, bool realDate) const
    {
        const auto message = [&](const QString& reason, const QString& value) {
            return rejection(QStringLiteral("Input file "), m_path, reason, value, r.number);
        };
        if (r.number < 1)
            return message(QStringLiteral(" contains a job number below 1 "),
                           QString::number(r.number));
        if (const QString field = fieldWithNul({{"prefix", r.prefix},
                                                {"time", r.time},
                                                {"passenger", r.passenger},
                                                {"from", r.from},
                                                {"to", r.to},
                                                {"invoiced", r.invoiced},
                                                {"instructions", r.instructions},
                                                {"status", r.status},
                                                {"time text", r.timeText},
                                                {"account reference", r.accountRef},
                                                {"costed code", r.costedCode},
                                                {"driver percentage", r.driverPercentage},
                                                {"calculated", r.calculated}});
            !field.isEmpty())
            return message(QStringLiteral(" contains a NUL byte inside the text of the field "),
                           field);
        if (!realDate)
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

    // Binds the record in the order of kColumns, then its prefix and number; `day` must
    // stay until the statement has run. Empty flags take the values that mean "none": an
    // invoiced flag of one blank, not calculated. The driver-percentage flag follows the
    // job's driver, not the other office's flag.
    void bindColumns(RowReader& query, const JobTransferView& r, QByteArrayView day) const
    {
        const QByteArrayView invoiced = r.invoiced.isEmpty() ? QByteArrayView(" ") : r.invoiced;
        const QByteArrayView calculated =
            r.calculated.isEmpty() ? QByteArrayView("N") : r.calculated;
        const bool done = calculated.size() == 1 && (calculated[0] | 0x20) == 'y';
        const bool percentage = !done && m_lookups.percentageDrivers.contains(r.driver);
        const QByteArrayView texts[] = {day, r.time, r.passenger, r.from, r.to};
        int index = 1;
        for (const QByteArrayView text : texts)
            query.bind(index++, text);
        query.bind(index++, r.account);
        query.bind(index++, r.driver);
        query.bind(index++, r.passengers);
        query.bind(index++, r.paymentType);
        query.bind(index++, invoiced);
        query.bind(index++, r.vehicleType);
        query.bind(index++, r.instructions);
        query.bind(index++, r.status);
        query.bind(index++, r.invoiceNo);
        query.bind(index++, r.timeText);
        query.bind(index++, r.accountRef);
        query.bind(index++, r.costedCode);
        query.bind(index++, r.standardJob);
        query.bind(index++, QByteArrayView(percentage ? "Y" : "N"));
        query.bind(index++, calculated);
        query.bind(index++, r.prefix);
        query.bind(index, r.number);
    }

    QString m_path;
    Lookups m_lookups;
    RecordTexts m_texts{JobTransferRecord::kFieldBytes};
    RowReader m_find;
    RowReader m_insert;
    RowReader m_update;
};

QString jobSummary(const QString& path, const TransferOutcome& o)
{
    return importSummary(QStringLiteral("Input file"), QStringLiteral("records"),
                         QStringLiteral("jobs"), path, o);
}

} // namespace

TransferOutcome import_job_transfer(const QSqlDatabase& db, QIODevice& file, const QString& path,
                                    const TransferProgress& progress)
{
    QString error;
    Lookups lookups;
    const std::pair<QSet<qint64>*, const char*> tables[] = {
        {&lookups.accounts, "Select account_id from accounts"},
        {&lookups.drivers, "select driver_id from drivers"},
        {&lookups.percentageDrivers, "select driver_id from drivers where driver_percentage > 0"},
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
    return importRecords(
        db, file, path, JobTransferRecord::kFieldBytes, JobTransferRecord::kSlotBytes,
        [&import](const QByteArray& slot) { return import.apply(slot); },
        [&path](const TransferOutcome& outcome) { return jobSummary(path, outcome); }, progress);
}

TransferOutcome import_job_transfer(const QSqlDatabase& db, const QString& path,
                                    const TransferProgress& progress)
{
    return withFile(path,
                    [&](QIODevice& file) { return import_job_transfer(db, file, path, progress); });
}

} // namespace velmora::exchange
