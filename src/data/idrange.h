#pragma once

#include <QString>

#include <optional>

namespace velmora {

// Why a range of numbered records (drivers, accounts, invoices) from `first` to `last`
// must not be run, worded with `what` ("driver"): a number below 1, or a first number above
// the last. Empty when it may run; a bound left out (nullopt) means the first or the last
// there is.
QString rangeProblem(const QString& what, std::optional<qint64> first, std::optional<qint64> last);

} // namespace velmora
