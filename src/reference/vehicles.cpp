#include "vehicles.h"

#include "data/columnwidths.h"
#include "data/dates.h"
#include "data/fault.h"
#include "data/sql.h"
#include "leadingnumber.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <tuple>

namespace velmora {

namespace {

struct ChoiceTable
{
    const char* table;
    const char* id;
    const char* name;
};

ChoiceTable choiceTable(VehicleChoice list)
{
    if (list == VehicleChoice::Drivers)
        return {"drivers", "driver_id", "driver_name"};
    return {"vehicle_types", "vehicletypeid", "vehicledescription"};
}

QString choiceSql(VehicleChoice list, const char* pattern)
{
    const ChoiceTable t = choiceTable(list);
    return QString::fromLatin1(pattern).arg(QLatin1String(t.id), QLatin1String(t.name),
                                            QLatin1String(t.table));
}

// A stored date in the form the screen shows; other texts as they are.
QString shownDate(const QString& stored)
{
    const QDate date = dateFromStored(stored);
    return date.isValid() ? ukDate(date) : stored;
}

// A date field holding text that is not a date: the blocking fault, or nullopt.
std::optional<VehicleFinding> notADate(const QString& text, VehicleField field,
                                       const QString& caption)
{
    if (text.isEmpty() || parseUkDate(text))
        return std::nullopt;
    return VehicleFinding{
        QObject::tr("%1 is not a date: enter it as dd/mm/yyyy or use the calendar").arg(caption),
        field, true};
}

// The warning for an empty or expired date field, when one applies.
void warnDate(QList<VehicleFinding>& findings, const QString& text, VehicleField field,
              const QString& missing, const QString& expired, QDate today)
{
    if (text.isEmpty())
        findings.append({missing, field});
    else if (parseUkDate(text).value_or(today) < today)
        findings.append({expired, field});
}

// The first fault that stops the save, in screen order, or nullopt.
std::optional<VehicleFinding> blockingFault(const VehicleInput& input)
{
    if (!input.year.isEmpty() && leadingNumber(input.year) < 1900)
        return VehicleFinding{QObject::tr("Invalid year supplied"), VehicleField::Year, true};
    for (const auto& [text, field, caption] :
         {std::tuple{input.roadTax, VehicleField::RoadTax, QObject::tr("Road Tax Due")},
          std::tuple{input.plated, VehicleField::Plated, QObject::tr("Plated To")},
          std::tuple{input.insurance, VehicleField::Insurance, QObject::tr("Insurance Due")}}) {
        if (auto fault = notADate(text, field, caption))
            return fault;
    }
    bool whole = false;
    if (!input.capacity.isEmpty() && (input.capacity.toInt(&whole) < 1 || !whole))
        return VehicleFinding{QObject::tr("Passenger capacity must be a whole number above 0"),
                              VehicleField::Capacity, true};
    return std::nullopt;
}

// The stored form of a date field, today when it is empty.
QString storedDateOf(const QString& text, QDate today)
{
    if (text.isEmpty())
        return storedDate(today);
    return storedDate(parseUkDate(text).value_or(QDate()));
}

} // namespace

std::optional<QList<Choice>> listChoices(const QSqlDatabase& db, VehicleChoice list, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, choiceSql(list, "select %1, %2 from %3 order by %1"), {}, error))
        return std::nullopt;
    QList<Choice> choices;
    while (query.next())
        choices.append({query.value(0).toLongLong(), query.value(1).toString()});
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return choices;
}

std::optional<qint64> choiceId(const QSqlDatabase& db, VehicleChoice list, const QString& name,
                               QString* error)
{
    QSqlQuery query(db);
    if (!run(query, choiceSql(list, "select %1 from %3 where %2 = ? order by %1 limit 1"), {name},
             error) ||
        !query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

std::optional<QString> choiceName(const QSqlDatabase& db, VehicleChoice list, qint64 id,
                                  QString* error)
{
    QSqlQuery query(db);
    if (!run(query, choiceSql(list, "select %2 from %3 where %1 = ?"), {id}, error) ||
        !query.next())
        return std::nullopt;
    return query.value(0).toString();
}

std::optional<bool> hasVehicles(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select exists (select 1 from vehicles)"), {}, error) ||
        !query.next())
        return std::nullopt;
    return query.value(0).toBool();
}

std::optional<VehicleRecord> findVehicle(const QSqlDatabase& db, const QString& regNo,
                                         QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select reg_no, vehicle_type, driver_id, first_reg, road_tax, "
                            "plated, insurance, policy, capacity, driver_owned, row_version "
                            "from vehicles where reg_no = ?"),
             {regNo}, error) ||
        !query.next())
        return std::nullopt;
    return VehicleRecord{
        .regNo = query.value(0).toString(),
        .vehicleType = query.value(1).toLongLong(),
        .driverId = query.value(2).toLongLong(),
        .year = query.value(3).toString(),
        .roadTax = shownDate(query.value(4).toString()),
        .plated = shownDate(query.value(5).toString()),
        .insurance = shownDate(query.value(6).toString()),
        .policy = query.value(7).toString(),
        .capacity = query.value(8).toString(),
        .driverOwned = query.value(9).toString(),
        .version = query.value(10).toLongLong(),
    };
}

