#pragma once

#include "data/money.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// The widest description an operational cost takes.
inline constexpr int kOpCostDescriptionWidth = 40;

// A cost of running the firm (rent, insurance, a radio licence) on a day.
struct OperationalCost
{
    qint64 id = 0; // 0 until stored
    QDate date;
    Money amount;
    QString description;
};

// The statement that lists the costs, newest first, for a list on the screen: columns
// id, date (stored form), amount (stored form), description.
QString operationalCostsQuery();

// The cost with this id; nullopt when there is none, or on failure with the driver's
// text in *error (left untouched otherwise).
std::optional<OperationalCost> findOperationalCost(const QSqlDatabase& db, qint64 id,
                                                   QString* error);

// Adds the cost (id 0, which then gets its new id) or changes the stored one. False with
// the driver's text in *error, also when the cost to change no longer exists.
bool saveOperationalCost(const QSqlDatabase& db, OperationalCost* cost, QString* error);

// Deletes the cost with this id; false with the driver's text in *error.
bool deleteOperationalCost(const QSqlDatabase& db, qint64 id, QString* error);

} // namespace velmora
