#include "board.h"

#include "data/expiry.h"
#include "data/rowreader.h"

namespace velmora {

QColor statusColour(const QString& status, QDate date, QDate today)
{
    if (status.compare(QLatin1String("P"), Qt::CaseInsensitive) == 0)
        return QColor(255, 128, 0);
    if (status.compare(QLatin1String("C"), Qt::CaseInsensitive) == 0)
        return QColor(0, 0, 255);
    return date > today ? QColor(255, 0, 0) : QColor(0, 255, 0);
}

const QString& boardStatement()
{
    // The status is written out rather than bound so that the planner can use the
    // partial index of outstanding jobs.
    static const QString statement =
        QStringLiteral("SELECT jobs.job_prefix, jobs.job_id, jobs.time, jobs.date, "
                       "jobs.passenger_name, jobs.address_from, jobs.address_to, "
                       "vehicle_types.vehicledescription, drivers.driver_name, jobs.record_status, "
                       "CASE WHEN ") +
        unfitDriverCondition() +
        QStringLiteral(" THEN 1 ELSE 0 END "
                       "FROM (vehicle_types INNER JOIN jobs "
                       "ON vehicle_types.vehicletypeid = jobs.vehicle_type) "
                       "LEFT JOIN drivers ON jobs.driver = drivers.driver_id "
                       "WHERE jobs.record_status <> 'C' ORDER BY jobs.date, jobs.time, jobs.rowid");
    return statement;
}

bool readBoard(const QSqlDatabase& db, std::vector<BoardRow>* rows, QString* error)
{
    // Read straight from SQLite: the board is refilled after every change of a job.
    RowReader query(db, boardStatement());
    if (!query.run({}, error))
        return false;
    // A column left empty (a job saved without a time, say) shows empty: one such row
    // must not hide the others.
    QString failure;
    while (query.next(&failure)) {
        rows->push_back({query.text(0), query.integer(1), query.date(3), query.text(9),
                         query.text(2).left(5), query.text(4), query.text(5), query.text(6),
                         query.text(7), query.text(8), query.integer(10) != 0});
    }
    if (failure.isEmpty())
        return true;
    *error = failure;
    return false;
}

} // namespace velmora