QList<VehicleFinding> checkVehicleDetails(const VehicleInput& input, QDate today)
{
    // Faults that stop the save come first, so the warnings are shown once, on the attempt
    // that saves.
    if (auto fault = blockingFault(input))
        return {*fault};
    QList<VehicleFinding> findings;
    if (input.year.isEmpty())
        findings.append(
            {QObject::tr("You have not supplied year of manufacture"), VehicleField::Year});
    warnDate(findings, input.roadTax, VehicleField::RoadTax,
             QObject::tr("You have not input date road tax due"),
             QObject::tr("Road tax has expired already"), today);
    warnDate(findings, input.plated, VehicleField::Plated,
             QObject::tr("You have not input date plated to"),
             QObject::tr("Vehicle needs re-plating already"), today);
    warnDate(findings, input.insurance, VehicleField::Insurance,
             QObject::tr("You have not supplied insurance renewal date"),
             QObject::tr("Insurance mut be re-newed"), today);
    if (input.policy.isEmpty())
        findings.append(
            {QObject::tr("You have not supplied insurance policy details"), VehicleField::Policy});
    return findings;
}

std::optional<RowSave> saveVehicle(const QSqlDatabase& db, const VehicleRecord& vehicle,
                                   QDate today, QString* error)
{
    const QString todayStored = storedDate(today);
    const QVariantList values = {
        vehicle.vehicleType,
        vehicle.driverId,
        vehicle.year.isEmpty() ? todayStored : vehicle.year,
        storedDateOf(vehicle.roadTax, today),
        storedDateOf(vehicle.plated, today),
        storedDateOf(vehicle.insurance, today),
        vehicle.policy.isEmpty() ? todayStored : vehicle.policy,
        vehicle.capacity.isEmpty() ? 4 : vehicle.capacity.toInt(),
        vehicle.driverOwned.isEmpty() ? QStringLiteral("N") : QStringLiteral("Y"),
        vehicle.regNo,
    };
    if (!fitsColumns(
            u"vehicles",
            {QStringLiteral("first_reg"), QStringLiteral("policy"), QStringLiteral("reg_no")},
            {values.at(2), values.at(6), vehicle.regNo}, error))
        return std::nullopt;
    Transaction transaction(db);
    if (!transaction.begun(error))
        return std::nullopt;
    const std::optional<RowSave> saved =
        saveRow(db,
                {QStringLiteral("vehicles"),
                 QStringLiteral("reg_no = ?"),
                 {vehicle.regNo},
                 QObject::tr("Vehicle %1").arg(vehicle.regNo)},
                QStringLiteral("vehicle_type = ?, driver_id = ?, first_reg = ?, road_tax = ?, "
                               "plated = ?, insurance = ?, policy = ?, capacity = ?, "
                               "driver_owned = ?"),
                values.mid(0, values.size() - 1), vehicle.version, error);
    if (!saved || *saved == RowSave::ChangedElsewhere)
        return saved;
    QSqlQuery query(db);
    if (*saved == RowSave::Missing &&
        !run(query,
             QStringLiteral("insert into vehicles (vehicle_type, driver_id, first_reg, road_tax, "
                            "plated, insurance, policy, capacity, driver_owned, reg_no) "
                            "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             values, error))
        return std::nullopt;
    if (!transaction.commit(error))
        return std::nullopt;
    return RowSave::Saved;
}

std::optional<bool> deleteVehicle(const QSqlDatabase& db, const QString& regNo, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("delete from vehicles where reg_no = ?"), {regNo}, error))
        return std::nullopt;
    return query.numRowsAffected() > 0;
}

} // namespace velmora
