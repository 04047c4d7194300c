#include "board.h"

#include "data/dates.h"
#include "data/sql.h"

#include <QSqlQuery>
#include <QSqlRecord>

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
                       "vehicle_types.vehicledescription, drivers.driver_name, jobs.record_status "
                       "FROM (vehicle_types INNER JOIN jobs "
                       "ON vehicle_types.vehicletypeid = jobs.vehicle_type) "
                       "LEFT JOIN drivers ON jobs.driver = drivers.driver_id "
                       "WHERE jobs.record_status <> 'C' ORDER BY jobs.date, jobs.time");
    return statement;
}

bool readBoard(const QSqlDatabase& db, std::vector<BoardRow>* rows, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, boardStatement(), {}, error))
        return false;
    // The driver (column 8) alone may be missing; any other gap means a damaged row. The
    // record, which names the columns, is built only for the message: building it for
    // every row would cost more than reading the row.
    constexpr int kDriverColumn = 8;
    constexpr int kColumns = 10;
    while (query.next()) {
        for (int column = 0; column < kColumns; ++column) {
            if (column != kDriverColumn && query.isNull(column)) {
                *error = QObject::tr("Job %1%2 has no %3.")
                             .arg(query.value(0).toString(), query.value(1).toString(),
                                  query.record().fieldName(column));
                return false;
            }
        }
        rows->push_back({query.value(0).toString(), query.value(1).toLongLong(),
                         dateFromStored(query.value(3).toString()), query.value(9).toString(),
                         query.value(2).toString().left(5), query.value(4).toString(),
                         query.value(5).toString(), query.value(6).toString(),
                         query.value(7).toString(), query.value(8).toString()});
    }
    return true;
}

} // namespace velmora
