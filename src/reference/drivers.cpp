#include "drivers.h"

#include "data/dates.h"
#include "data/fault.h"
#include "data/sql.h"
#include "leadingnumber.h"

#include <QObject>
#include <QSqlError>

#include <algorithm>

namespace velmora {

namespace {

QString selectDrivers(const QString& condition)
{
    return QStringLiteral("select d.driver_id, d.driver_name, d.contact_name, d.licence_number, "
                          "d.self_employed, d.barred, d.driver_percentage, d.badge_expiry, "
                          "d.licence_expiry, d.dbs_expiry, %1, d.row_version "
                          "from drivers d join addresses a on d.address_id = a.address_id "
                          "%2 order by d.driver_id")
        .arg(addressColumnList(QStringLiteral("a")), condition);
}

DriverRecord readDriver(const QSqlQuery& query)
{
    return {
        .id = query.value(0).toLongLong(),
        .name = readText(query.value(1)),
        .contact = readText(query.value(2)),
        .licence = readText(query.value(3)),
        .selfEmployed = query.value(4).toBool(),
        .barred = query.value(5).toBool(),
        .percentage = query.value(6).toInt(),
        .address = readAddress(query, 10),
        .badgeExpiry = dateFromStored(query.value(7).toString()),
        .licenceExpiry = dateFromStored(query.value(8).toString()),
        .dbsExpiry = dateFromStored(query.value(9).toString()),
        .version = query.value(10 + int(kAddressColumns.size())).toLongLong(),
    };
}

} // namespace

std::optional<QList<DriverRecord>> listDrivers(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query, selectDrivers({}), {}, error))
        return std::nullopt;
    QList<DriverRecord> drivers;
    while (query.next())
        drivers.append(readDriver(query));
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return drivers;
}

QString driverEntry(const DriverRecord& driver)
{
    return driver.name.value_or(QString()) + QStringLiteral(" : ") +
           driver.contact.value_or(QString());
}

DriverEntry splitDriverEntry(QStringView entry)
{
    const qsizetype colon = entry.indexOf(u':');
    if (colon < 2)
        return {entry.toString(), {}};
    return {entry.left(colon - 1).toString(), entry.mid(colon + 2).toString()};
}

std::optional<QList<Text>> driverContacts(const QSqlDatabase& db, const QString& name,
                                          QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query,
             QStringLiteral("select contact_name from drivers where driver_name = ? "
                            "order by driver_id"),
             {name}, error))
        return std::nullopt;
    QList<Text> contacts;
    while (query.next())
        contacts.append(readText(query.value(0)));
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return contacts;
}

std::optional<DriverRecord> findDriver(const QSqlDatabase& db, const QString& name,
                                       const QString& contact, QString* error)
{
    QString condition = QStringLiteral("where d.driver_name = ?");
    QVariantList values{name};
    if (!contact.isEmpty()) {
        condition += QStringLiteral(" and d.contact_name = ?");
        values.append(contact);
    }
    QSqlQuery query(db);
    if (!run(query, selectDrivers(condition) + QStringLiteral(" limit 1"), values, error) ||
        !query.next())
        return std::nullopt;
    return readDriver(query);
}

std::optional<DriverRecord> driverById(const QSqlDatabase& db, qint64 id, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, selectDrivers(QStringLiteral("where d.driver_id = ?")), {id}, error) ||
        !query.next())
        return std::nullopt;
    return readDriver(query);
}

bool percentageFits(QStringView text) { return text.size() <= 2; }

int storedPercentage(QStringView text) { return std::max(0, leadingNumber(text)); }

std::optional<qint64> saveDriver(const QSqlDatabase& db, const DriverRecord& driver, QString* error,
                                 bool* changedElsewhere)
{
    const auto date = [](QDate day) {
        return day.isValid() ? QVariant(storedDate(day)) : QVariant(QMetaType(QMetaType::QString));
    };
    const QVariantList values = {
        storedText(driver.name),  storedText(driver.licence), driver.selfEmployed ? 1 : 0,
        driver.barred ? 1 : 0,    storedText(driver.contact), driver.percentage,
        date(driver.badgeExpiry), date(driver.licenceExpiry), date(driver.dbsExpiry)};
    const RecordWithAddress record{
        .table = QStringLiteral("drivers"),
        .idColumn = QStringLiteral("driver_id"),
        .id = driver.id,
        .addressType = kDriverAddress,
        .address = driver.address,
        .columns = {QStringLiteral("driver_name"), QStringLiteral("licence_number"),
                    QStringLiteral("self_employed"), QStringLiteral("barred"),
                    QStringLiteral("contact_name"), QStringLiteral("driver_percentage"),
                    QStringLiteral("badge_expiry"), QStringLiteral("licence_expiry"),
                    QStringLiteral("dbs_expiry")},
        .newValues = values,
        .oldValues = values,
        .version = driver.version,
        .name = QObject::tr("Driver %1").arg(driver.id),
    };
    return saveWithAddress(db, record, error, changedElsewhere);
}

} // namespace velmora
