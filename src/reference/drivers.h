#pragma once

#include "addressrecord.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QStringView>

namespace velmora {

// A driver with the address row the driver owns.
struct DriverRecord
{
    qint64 id = 0;
    Text name, contact, licence;
    bool selfEmployed = false;
    bool barred = false;
    int percentage = 0; // share of a job's income, 0 when not paid by percentage
    Address address;
    // When the private-hire badge, the driving licence and the DBS check run out; invalid
    // when not recorded.
    QDate badgeExpiry, licenceExpiry, dbsExpiry;
    // Its row version as read; none: saved over whatever version it is at.
    std::optional<qint64> version;
};

// Every driver whose address row exists, in the order drivers were added: the driver
// screen's list. nullopt with the reason in *error when the database cannot be read.
std::optional<QList<DriverRecord>> listDrivers(const QSqlDatabase& db, QString* error);

// The list entry of a driver: "name : contact".
QString driverEntry(const DriverRecord& driver);

// A list entry taken apart again.
struct DriverEntry
{
    QString name;
    QString contact; // empty when the entry carries none
};
// Splits at the first ":" when it stands third or later, dropping the blank on either
// side of it; an entry without one, or with one in its first two places, is all name.
DriverEntry splitDriverEntry(QStringView entry);

// The contact of every driver with this name (nullopt for a NULL contact), in the order
// drivers were added; text compares without regard to case. nullopt with the reason in
// *error when the database cannot be read.
std::optional<QList<Text>> driverContacts(const QSqlDatabase& db, const QString& name,
                                          QString* error);

// The first listed driver with this name and, when `contact` is not empty, this contact.
// nullopt when there is none, or on failure with the reason in *error (left untouched
// otherwise).
std::optional<DriverRecord> findDriver(const QSqlDatabase& db, const QString& name,
                                       const QString& contact, QString* error);

// The driver with this id. nullopt when there is none, or on failure with the reason in
// *error (left untouched otherwise).
std::optional<DriverRecord> driverById(const QSqlDatabase& db, qint64 id, QString* error);

// Whether a typed percentage passes the field's check: at most two characters.
bool percentageFits(QStringView text);
// The percentage stored for a typed text: its leading number when that is above 0, else
// 0 ("7x" is 7; "-5" and "ab" are 0).
int storedPercentage(QStringView text);

// Saves the driver screen's fields in one transaction: when `driver.id` names a driver,
// that driver and its address row are updated in place; otherwise a new address row and
// a new driver that owns it are added. Texts are stored as typed. A driver read at a
// version is saved only while it is still at it (saveWithAddress()). Returns the driver's
// id, or nullopt with the reason in *error and nothing written.
std::optional<qint64> saveDriver(const QSqlDatabase& db, const DriverRecord& driver, QString* error,
                                 bool* changedElsewhere = nullptr);

} // namespace velmora
