#include "driverpaycount.h"

namespace velmora {

std::optional<WorkCount> countDriverPay(const QSqlDatabase& db, const DriverRange& range,
                                        QString* error)
{
    return countWork(db,
                     QStringLiteral("select count(*), count(distinct driver) from (") +
                         driverPayStatements().candidates + u')',
                     {range.from, range.to, QStringLiteral("9999-12-31")}, error);
}

} // namespace velmora
