#include "jobrecord.h"

#include "data/columnwidths.h"
#include "data/dates.h"
#include "data/preparedquery.h"
#include "data/sql.h"
#include "jobtime.h"

#include <QObject>
#include <QSqlQuery>

namespace velmora {

namespace {

QVariant textOrNull(const QString& text) { return text.isEmpty() ? QVariant() : QVariant(text); }

std::optional<QString> optionalText(const QSqlQuery& query, int column)
{
    if (query.isNull(column))
        return std::nullopt;
    return query.value(column).toString();
}

// Empty text, never NULL, for a column written as it stands.
QString textAsItStands(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

QString invoicedFlag(const JobRecord& job)
{
    return job.onAccount ? QStringLiteral("N") : QStringLiteral(" ");
}

// "Y" when the bound driver is paid a percentage of the jobs they drive.
const QLatin1String kPercentageDriver("exists (select 1 from drivers "
                                      "where driver_id = ? and driver_percentage > 0)");

// Whether the job's typed texts fit their columns; *error names the first that does not.
bool fits(const QString& prefix, const JobRecord& job, QString* error)
{
    return fitsColumns(u"jobs",
                       {QStringLiteral("job_prefix"), QStringLiteral("time_text"),
                        QStringLiteral("passenger_name"), QStringLiteral("address_from"),
                        QStringLiteral("address_to"), QStringLiteral("special_instructions"),
                        QStringLiteral("acc_ref"), QStringLiteral("costed_code")},
                       {prefix, job.time, job.passenger, job.from, job.to, job.instructions,
                        job.accountReference, job.costCode},
                       error);
}

// How the operator knows a job: "Job A51".
QString jobName(const JobKey& key)
{
    return QObject::tr("Job %1%2").arg(key.prefix).arg(key.number);
}

} // namespace

std::optional<qint64> addJob(const QSqlDatabase& db, const QString& prefix, const JobRecord& job,
                             QString* error)
{
    if (!fits(prefix, job, error))
        return std::nullopt;
    QSqlQuery query(db);
    const std::optional<qint64> row = insertRow(
        query,
        QStringLiteral("insert into jobs (job_prefix, date, time, time_text, passenger_name, "
                       "address_from, address_to, account_no, driver, invoiced, "
                       "payment_type, vehicle_type, special_instructions, record_status, "
                       "acc_ref, costed_code, driver_percentage) "
                       "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'I', ?, ?, "
                       "case when ") +
            kPercentageDriver + QStringLiteral(" then 'Y' else 'N' end)"),
        {prefix, storedDate(job.date), storedPickUpTime(job.time), job.time, job.passenger,
         job.from, job.to, job.account, job.driver, invoicedFlag(job), job.paymentType,
         job.vehicleType, job.instructions, textOrNull(job.accountReference),
         textOrNull(job.costCode), job.driver},
        error);
    if (!row ||
        !run(query, QStringLiteral("select job_id from jobs where rowid = ?"), {*row}, error))
        return std::nullopt;
    if (!query.next()) {
        *error = QObject::tr("The new job could not be read back.");
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

std::optional<RowSave> updateJob(const QSqlDatabase& db, const JobKey& key, const JobRecord& job,
                                 std::optional<qint64> version, QString* error)
{
    if (!fits(key.prefix, job, error))
        return std::nullopt;
    return saveRow(db,
                   {QStringLiteral("jobs"),
                    QStringLiteral("job_prefix = ? and job_id = ?"),
                    {key.prefix, key.number},
                    jobName(key)},
                   QStringLiteral("date = ?, time = ?, time_text = ?, "
                                  "passenger_name = ?, address_from = ?, address_to = ?, "
                                  "account_no = ?, driver = ?, payment_type = ?, acc_ref = ?, "
                                  "costed_code = ?, "
                                  "invoiced = case when invoiced = 'Y' then 'Y' else ? end, "
                                  "vehicle_type = ?, special_instructions = ?, "
                                  "driver_percentage = case when calculated = 'N' and ") +
                       kPercentageDriver + QStringLiteral(" then 'Y' else 'N' end"),
                   {storedDate(job.date), storedPickUpTime(job.time), job.time, job.passenger,
                    job.from, job.to, job.account, job.driver, job.paymentType,
                    textAsItStands(job.accountReference), textAsItStands(job.costCode),
                    invoicedFlag(job), job.vehicleType, job.instructions, job.driver},
                   version, error);
}

const QString& loadJobStatement()
{
    static const QString statement = QStringLiteral(
        "select jobs.job_prefix, jobs.job_id, jobs.date, jobs.time, "
        "jobs.passenger_name, jobs.address_from, jobs.address_to, "
        "jobs.special_instructions, drivers.driver_name, "
        "payment_types.paymentdescription, vehicle_types.vehicledescription, "
        "accounts.account_name, jobs.acc_ref, jobs.costed_code, accounts.account_id, "
        "jobs.account_no, case when jobs.invoiced = 'Y' then jobs.invoice_no end, "
        "jobs.row_version "
        "from jobs left join accounts on accounts.account_id = jobs.account_no "
        "left join drivers on drivers.driver_id = jobs.driver "
        "left join payment_types on payment_types.paymenttypeid = jobs.payment_type "
        "left join vehicle_types on vehicle_types.vehicletypeid = jobs.vehicle_type "
        "where jobs.job_prefix = ? and jobs.job_id = ?");
    return statement;
}

bool loadJob(const QSqlDatabase& db, const JobKey& key, std::optional<LoadedJob>* job,
             QString* error)
{
    PreparedQuery prepared(db, loadJobStatement());
    if (!prepared.run({key.prefix, key.number}, error))
        return false;
    QSqlQuery& query = prepared.query();
    job->reset();
    if (!query.next())
        return true;
    *job = LoadedJob{{query.value(0).toString(), query.value(1).toLongLong()},
                     dateFromStored(query.value(2).toString()),
                     query.value(3).toString(),
                     query.value(4).toString(),
                     optionalText(query, 5),
                     optionalText(query, 6),
                     optionalText(query, 7),
                     optionalText(query, 8),
                     optionalText(query, 9),
                     optionalText(query, 10),
                     optionalText(query, 11),
                     optionalText(query, 12),
                     optionalText(query, 13),
                     query.value(14).toLongLong(),
                     query.value(15).toLongLong(),
                     query.isNull(16) ? std::nullopt
                                      : std::optional<qint64>(query.value(16).toLongLong()),
                     query.value(17).toLongLong()};
    return true;
}

} // namespace velmora
