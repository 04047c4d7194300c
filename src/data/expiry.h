#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// How soon a document runs out: already, within 7 days, within 14, or within the firm's
// warning horizon (30 days unless the company details say otherwise). A document runs out
// at the end of its date: on that day it is still valid.
enum class ExpiryUrgency { Expired, Week, Fortnight, Horizon };

// The urgency of a document running out on `expires`, seen on `today`; nullopt when it
// runs out after `horizonDays` or has no date.
std::optional<ExpiryUrgency> classifyExpiry(QDate expires, QDate today, int horizonDays);

// The operator's words for an urgency: "Expired", "Within 7 days", "Within N days".
QString urgencyText(ExpiryUrgency urgency, int horizonDays);

// A vehicle's or a driver's document that has run out or soon will.
struct ExpiringDocument
{
    enum class Owner { Vehicle, Driver } owner = Owner::Vehicle;
    QString key;  // the vehicle's registration or the driver's id
    QString name; // the registration or the driver's name
    QString document;
    QDate expires;
    ExpiryUrgency urgency = ExpiryUrgency::Horizon;
};

// The firm's warning horizon in days (company.expiry_warning_days, 30 when there is no
// company row). nullopt with the reason in *error when it cannot be read.
std::optional<int> expiryHorizon(const QSqlDatabase& db, QString* error);

// Keeps `days` (0 to kLongestHorizon) as the firm's warning horizon; the company's details
// must be saved first. False with the reason in *error.
constexpr int kLongestHorizon = 365;
bool saveExpiryHorizon(const QSqlDatabase& db, int days, QString* error);

// Every vehicle and driver document that has run out or runs out within `horizonDays` of
// `today`, soonest first. nullopt with the reason in *error when it cannot be read.
std::optional<QList<ExpiringDocument>> expiringDocuments(const QSqlDatabase& db, QDate today,
                                                         int horizonDays, QString* error);

// Why giving a job to driver `driverId` on `day` needs a second thought: the driver is
// barred (when `withBarred`), the driver's badge or licence, or the plate or insurance of a
// vehicle the driver drives, has run out before `day`; one line each, naming the document
// and its date. Empty when nothing stands in the way. nullopt with the reason in *error
// when it cannot be read.
std::optional<QStringList> dispatchConcerns(const QSqlDatabase& db, qint64 driverId, QDate day,
                                            bool withBarred, QString* error);

// dispatchConcerns() for the driver and day of the job `prefix` `number` (none when there is
// no such job).
std::optional<QStringList> jobConcerns(const QSqlDatabase& db, const QString& prefix, qint64 number,
                                       QString* error);

// The SQL condition, over the columns of `drivers` and `jobs`, that marks a job whose
// driver is barred or whose driver's or vehicle's documents have run out before its day.
QString unfitDriverCondition();

} // namespace velmora
