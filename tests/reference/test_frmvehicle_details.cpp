#include "data/dates.h"
#include "platform/scripteddialogs.h"
#include "reference/frmvehicle_details.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

using velmora::frmvehicle_details;
using velmora::ScriptedDialogs;
using velmora::test::child;
using velmora::test::focusOn;
using velmora::test::TestDatabase;
using velmora::test::typeAndLeave;

namespace {

// "reg|type|driver|first_reg|road_tax|plated|insurance|policy|capacity|owned" per vehicle.
QStringList vehicles(TestDatabase& t)
{
    return t.rows(QStringLiteral("select reg_no, vehicle_type, driver_id, first_reg, road_tax, "
                                 "plated, insurance, policy, capacity, driver_owned from vehicles "
                                 "order by reg_no"));
}

QString inDays(int days) { return velmora::ukDate(QDate::currentDate().addDays(days)); }
QString storedInDays(int days) { return velmora::storedDate(QDate::currentDate().addDays(days)); }

// A vehicle screen on its own database; unless made `empty`, the database has two vehicle
// types and two drivers.
struct Screen
{
    explicit Screen(bool empty = false)
    {
        if (empty)
            return;
        t.addVehicleType(QStringLiteral("Estate"));
        saloon = t.addVehicleType(QStringLiteral("Saloon Car"));
        t.addDriver(QStringLiteral("Sam Hill"));
        dave = t.addDriver(QStringLiteral("Dave Kerr"));
    }
    // Shows the screen and, given a registration, fills every field for it.
    bool open(const QString& reg = {})
    {
        if (!velmora::test::activate(window))
            return false;
        if (!reg.isEmpty())
            fill(reg);
        return true;
    }
    void fill(const QString& reg)
    {
        regNo->setText(reg);
        types->setEditText(QStringLiteral("Saloon Car"));
        drivers->setEditText(QStringLiteral("Dave Kerr"));
        year->setText(QStringLiteral("2019"));
        roadTax->setText(inDays(30));
        plated->setText(inDays(60));
        insurance->setText(inDays(90));
        policy->setText(QStringLiteral("AXA 123"));
        capacity->setText(QStringLiteral("6"));
        owned->setText(QStringLiteral("yes"));
    }
    // The texts of the fields in screen order, joined by "|".
    QString texts() const
    {
        QStringList all{regNo->text(), types->currentText(), drivers->currentText()};
        for (const QLineEdit* field : {year, roadTax, plated, insurance, policy, capacity, owned})
            all << field->text();
        return all.join(u'|');
    }
    // Forgets the boxes shown so far, triggers `action` and gives the boxes it showed.
    QStringList run(QAction* action) { return velmora::test::shownBy(dialogs, action); }
    // The stored row of the first vehicle, columns `from` to `to` as vehicles() gives them.
    QString stored(int from, int to = -1) { return vehicles(t).value(0).section(u'|', from, to); }

    TestDatabase t;
    ScriptedDialogs dialogs;
    int saloon = 0;
    int dave = 0;
    frmvehicle_details window{t.db(), dialogs};
    QLineEdit* regNo = child<QLineEdit>(window, QStringLiteral("txtreg_no"));
    QComboBox* types = child<QComboBox>(window, QStringLiteral("vehicles"));
    QComboBox* drivers = child<QComboBox>(window, QStringLiteral("drivernames"));
    QLineEdit* year = child<QLineEdit>(window, QStringLiteral("txtyear_manu"));
    QLineEdit* roadTax = child<QLineEdit>(window, QStringLiteral("txtroad_tax"));
    QLineEdit* plated = child<QLineEdit>(window, QStringLiteral("txtplated"));
    QLineEdit* insurance = child<QLineEdit>(window, QStringLiteral("txtinsurance"));
    QLineEdit* policy = child<QLineEdit>(window, QStringLiteral("txtpolicy"));
    QLineEdit* capacity = child<QLineEdit>(window, QStringLiteral("txtcapacity"));
    QLineEdit* owned = child<QLineEdit>(window, QStringLiteral("txtdrv_owned"));
    QAction* add = child<QAction>(window, QStringLiteral("mnuadd"));
    QAction* update = child<QAction>(window, QStringLiteral("mnuupdate"));
    QAction* remove = child<QAction>(window, QStringLiteral("mnudelete"));
    QAction* clear = child<QAction>(window, QStringLiteral("mnuclear"));
};

} // namespace

