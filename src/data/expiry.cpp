#include "expiry.h"

#include "dates.h"
#include "fault.h"
#include "sql.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <iterator>

namespace velmora {

namespace {

constexpr int kDefaultHorizon = 30;

// The documents, each a column of vehicles or drivers.
struct Document
{
    ExpiringDocument::Owner owner;
    const char* column;
    const char* name;
};

constexpr Document kDocuments[] = {
    {ExpiringDocument::Owner::Vehicle, "road_tax", "Road tax"},
    {ExpiringDocument::Owner::Vehicle, "plated", "Plate"},
    {ExpiringDocument::Owner::Vehicle, "insurance", "Insurance"},
    {ExpiringDocument::Owner::Driver, "badge_expiry", "Badge"},
    {ExpiringDocument::Owner::Driver, "licence_expiry", "Driving licence"},
    {ExpiringDocument::Owner::Driver, "dbs_expiry", "DBS check"},
};

// The rows of one kind of document due by the bound day: owner, key, name, the document's
// place in kDocuments and its date. The key is text for both owners, as a server's union
// needs one type a column.
QString documentSelect(std::size_t index)
{
    const Document& document = kDocuments[index];
    const bool vehicle = document.owner == ExpiringDocument::Owner::Vehicle;
    return QStringLiteral(
               "select %1, cast(%2 as text), %3, %4, %5 from %6 where %5 <> '' and %5 <= ?")
        .arg(vehicle ? QStringLiteral("0") : QStringLiteral("1"),
             vehicle ? QStringLiteral("reg_no") : QStringLiteral("driver_id"),
             vehicle ? QStringLiteral("reg_no") : QStringLiteral("driver_name"),
             QString::number(index), QString::fromLatin1(document.column),
             vehicle ? QStringLiteral("vehicles") : QStringLiteral("drivers"));
}

} // namespace

std::optional<ExpiryUrgency> classifyExpiry(QDate expires, QDate today, int horizonDays)
{
    if (!expires.isValid())
        return std::nullopt;
    const qint64 left = today.daysTo(expires);
    if (left < 0)
        return ExpiryUrgency::Expired;
    if (left > horizonDays)
        return std::nullopt;
    if (left <= 7)
        return ExpiryUrgency::Week;
    if (left <= 14)
        return ExpiryUrgency::Fortnight;
    return ExpiryUrgency::Horizon;
}

QString urgencyText(ExpiryUrgency urgency, int horizonDays)
{
    switch (urgency) {
    case ExpiryUrgency::Expired:
        return QObject::tr("Expired");
    case ExpiryUrgency::Week:
        return QObject::tr("Within 7 days");
    case ExpiryUrgency::Fortnight:
        return QObject::tr("Within 14 days");
    case ExpiryUrgency::Horizon:
        break;
    }
    return QObject::tr("Within %1 days").arg(horizonDays);
}

std::optional<int> expiryHorizon(const QSqlDatabase& db, QString* error)
{
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("select expiry_warning_days from company limit 1"), {}, error))
        return std::nullopt;
    return query.next() ? std::max(0, query.value(0).toInt()) : kDefaultHorizon;
}

bool saveExpiryHorizon(const QSqlDatabase& db, int days, QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("update company set expiry_warning_days = ? "
                            "where rowid = (select min(rowid) from company)"),
             {std::clamp(days, 0, kLongestHorizon)}, error))
        return false;
    if (query.numRowsAffected() == 1)
        return true;
    *error = QObject::tr("The company's details must be saved before its warning days.");
    return false;
}

std::optional<QList<ExpiringDocument>> expiringDocuments(const QSqlDatabase& db, QDate today,
                                                         int horizonDays, QString* error)
{
    QStringList selects;
    QVariantList values;
    for (std::size_t index = 0; index < std::size(kDocuments); ++index) {
        selects << documentSelect(index);
        values << storedDate(today.addDays(horizonDays));
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!run(query,
             selects.join(QStringLiteral(" union all ")) +
                 QStringLiteral(" order by 5, 1, 3, 2, 4"),
             values, error))
        return std::nullopt;
    QList<ExpiringDocument> found;
    while (query.next()) {
        const QDate expires = dateFromStored(query.value(4).toString());
        const auto urgency = classifyExpiry(expires, today, horizonDays);
        if (!urgency)
            continue;
        found.append({query.value(0).toInt() == 0 ? ExpiringDocument::Owner::Vehicle
                                                  : ExpiringDocument::Owner::Driver,
                      query.value(1).toString(), query.value(2).toString(),
                      QString::fromLatin1(kDocuments[query.value(3).toUInt()].name), expires,
                      *urgency});
    }
    if (query.lastError().isValid()) {
        *error = queryFault(query);
        return std::nullopt;
    }
    return found;
}

std::optional<QStringList> dispatchConcerns(const QSqlDatabase& db, qint64 driverId, QDate day,
                                            bool withBarred, QString* error)
{
    QStringList concerns;
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select driver_name, barred, badge_expiry, licence_expiry "
                            "from drivers where driver_id = ?"),
             {driverId}, error))
        return std::nullopt;
    if (!query.next())
        return concerns;
    const QString driver = query.value(0).toString();
    if (withBarred && query.value(1).toBool())
        concerns << QObject::tr("%1 is barred.").arg(driver);
    const auto lapsed = [&](const QString& document, const QString& stored, const QString& whose) {
        const QDate expires = dateFromStored(stored);
        if (expires.isValid() && expires < day)
            concerns
                << QObject::tr("The %1 of %2 ran out on %3.").arg(document, whose, ukDate(expires));
    };
    lapsed(QObject::tr("badge"), query.value(2).toString(), driver);
    lapsed(QObject::tr("driving licence"), query.value(3).toString(), driver);
    if (!run(query,
             QStringLiteral("select reg_no, plated, insurance from vehicles where driver_id = ? "
                            "order by reg_no"),
             {driverId}, error))
        return std::nullopt;
    while (query.next()) {
        const QString vehicle = QObject::tr("vehicle %1").arg(query.value(0).toString());
        lapsed(QObject::tr("plate"), query.value(1).toString(), vehicle);
        lapsed(QObject::tr("insurance"), query.value(2).toString(), vehicle);
    }
    return concerns;
}

std::optional<QStringList> jobConcerns(const QSqlDatabase& db, const QString& prefix, qint64 number,
                                       QString* error)
{
    QSqlQuery query(db);
    if (!run(query,
             QStringLiteral("select driver, date from jobs where job_prefix = ? and job_id = ?"),
             {prefix, number}, error))
        return std::nullopt;
    if (!query.next())
        return QStringList();
    return dispatchConcerns(db, query.value(0).toLongLong(),
                            dateFromStored(query.value(1).toString()), true, error);
}

QString unfitDriverCondition()
{
    const auto lapsed = [](const char* column) {
        return QStringLiteral("(%1 <> '' AND %1 < jobs.date)").arg(QLatin1String(column));
    };
    return QStringLiteral("(drivers.barred <> 0 OR %1 OR %2 OR EXISTS (SELECT 1 FROM vehicles "
                          "WHERE vehicles.driver_id = drivers.driver_id AND (%3 OR %4)))")
        .arg(lapsed("drivers.badge_expiry"), lapsed("drivers.licence_expiry"),
             lapsed("vehicles.plated"), lapsed("vehicles.insurance"));
}

} // namespace velmora
