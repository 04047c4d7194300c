#include "jobs/bookingcheck.h"

#include <QTest>

using velmora::BookingCheck;
using velmora::BookingEntry;
using velmora::BookingField;

Q_DECLARE_METATYPE(BookingField)

namespace {

velmora::JobLists lists()
{
    velmora::JobLists lists;
    lists.drivers = {{7, QStringLiteral("Pete Walsh"), false},
                     {8, QStringLiteral("Barry Banned"), true}};
    lists.vehicleTypes = {{3, QStringLiteral("Estate Car")}, {4, QStringLiteral("Saloon Car")}};
    lists.paymentTypes = {{1, QStringLiteral("Account")}, {2, QStringLiteral("Cash")}};
    lists.accounts = {
        {12, QStringLiteral("Acme Ltd"), QStringLiteral("Jo"), QStringLiteral("acme")},
        {40000, QStringLiteral("O'Brien & Sons"), QStringLiteral("Pat"), std::nullopt}};
    return lists;
}

// A booking that passes, paid by account.
BookingEntry goodEntry()
{
    return {QStringLiteral("Mrs Smith"),    QStringLiteral("25/12/2026"),
            QStringLiteral("0930"),         QStringLiteral("Station"),
            QStringLiteral("Airport"),      QStringLiteral("Pete Walsh"),
            QStringLiteral("Saloon Car"),   QStringLiteral("Account"),
            QStringLiteral("12 : Acme Ltd")};
}

void set(BookingEntry& entry, const QString& field, const QString& value)
{
    QString* target = field == "customer"  ? &entry.customer
                      : field == "date"    ? &entry.date
                      : field == "time"    ? &entry.time
                      : field == "pickup"  ? &entry.pickup
                      : field == "drop"    ? &entry.drop
                      : field == "driver"  ? &entry.driver
                      : field == "vehicle" ? &entry.vehicleType
                      : field == "payment" ? &entry.paymentType
                                           : &entry.account;
    *target = value;
}

} // namespace

class TestBookingCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passes()
    {
        const BookingCheck check = velmora::checkBooking(goodEntry(), lists(), false);
        QVERIFY(check.valid);
        QVERIFY(check.messages.isEmpty());
        QCOMPARE(check.time.value_or(QString()), QStringLiteral("09:30"));
        QCOMPARE(check.date, QDate(2026, 12, 25));
        QCOMPARE(check.driver, 7);
        QCOMPARE(check.vehicleType, 4);
        QCOMPARE(check.paymentType, 1);
        QCOMPARE(check.account, 12);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("changes"); // field=value pairs
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("focus"); // -1: not moved
        QTest::addColumn<bool>("emptyTime");
        const auto f = [](BookingField field) { return static_cast<int>(field); };
        QTest::newRow("no customer, nor anything else")
            << QStringList{"customer=", "date=", "time="}
            << QStringList{"Please supply a customer name"} << f(BookingField::Customer) << false;
        QTest::newRow("no date") << QStringList{"date=", "time="}
                                 << QStringList{"Please input a pick up date"}
                                 << f(BookingField::Date) << false;
        QTest::newRow("date not a date")
            << QStringList{"date=31/02/2026"}
            << QStringList{"Please input the pick up date as day/month/year, e.g. 25/12/2026"}
            << f(BookingField::Date) << false;
        QTest::newRow("date as text") << QStringList{"date=tomorrow"}
                                      << QStringList{"Please input the pick up date as "
                                                     "day/month/year, e.g. 25/12/2026"}
                                      << f(BookingField::Date) << false;
        QTest::newRow("colon only")
            << QStringList{"time=:"} << QStringList{"Please input a pick up time"}
            << f(BookingField::Time) << false;
        QTest::newRow("two characters")
            << QStringList{"time=93"} << QStringList{"Please input a pick up time"}
            << f(BookingField::Time) << true;
        QTest::newRow("24:01") << QStringList{"time=24:01"}
                               << QStringList{"Please correct pick up time"}
                               << f(BookingField::Time) << false;
        QTest::newRow("9::30") << QStringList{"time=9::30"}
                               << QStringList{"Please correct pick up time"}
                               << f(BookingField::Time) << false;
        QTest::newRow("no pick up")
            << QStringList{"pickup=", "drop="} << QStringList{"Please input a pick up point"}
            << f(BookingField::Pickup) << false;
        QTest::newRow("no drop") << QStringList{"drop="} << QStringList{"Please input a drop point"}
                                 << f(BookingField::Drop) << false;
        QTest::newRow("no driver")
            << QStringList{"driver=", "vehicle="} << QStringList{"A Diver must be supplied "}
            << f(BookingField::Driver) << false;
        QTest::newRow("unknown driver")
            << QStringList{"driver=Nobody"}
            << QStringList{"Driver name supplied not found, please resubmit"}
            << f(BookingField::Driver) << false;
        QTest::newRow("no vehicle type") << QStringList{"vehicle=", "payment="}
                                         << QStringList{"A vehicle description muts be supplied"}
                                         << f(BookingField::VehicleType) << false;
        QTest::newRow("unknown vehicle type and no payment type")
            << QStringList{"vehicle=Hovercraft", "payment="}
            << QStringList{"Invalid vehicle type specified, please re-submit",
                           "A payment type must be supplied"}
            << f(BookingField::PaymentType) << false;
        QTest::newRow("unknown vehicle type and no account")
            << QStringList{"vehicle=Hovercraft", "account="}
            << QStringList{"Invalid vehicle type specified, please re-submit",
                           "An account must be supplied when payment type = Account"}
            << f(BookingField::VehicleType) << false;
        QTest::newRow("unknown payment type")
            << QStringList{"payment=Barter"}
            << QStringList{"Payment type supplied not valid, please re-submit"}
            << f(BookingField::PaymentType) << false;
        QTest::newRow("account payment without account")
            << QStringList{"account="}
            << QStringList{"An account must be supplied when payment type = Account"} << -1
            << false;
        QTest::newRow("account that does not exist")
            << QStringList{"account=99 : Gone Ltd"}
            << QStringList{"Account name supplied not found, please resubmit"}
            << f(BookingField::Account) << false;
    }
    void failures()
    {
        QFETCH(QStringList, changes);
        QFETCH(QStringList, messages);
        QFETCH(int, focus);
        QFETCH(bool, emptyTime);
        BookingEntry entry = goodEntry();
        for (const QString& change : changes)
            set(entry, change.section(u'=', 0, 0), change.section(u'=', 1));
        const BookingCheck check = velmora::checkBooking(entry, lists(), false);
        QVERIFY(!check.valid);
        QCOMPARE(check.messages, messages);
        QCOMPARE(check.focus ? static_cast<int>(*check.focus) : -1, focus);
        QCOMPARE(check.emptyTime, emptyTime);
    }

    void timeIsNormalisedAndValidByValue()
    {
        BookingEntry entry = goodEntry();
        for (const char* typed : {"930", "9:30", "093015", "0930", "09:30:00"}) {
            entry.time = QString::fromLatin1(typed);
            const BookingCheck check = velmora::checkBooking(entry, lists(), false);
            QVERIFY2(check.valid, typed);
            QCOMPARE(*check.time, QStringLiteral("09:30"));
        }
        entry.time = QStringLiteral("24:00");
        QVERIFY(velmora::checkBooking(entry, lists(), false).valid);
    }

    void barredDriverIsAQuestion()
    {
        BookingEntry entry = goodEntry();
        entry.driver = QStringLiteral("barry banned"); // names match in any case
        BookingCheck check = velmora::checkBooking(entry, lists(), false);
        QVERIFY(!check.valid);
        QVERIFY(check.barredDriver);
        QVERIFY(check.messages.isEmpty());
        QCOMPARE(*check.focus, BookingField::Driver);
        check = velmora::checkBooking(entry, lists(), true);
        QVERIFY(check.valid);
        QCOMPARE(check.driver, 8);
    }

    void otherPaymentTypesHaveNoAccount()
    {
        BookingEntry entry = goodEntry();
        entry.paymentType = QStringLiteral("Cash");
        const BookingCheck check = velmora::checkBooking(entry, lists(), false);
        QVERIFY(check.valid);
        QCOMPARE(check.account, 0);
        QCOMPARE(check.paymentType, 2);
        // Only "Account" exactly asks for an account; "ACCOUNT" is the type without one.
        entry.paymentType = QStringLiteral("ACCOUNT");
        entry.account.clear();
        const BookingCheck upper = velmora::checkBooking(entry, lists(), false);
        QVERIFY(upper.valid);
        QCOMPARE(upper.account, 0);
        QCOMPARE(upper.paymentType, 1);
    }

    void accountsByNumberOrName()
    {
        const auto accounts = lists().accounts;
        QCOMPARE(velmora::findAccount(accounts, QStringLiteral("40000 : O'Brien & Sons"))->id,
                 40000);
        QCOMPARE(velmora::findAccount(accounts, QStringLiteral("o'brien & sons"))->id, 40000);
        QCOMPARE(velmora::findAccount(accounts, QStringLiteral("Acme Ltd"))->id, 12);
        QVERIFY(!velmora::findAccount(accounts, QStringLiteral("13 : Acme Ltd")));
        QCOMPARE(accounts[0].chooserText(), QStringLiteral("12 : Acme Ltd ; Jo : acme"));
        QCOMPARE(accounts[1].chooserText(), QStringLiteral("40000 : O'Brien & Sons ; Pat"));
        QCOMPARE(accounts[1].shownText(), QStringLiteral("40000 : O'Brien & Sons"));
    }
};

QTEST_MAIN(TestBookingCheck)
#include "test_bookingcheck.moc"
