#pragma once

#include "data/rowversion.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace velmora {

// A row of `vehicles`, its texts in the form the vehicle screen shows and takes them.
struct VehicleRecord
{
    QString regNo;
    qint64 vehicleType = 0;
    qint64 driverId = 0;
    QString year;      // first_reg
    QString roadTax;   // dd/MM/yyyy
    QString plated;    // dd/MM/yyyy
    QString insurance; // dd/MM/yyyy
    QString policy;
    QString capacity;
    QString driverOwned; // "Y" or "N"
    // The row version the screen read; none for a vehicle typed in anew.
    std::optional<qint64> version;
};

// The two lists the vehicle screen picks from.
enum class VehicleChoice { Drivers, VehicleTypes };

// An entry of such a list.
struct Choice
{
    qint64 id = 0;
    QString name;
};

// Every driver (driver_name) or vehicle type (vehicledescription), in table order.
// nullopt with the reason in *error when the table cannot be read.
std::optional<QList<Choice>> listChoices(const QSqlDatabase& db, VehicleChoice list,
                                         QString* error);
// The id of the first entry with this name, compared without regard to case; nullopt
// when there is none, or on failure with the reason in *error (left untouched otherwise).
std::optional<qint64> choiceId(const QSqlDatabase& db, VehicleChoice list, const QString& name,
                               QString* error);
// The name of the entry with this id; not found and failure as choiceId().
std::optional<QString> choiceName(const QSqlDatabase& db, VehicleChoice list, qint64 id,
                                  QString* error);

// Whether any vehicle is recorded; nullopt with the reason in *error on failure.
std::optional<bool> hasVehicles(const QSqlDatabase& db, QString* error);
// The vehicle with this registration (case ignored); dates shown as dd/MM/yyyy.
// Not found and failure as choiceId().
std::optional<VehicleRecord> findVehicle(const QSqlDatabase& db, const QString& regNo,
                                         QString* error);

// The fields of the vehicle screen that the checks before saving look at.
struct VehicleInput
{
    QString year, roadTax, plated, insurance, policy, capacity;
};
enum class VehicleField { Year, RoadTax, Plated, Insurance, Policy, Capacity };
// A message of the checks: a warning, or a blocking fault that stops the save.
struct VehicleFinding
{
    QString message;
    VehicleField field;
    bool blocking = false;
};
// The checks of year, dates, policy and capacity as of `today`: the first fault that stops
// the save (a year before 1900, a date that is not a date, a capacity that is not a whole
// number above 0) alone when there is one, otherwise the warnings that apply in screen
// order. An empty capacity passes (it is taken as 4).
QList<VehicleFinding> checkVehicleDetails(const VehicleInput& input, QDate today);

// Stores a checked vehicle: updates the vehicle with its registration (case ignored; the
// stored registration stays as it was) or adds one. Year, policy and the three dates
// default to `today` when empty; the capacity to 4; driverOwned is "N" when empty and "Y"
// otherwise. Dates are stored in their stored form. A vehicle read at a version is updated
// only while it is still at it: ChangedElsewhere with the refusal in *error (rowversion.h).
// Saved, or nullopt with the reason in *error.
std::optional<RowSave> saveVehicle(const QSqlDatabase& db, const VehicleRecord& vehicle,
                                   QDate today, QString* error);

// Deletes the vehicle with this registration. True when one was deleted, false when there
// was none; nullopt with the reason in *error on failure.
std::optional<bool> deleteVehicle(const QSqlDatabase& db, const QString& regNo, QString* error);

} // namespace velmora