class TestFrmVehicleDetails : public QObject
{
    Q_OBJECT

private slots:
    void wording()
    {
        Screen s(true);
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Maintain Vehicle Details"));
        QCOMPARE(s.regNo->toolTip(), QStringLiteral("Enter vehicle registraion number"));
        QCOMPARE(s.types->toolTip(), QStringLiteral("Select vehicle type from drop down list"));
        QCOMPARE(s.drivers->toolTip(), QStringLiteral("Select driver from drop down list"));
        QCOMPARE(s.owned->toolTip(), QStringLiteral("Insert passenger capacity"));
        QCOMPARE(s.add->text(), QStringLiteral("&Add "));
        QCOMPARE(s.update->text(), QStringLiteral("&Update"));
        QCOMPARE(s.remove->text(), QStringLiteral("&Delete"));
        QCOMPARE(s.clear->text(), QStringLiteral("&Clear"));
        QCOMPARE(child<QAction>(s.window, QStringLiteral("mnuexit"))->text(),
                 QStringLiteral("&Exit"));
        for (const char* name : {"Calendar_1", "Calendar_2", "Calendar_3"}) {
            auto* button = child<QPushButton>(s.window, QString::fromLatin1(name));
            QCOMPARE(button->text(), QStringLiteral("Calendar"));
            QCOMPARE(button->toolTip(), QStringLiteral("Press to access calendar"));
        }
        QCOMPARE(child<QGroupBox>(s.window, QStringLiteral("Frame1"))->title(),
                 QStringLiteral("Calendar"));
        QCOMPARE(velmora::test::captions(s.window),
                 (QStringList{"Registration Number", "Vehicle Type", "Driver Id",
                              "Year Of Manufacture", "Road Tax Due", "Plated To", "Insurance Due",
                              "Insurance Policy", "Passenger Capacity", "Driver Owned"}));
    }

    void openingWithEmptyLists()
    {
        Screen s(true);
        QVERIFY(s.open());
        QCOMPARE(s.dialogs.texts(), (QStringList{"You have no drivers recorded in the system",
                                                 "No vehicle types recorded"}));
    }

