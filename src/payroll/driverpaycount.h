#pragma once

#include "data/workcount.h"
#include "driverpay.h"

namespace velmora {

// What a driver payment run over `range` would calculate: the jobs it takes in and their
// drivers, read with the run's own selection.
std::optional<WorkCount> countDriverPay(const QSqlDatabase& db, const DriverRange& range,
                                        QString* error);

} // namespace velmora
