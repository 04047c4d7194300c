#include "bookingcheck.h"

#include "data/dates.h"
#include "jobtime.h"

#include <QObject>
#include <QRegularExpression>

namespace velmora {

namespace {

void fail(BookingCheck* check, const QString& message, std::optional<BookingField> focus)
{
    check->valid = false;
    check->messages.append(message);
    if (focus)
        check->focus = focus;
}

// Customer, date, time and the two addresses; false at the first failure.
bool checkJourney(const BookingEntry& entry, BookingCheck* check)
{
    if (entry.customer.isEmpty()) {
        fail(check, QObject::tr("Please supply a customer name"), BookingField::Customer);
        return false;
    }
    if (entry.date.isEmpty()) {
        fail(check, QObject::tr("Please input a pick up date"), BookingField::Date);
        return false;
    }
    const auto date = parseUkDate(entry.date);
    if (!date) {
        fail(check, QObject::tr("Please input the pick up date as day/month/year, e.g. 25/12/2026"),
             BookingField::Date);
        return false;
    }
    check->date = *date;
    if (entry.time == QLatin1String(":") || entry.time.size() < 3) {
        check->emptyTime = entry.time != QLatin1String(":");
        fail(check, QObject::tr("Please input a pick up time"), BookingField::Time);
        return false;
    }
    check->time = normalisePickUpTime(entry.time);
    if (!check->time) {
        fail(check, QObject::tr("Please correct pick up time"), BookingField::Time);
        return false;
    }
    if (entry.pickup.isEmpty()) {
        fail(check, QObject::tr("Please input a pick up point"), BookingField::Pickup);
        return false;
    }
    if (entry.drop.isEmpty()) {
        fail(check, QObject::tr("Please input a drop point"), BookingField::Drop);
        return false;
    }
    return true;
}

bool checkDriver(const BookingEntry& entry, const JobLists& lists, bool barredAccepted,
                 BookingCheck* check)
{
    if (entry.driver.isEmpty()) {
        fail(check, QObject::tr("A Diver must be supplied "), BookingField::Driver);
        return false;
    }
    const JobDriver* driver = findByName(lists.drivers, entry.driver);
    if (!driver) {
        fail(check, QObject::tr("Driver name supplied not found, please resubmit"),
             BookingField::Driver);
        return false;
    }
    if (driver->barred && !barredAccepted) {
        check->valid = false;
        check->barredDriver = true;
        check->focus = BookingField::Driver;
        return false;
    }
    check->driver = driver->id;
    return true;
}

// The payment type and, for Account, the account; false at the first failure.
bool checkPayment(const BookingEntry& entry, const JobLists& lists, BookingCheck* check)
{
    if (entry.paymentType.isEmpty()) {
        fail(check, QObject::tr("A payment type must be supplied"), BookingField::PaymentType);
        return false;
    }
    const JobListEntry* payment = findByName(lists.paymentTypes, entry.paymentType);
    if (!payment) {
        fail(check, QObject::tr("Payment type supplied not valid, please re-submit"),
             BookingField::PaymentType);
        return false;
    }
    check->paymentType = payment->id;
    // Only the field's text exactly "Account" asks for an account.
    if (entry.paymentType != accountPaymentType())
        return true;
    if (entry.account.isEmpty()) {
        fail(check, QObject::tr("An account must be supplied when payment type = Account"),
             std::nullopt);
        return false;
    }
    const JobAccount* account = findAccount(lists.accounts, entry.account);
    if (!account) {
        fail(check, QObject::tr("Account name supplied not found, please resubmit"),
             BookingField::Account);
        return false;
    }
    check->account = account->id;
    return true;
}

} // namespace

QString accountPaymentType() { return QStringLiteral("Account"); }

BookingCheck checkBooking(const BookingEntry& entry, const JobLists& lists, bool barredAccepted)
{
    BookingCheck check;
    if (!checkJourney(entry, &check) || !checkDriver(entry, lists, barredAccepted, &check))
        return check;
    if (entry.vehicleType.isEmpty()) {
        fail(&check, QObject::tr("A vehicle description muts be supplied"),
             BookingField::VehicleType);
        return check;
    }
    if (const JobListEntry* type = findByName(lists.vehicleTypes, entry.vehicleType))
        check.vehicleType = type->id;
    else
        fail(&check, QObject::tr("Invalid vehicle type specified, please re-submit"),
             BookingField::VehicleType);
    checkPayment(entry, lists, &check);
    return check;
}

const JobAccount* findAccount(const QList<JobAccount>& accounts, const QString& text)
{
    static const QRegularExpression numbered(QStringLiteral(R"(^\s*(\d+) :)"));
    if (const auto match = numbered.match(text); match.hasMatch()) {
        const qint64 id = match.captured(1).toLongLong();
        for (const JobAccount& account : accounts) {
            if (account.id == id)
                return &account;
        }
    }
    return findByName(accounts, text);
}

} // namespace velmora