    void openingFillsTheLists()
    {
        Screen s;
        QVERIFY(s.open());
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.types->count(), 2);
        QCOMPARE(s.types->itemText(1), QStringLiteral("Saloon Car"));
        QCOMPARE(s.drivers->itemText(0), QStringLiteral("Sam Hill"));
        QCOMPARE(s.types->currentText(), QString());
        QCOMPARE(s.drivers->currentText(), QString());
    }

    void addsANewVehicleAndClears()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        s.add->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(vehicles(s.t),
                 QStringList{QStringLiteral("AB12 CDE|%1|%2|2019|%3|%4|%5|AXA 123|6|Y")
                                 .arg(s.saloon)
                                 .arg(s.dave)
                                 .arg(storedInDays(30), storedInDays(60), storedInDays(90))});
        QCOMPARE(s.t.value(QStringLiteral("select typeof(capacity) from vehicles")).toString(),
                 QStringLiteral("integer"));
        QCOMPARE(s.texts(), QStringLiteral("|||||||||"));
        QCOMPARE(QApplication::focusWidget(), s.regNo);
    }

    void knownRegistrationLoadsAndUpdates()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        s.owned->clear();
        s.add->trigger();

        typeAndLeave(s.regNo, QStringLiteral("ab12 cde"), s.types);
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.texts(),
                 QStringLiteral("ab12 cde|Saloon Car|Dave Kerr|2019|%1|%2|%3|AXA 123|6|N")
                     .arg(inDays(30), inDays(60), inDays(90)));

        s.drivers->setEditText(QStringLiteral("Sam Hill"));
        s.capacity->setText(QStringLiteral("8"));
        QCOMPARE(s.run(s.update), QStringList());
        QCOMPARE(vehicles(s.t).size(), 1);
        QCOMPARE(s.stored(0, 0), QStringLiteral("AB12 CDE")); // kept as first typed
        QCOMPARE(s.stored(2, 2), QStringLiteral("1"));
        QCOMPARE(s.stored(8), QStringLiteral("8|Y"));

        // "&Add " on a known registration edits it too.
        s.fill(QStringLiteral("AB12 CDE"));
        s.policy->setText(QStringLiteral("Aviva 9"));
        s.add->trigger();
        QCOMPARE(vehicles(s.t).size(), 1);
        QCOMPARE(s.stored(7, 7), QStringLiteral("Aviva 9"));
    }

    void registrationLeftEmptyOrNew()
    {
        Screen s;
        QVERIFY(s.open());
        focusOn(s.regNo);
        focusOn(s.types);
        QCOMPARE(s.dialogs.texts(), QStringList{"A registration number must be supplied"});
        QCOMPARE(QApplication::focusWidget(), s.regNo);

        s.dialogs.clear();
        typeAndLeave(s.regNo, QStringLiteral("NEW 1"), s.types);
        QCOMPARE(s.dialogs.texts(), QStringList()); // no vehicles yet: nothing to say
        s.fill(QStringLiteral("AB12 CDE"));
        s.add->trigger();
        s.dialogs.clear();
        typeAndLeave(s.regNo, QStringLiteral("NEW 1"), s.types);
        QCOMPARE(s.dialogs.texts(), QStringList{"New entry"});
    }

    void missingTypeAndDriverFoundOnLoad()
    {
        Screen s;
        s.t.exec(QStringLiteral("insert into vehicles (reg_no, vehicle_type, driver_id, first_reg, "
                                "capacity) values ('OLD 1', 99, 98, '2001', 4)"));
        QVERIFY(s.open());
        typeAndLeave(s.regNo, QStringLiteral("OLD 1"), s.types);
        QCOMPARE(s.dialogs.texts(), (QStringList{"The supplied vehicle type could not be found",
                                                 "The supplied driver could not be found"}));
        QCOMPARE(s.year->text(), QStringLiteral("2001"));
        QCOMPARE(s.capacity->text(), QStringLiteral("4"));
    }

    void emptyDatesAndPolicyWarnAndDefaultToToday()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        for (QLineEdit* field :
             {s.year, s.roadTax, s.plated, s.insurance, s.policy, s.capacity, s.owned})
            field->clear();
        s.add->trigger();
        QCOMPARE(s.dialogs.texts(),
                 (QStringList{"You have not supplied year of manufacture",
                              "You have not input date road tax due",
                              "You have not input date plated to",
                              "You have not supplied insurance renewal date",
                              "You have not supplied insurance policy details"}));
        const QString today = storedInDays(0);
        QCOMPARE(vehicles(s.t), QStringList{QStringLiteral("AB12 CDE|%1|%2|%3|%3|%3|%3|%3|4|N")
                                                .arg(s.saloon)
                                                .arg(s.dave)
                                                .arg(today)});
    }

    void expiredDatesWarnAndSave()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        s.roadTax->setText(inDays(-1));
        s.plated->setText(inDays(-2));
        s.insurance->setText(inDays(-3));
        s.add->trigger();
        QCOMPARE(s.dialogs.texts(),
                 (QStringList{"Road tax has expired already", "Vehicle needs re-plating already",
                              "Insurance mut be re-newed"}));
        QCOMPARE(vehicles(s.t).size(), 1);
        QCOMPARE(s.stored(4, 6),
                 QStringList({storedInDays(-1), storedInDays(-2), storedInDays(-3)}).join(u'|'));
        // Today is not expired.
        s.fill(QStringLiteral("AB12 CDE"));
        s.roadTax->setText(inDays(0));
        QCOMPARE(s.run(s.add), QStringList());
    }

    void blockingChecks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("focus");
        QTest::newRow("year 1899")
            << "txtyear_manu"
            << "1899" << QStringList{"Invalid year supplied"} << "txtyear_manu";
        QTest::newRow("year abc") << "txtyear_manu"
                                  << "abc" << QStringList{"Invalid year supplied"}
                                  << "txtyear_manu";
        QTest::newRow("road tax not a date")
            << "txtroad_tax"
            << "soon"
            << QStringList{"Road Tax Due is not a date: enter it as dd/mm/yyyy or use the calendar"}
            << "txtroad_tax";
        QTest::newRow("plated not a date")
            << "txtplated"
            << "31/02/2030"
            << QStringList{"Plated To is not a date: enter it as dd/mm/yyyy or use the calendar"}
            << "txtplated";
        QTest::newRow("insurance not a date")
            << "txtinsurance"
            << "2030-01-01"
            << QStringList{"Insurance Due is not a date: enter it as dd/mm/yyyy or use the "
                           "calendar"}
            << "txtinsurance";
        QTest::newRow("capacity not a number")
            << "txtcapacity"
            << "four" << QStringList{"Passenger capacity must be a whole number above 0"}
            << "txtcapacity";
    }
    void blockingChecks()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QStringList, messages);
        QFETCH(QString, focus);
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        child<QLineEdit>(s.window, field)->setText(text);
        focusOn(s.owned);
        s.update->trigger();
        QCOMPARE(s.dialogs.texts(), messages);
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(vehicles(s.t), QStringList());
        QCOMPARE(s.regNo->text(), QStringLiteral("AB12 CDE"));
    }

    void blockingFaultsComeBeforeWarnings()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        s.roadTax->setText(inDays(-1));
        s.policy->clear();
        s.capacity->setText(QStringLiteral("four"));
        QCOMPARE(s.run(s.update), QStringList{"Passenger capacity must be a whole number above 0"});
        s.capacity->setText(QStringLiteral("4"));
        QCOMPARE(s.run(s.update), (QStringList{"Road tax has expired already",
                                               "You have not supplied insurance policy details"}));
        QCOMPARE(vehicles(s.t).size(), 1);
    }

    void unknownDriverOrTypeStopsTheSave()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        s.drivers->setEditText(QStringLiteral("Nobody"));
        QCOMPARE(s.run(s.add), QStringList{"Driver not found, please select from drop down list"});
        s.drivers->setEditText(QStringLiteral("dave kerr"));
        s.types->setEditText(QStringLiteral("Tank"));
        QCOMPARE(s.run(s.add),
                 QStringList{"Vehicle Type not found, please select from drop down list"});
        s.regNo->clear();
        QCOMPARE(s.run(s.add), QStringList{"You have not supplied a registration number"});
        QCOMPARE(vehicles(s.t), QStringList());
    }

    void enteringTheYearWithoutADriverGivesTBA()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        s.drivers->setEditText(QString());
        focusOn(s.year);
        QCOMPARE(s.drivers->currentText(), QStringLiteral("TBA"));
        QCOMPARE(s.run(s.add), QStringList{"Driver not found, please select from drop down list"});
        const int tba = s.t.addDriver(QStringLiteral("TBA"));
        QCOMPARE(s.run(s.add), QStringList());
        QCOMPARE(s.stored(2, 2), QString::number(tba));

        s.regNo->setText(QStringLiteral("CD34 EFG"));
        focusOn(s.policy);
        s.dialogs.clear();
        s.drivers->setEditText(QStringLiteral("Ghost"));
        focusOn(s.year);
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"Driver not found contact program vendor if problem persists"});
    }

    // Leaving the vehicle type for the driver checks it; an unknown or missing type keeps the
    // focus.
    void enteringTheDriverChecksTheType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("focus");
        QTest::newRow("none") << QString() << QStringList{"A vehicle type must be supplied"}
                              << "vehicles";
        QTest::newRow("unknown")
            << "Hovercraft" << QStringList{"The supplied vehicle description could not be found"}
            << "vehicles";
        QTest::newRow("known, other case") << "estate" << QStringList() << "drivernames";
    }
    void enteringTheDriverChecksTheType()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, messages);
        QFETCH(QString, focus);
        Screen s;
        QVERIFY(s.open());
        s.regNo->setText(QStringLiteral("X"));
        s.types->setEditText(type);
        focusOn(s.types);
        focusOn(s.drivers);
        QCOMPARE(s.dialogs.texts(), messages);
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    }

    void capacityLeftEmptyBecomesFour()
    {
        Screen s;
        QVERIFY(s.open());
        s.regNo->setText(QStringLiteral("AB12 CDE"));
        focusOn(s.capacity);
        focusOn(s.owned);
        QCOMPARE(s.capacity->text(), QStringLiteral("4"));
    }

    void deleteTwice()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        s.add->trigger();
        s.fill(QStringLiteral("XY99 ZZZ"));
        s.add->trigger();
        s.fill(QStringLiteral("ab12 cde"));
        s.remove->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(vehicles(s.t).size(), 1);
        QCOMPARE(s.regNo->text(), QStringLiteral("ab12 cde")); // fields stay
        QCOMPARE(s.run(s.remove), QStringList{"Record no longer exists"});
        QCOMPARE(vehicles(s.t).size(), 1);
    }

    void calendarFillsItsField()
    {
        Screen s;
        QVERIFY(s.open());
        auto* frame = child<QGroupBox>(s.window, QStringLiteral("Frame1"));
        auto* calendar = child<QCalendarWidget>(s.window, QStringLiteral("Calendar4"));
        QVERIFY(!frame->isVisible());
        child<QPushButton>(s.window, QStringLiteral("Calendar_2"))->click();
        QVERIFY(frame->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate::currentDate());
        const QDate day = QDate::currentDate().addDays(10);
        emit calendar->clicked(day);
        QCOMPARE(s.plated->text(), velmora::ukDate(day));
        QVERIFY(!frame->isVisible());
        QCOMPARE(s.roadTax->text(), QString());

        child<QPushButton>(s.window, QStringLiteral("Calendar_3"))->click();
        emit calendar->clicked(day.addDays(1));
        QCOMPARE(s.insurance->text(), velmora::ukDate(day.addDays(1)));
    }

    void clearEmptiesEverything()
    {
        Screen s;
        QVERIFY(s.open(QStringLiteral("AB12 CDE")));
        s.clear->trigger();
        QCOMPARE(s.texts(), QStringLiteral("|||||||||"));
        QCOMPARE(s.types->count(), 2);
        QCOMPARE(QApplication::focusWidget(), s.regNo);
    }

    void apostropheInDriverName()
    {
        Screen s;
        const int id = s.t.addDriver(QStringLiteral("Pat O'Brien"));
        QVERIFY(s.open());
        s.fill(QStringLiteral("O'REG"));
        s.drivers->setEditText(QStringLiteral("Pat O'Brien"));
        s.add->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.stored(0, 2), QStringLiteral("O'REG|%1|%2").arg(s.saloon).arg(id));
    }
};

QTEST_MAIN(TestFrmVehicleDetails)
#include "test_frmvehicle_details.moc"
