#include "driverwage.h"

#include "costline.h"
#include "fault.h"
#include "readonly.h"

#include <QSqlError>

namespace velmora {

namespace {

bool failed(const QSqlQuery& query, QString* error)
{
    *error = queryFault(query);
    return false;
}

bool execute(QSqlQuery& query, const QVariantList& values, QString* error)
{
    for (qsizetype index = 0; index < values.size(); ++index)
        query.bindValue(int(index), values.at(index));
    return query.exec() || failed(query, error);
}

} // namespace

const DriverWageStatements& driverWageStatements()
{
    static const DriverWageStatements statements{
        QStringLiteral("UPDATE driver_wages SET job_net_cost = ?, driver_percentage = ?, "
                       "driver_payment = ? WHERE rowid = (SELECT rowid FROM driver_wages "
                       "WHERE driver_id = ? AND job_prefix = ? AND job_id = ? "
                       "AND Reported = 'N' ORDER BY rowid LIMIT 1)"),
        QStringLiteral("INSERT INTO driver_wages (driver_id, job_prefix, job_id, job_net_cost, "
                       "driver_percentage, driver_payment, Reported) "
                       "SELECT ?, ?, ?, ?, ?, ?, 'N' WHERE NOT EXISTS (SELECT 1 FROM "
                       "driver_wages WHERE driver_id = ? AND job_prefix = ? AND job_id = ?)"),
    };
    return statements;
}

bool DriverWageWriter::prepare(QString* error)
{
    const DriverWageStatements& sql = driverWageStatements();
    if (!m_update.prepare(sql.update))
        return failed(m_update, error);
    return m_insert.prepare(sql.insert) || failed(m_insert, error);
}

bool DriverWageWriter::write(qint64 driver, const QString& prefix, qint64 number, Money income,
                             int percentage, QString* error)
{
    const QVariant share = driverShare(income, percentage).toVariant();
    if (!execute(m_update, {income.toVariant(), percentage, share, driver, prefix, number}, error))
        return false;
    if (m_update.numRowsAffected() > 0)
        return true;
    return execute(
        m_insert,
        {driver, prefix, number, income.toVariant(), percentage, share, driver, prefix, number},
        error);
}

} // namespace velmora
