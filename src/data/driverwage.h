#pragma once

#include "money.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace velmora {

// The two statements that record a driver's share of a job, for the writer below and the
// benchmark's baseline. `update` binds income, percentage, share, driver, prefix and number
// and rewrites the driver's unreported row of the job; when it changed nothing, `insert`
// binds driver, prefix, number, income, percentage and share, then driver, prefix and
// number again, and adds a row unless the driver already has one (a reported row).
struct DriverWageStatements
{
    QString update, insert;
};
const DriverWageStatements& driverWageStatements();

// Records drivers' shares of jobs in driver_wages: one row per driver and job (by prefix
// and number), rewritten while it is unreported and never once its slip is printed.
class DriverWageWriter
{
public:
    explicit DriverWageWriter(const QSqlDatabase& db) : m_update(db), m_insert(db) {}

    // False with the driver's text in *error.
    bool prepare(QString* error);
    // Records `driver`'s share (driverShare) of the job's `income` at `percentage`.
    bool write(qint64 driver, const QString& prefix, qint64 number, Money income, int percentage,
               QString* error);

private:
    QSqlQuery m_update;
    QSqlQuery m_insert;
};

} // namespace velmora
