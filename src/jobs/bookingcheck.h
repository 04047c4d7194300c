#pragma once

#include "joblists.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// The booking fields as typed.
struct BookingEntry
{
    QString customer;
    QString date;
    QString time;
    QString pickup;
    QString drop;
    QString driver;
    QString vehicleType;
    QString paymentType;
    QString account; // the chosen account, "12 : Acme Ltd"
};

enum class BookingField {
    Customer,
    Date,
    Time,
    Pickup,
    Drop,
    Driver,
    VehicleType,
    PaymentType,
    Account
};

// What checking a booking found.
struct BookingCheck
{
    bool valid = true;
    QStringList messages; // to be shown in this order
    std::optional<BookingField> focus;
    bool emptyTime = false;      // the time field is to be emptied
    std::optional<QString> time; // the normalised time, to be shown in the time field
    bool barredDriver = false;   // stopped at a barred driver whom the operator must confirm
    QDate date;
    qint64 driver = 0;
    qint64 vehicleType = 0;
    qint64 paymentType = 0;
    qint64 account = 0; // 0 unless the payment type is Account
};

// The payment type whose jobs are billed to a customer account.
QString accountPaymentType();

// Checks the booking field by field in screen order and resolves the driver, vehicle
// type, payment type and account to their numbers in `lists`. The first failure ends
// the check, except that a vehicle type that is not known lets the payment type and
// account be checked too. A barred driver stops the check with barredDriver set unless
// `barredAccepted`; check again with it set once the operator has agreed.
BookingCheck checkBooking(const BookingEntry& entry, const JobLists& lists, bool barredAccepted);

// The account that `text` names: either "12 : Acme Ltd" (by its number) or an account's
// exact name. Null when there is none.
const JobAccount* findAccount(const QList<JobAccount>& accounts, const QString& text);

} // namespace velmora
