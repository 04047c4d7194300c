#include "app/frmmain.h"
#include "app/frmsecurity.h"
#include "data/dates.h"
#include "data/operators.h"
#include "jobs/joblists.h"
#include "jobscreen.h"
#include "platform/scripteddialogs.h"
#include "reference/accounts.h"
#include "reference/company.h"
#include "reference/frmaccount.h"
#include "reference/frmcompany.h"
#include "reference/frmdriver.h"
#include "reference/frmtype_table.h"
#include "reference/frmvehicle_details.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTest>

using velmora::ScriptedDialogs;
using velmora::test::child;
using velmora::test::TestDatabase;

namespace {

QAction* entry(velmora::frmmain& main, const QString& path)
{
    QAction* found = velmora::test::menuEntry(main.menuBar(), path);
    if (!found)
        qFatal("no menu entry %s", qPrintable(path));
    return found;
}

// Opens the screen of a menu entry and returns it, shown and active.
template <typename Screen> Screen* open(velmora::frmmain& main, const QString& path)
{
    entry(main, path)->trigger();
    const QList<Screen*> screens = main.findChildren<Screen*>();
    if (screens.size() != 1 || !velmora::test::activate(*screens.first()))
        qFatal("%s did not open its screen", qPrintable(path));
    return screens.first();
}

// Types into the field that has the focus, as the operator does.
void type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
void tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
// Types each text, then Tab; an empty text just moves on.
void typeFields(const QStringList& texts)
{
    for (const QString& text : texts) {
        type(text);
        tab();
    }
}

// Closes a screen through its "&Exit" and waits until it is gone.
bool exitScreen(QWidget* screen)
{
    QPointer<QWidget> alive = screen;
    child<QAction>(*screen, QStringLiteral("mnuexit"))->trigger();
    QTest::qWait(0);
    for (int i = 0; i < 50 && alive; ++i)
        QTest::qWait(10);
    return alive.isNull();
}

QString focusName() { return QApplication::focusWidget()->objectName(); }

} // namespace

class TestReferenceScreens : public QObject
{
    Q_OBJECT

private slots:
    void menuEntriesOpenTheirScreens_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("caption");
        QTest::newRow("accounts")
            << "&Administration/&Operational Data/&Account Address Maintenance"
            << "frmaccount"
            << "Address Details";
        QTest::newRow("drivers") << "&Administration/&Operational Data/&Driver Address Maintenance"
                                 << "frmdriver"
                                 << "Address Details";
        QTest::newRow("vehicles") << "&Administration/&Operational Data/&Vehicles"
                                  << "frmvehicle_details"
                                  << "Maintain Vehicle Details";
        QTest::newRow("company") << "&Management Functions/&Company Name"
                                 << "frmcompany"
                                 << "Record Company Details";
        QTest::newRow("print settings")
            << "&Administration/&Reference Data/&Set Invoice And Job Sheet Parameters"
            << "frminvoice_prints"
            << "Set Invoice Print Parameters";
        QTest::newRow("users") << "&Management Functions/&Maintain Users"
                               << "frmsecurity"
                               << "Maintain Users";
        QTest::newRow("operational costs") << "&Administration/&Reference Data/&Operational Costs"
                                           << "frmoperational_costs"
                                           << "Operational Costs";
        QTest::newRow("profitability") << "A&ccounts/Rep&ort On Profitability"
                                       << "frmprofit"
                                       << "Profitability Parameters";
    }
    void menuEntriesOpenTheirScreens()
    {
        QFETCH(QString, path);
        QFETCH(QString, screen);
        QFETCH(QString, caption);
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::frmmain main(t.db(), dialogs);
        QAction* action = entry(main, path);
        QVERIFY(action->isEnabled());
        action->trigger();
        auto* opened = main.findChild<QMainWindow*>(screen);
        QVERIFY(opened);
        QVERIFY(opened->isVisible());
        QVERIFY(opened->isWindow());
        QCOMPARE(opened->windowTitle(), caption);
        QVERIFY(exitScreen(opened));
    }

    void vatFlagOfTheJobScreenFollowsTheCompany()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::frmmain main(t.db(), dialogs);
        QString error;
        for (const QString& vat : {QStringLiteral("GB123"), QString(), QStringLiteral("GB9")}) {
            auto* company = open<velmora::frmcompany>(
                main, QStringLiteral("&Management Functions/&Company Name"));
            auto* number = child<QLineEdit>(*company, QStringLiteral("txtreg_number"));
            number->setText(vat);
            QPointer<QWidget> alive = company;
            child<QAction>(*company, QStringLiteral("mnusave"))->trigger();
            QTRY_VERIFY(alive.isNull());
            QCOMPARE(velmora::readVatRegistered(t.db(), &error), std::optional(!vat.isEmpty()));
        }
        QCOMPARE(t.value(QStringLiteral("select count(*) from company")).toInt(), 1);
    }

    // A new firm set up from an empty database entirely through the screens, up to its
    // first account job.
    void newFirmSetUpThroughTheScreens()
    {
        TestDatabase t;
        QSqlDatabase& db = t.db();
        QString error;
        QVERIFY(velmora::addOperator(db, QStringLiteral("admin"), QStringLiteral("first"),
                                     QStringLiteral("Administrator"), &error));
        ScriptedDialogs dialogs;
        velmora::frmmain main(db, dialogs);

        // The company, with a VAT number.
        auto* company =
            open<velmora::frmcompany>(main, QStringLiteral("&Management Functions/&Company Name"));
        QCOMPARE(focusName(), QStringLiteral("txtcompany"));
        typeFields({"Kestrel Cars Ltd", "Private Hire", "1 Station Road", "", "Leeds",
                    "West Yorkshire", "LS1", "4DY", "0113 496 0000", "07700 900001",
                    "0113 496 0001", "", "office@kestrel.test", "01234567", "GB123456789"});
        QPointer<QWidget> companyAlive = company;
        child<QAction>(*company, QStringLiteral("mnusave"))->trigger();
        QTRY_VERIFY(companyAlive.isNull());

        // Vehicle and payment types, on the type table screens.
        for (const auto& [path, names] :
             {std::pair{QStringLiteral("&Administration/&Reference Data/&Vehicle Types"),
                        QStringList{"Saloon Car", "Estate"}},
              std::pair{QStringLiteral("&Administration/&Reference Data/&Payment Type"),
                        QStringList{"Cash", "Account"}}}) {
            auto* types = open<velmora::frmtype_table>(main, path);
            for (const QString& name : names) {
                type(name);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }
            QVERIFY(exitScreen(types));
        }

        // Two accounts.
        auto* accounts = open<velmora::frmaccount>(
            main, QStringLiteral("&Administration/&Operational Data/&Account Address Maintenance"));
        const QList<QStringList> newAccounts = {
            {"Acme Travel", "Jo Smith", "ACME", "accounts@acme.example", "Unit 4", "Canal Wharf",
             "Holbeck", "Leeds", "West Yorkshire", "LS11", "5PS", "0113 111", "", ""},
            {"O'Brien's Coaches", "Pat O'Brien", "", "", "2 Mill Lane", "", "", "Bradford",
             "West Yorkshire", "BD1", "1AA", "01274 222", "", ""},
        };
        for (const QStringList& account : newAccounts) {
            velmora::test::focusOn(child<QWidget>(*accounts, QStringLiteral("txtacc_name1")));
            tab();
            QCOMPARE(focusName(), QStringLiteral("txtacc_name"));
            typeFields(account);
            child<QAction>(*accounts, QStringLiteral("mnusave"))->trigger();
        }
        QVERIFY(exitScreen(accounts));

        // Three drivers: one on a percentage, one barred.
        auto* drivers = open<velmora::frmdriver>(
            main, QStringLiteral("&Administration/&Operational Data/&Driver Address Maintenance"));
        struct NewDriver
        {
            QStringList before; // name, contact, licence
            bool barred;
            QString percentage;
            QStringList address;
        };
        const QList<NewDriver> newDrivers = {
            {{"Dave Kerr", "Sue Kerr", "PH-100"},
             false,
             "20",
             {"9 Cab Street", "", "", "Bradford", "West Yorkshire", "BD8", "1XY", "07700 1"}},
            {{"Sam Hill", "Ann Hill", "PH-200"},
             true,
             "",
             {"3 Rank Road", "", "", "Leeds", "West Yorkshire", "LS2", "2AB", "07700 2"}},
            {{"Raj Patel", "", "PH-300"},
             false,
             "",
             {"7 Taxi Row", "", "", "Leeds", "West Yorkshire", "LS3", "3CD", "07700 3"}},
        };
        for (const NewDriver& driver : newDrivers) {
            velmora::test::focusOn(child<QWidget>(*drivers, QStringLiteral("txtacc_name1")));
            tab();
            typeFields(driver.before);
            QCOMPARE(focusName(), QStringLiteral("Check1"));
            tab();
            if (driver.barred)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            tab();
            // The percentage, then no badge, licence or DBS dates.
            typeFields(QStringList{driver.percentage, "", "", ""} + driver.address);
            child<QAction>(*drivers, QStringLiteral("mnusave"))->trigger();
        }
        QVERIFY(exitScreen(drivers));

        // Two vehicles.
        auto* vehicles = open<velmora::frmvehicle_details>(
            main, QStringLiteral("&Administration/&Operational Data/&Vehicles"));
        const QString taxDue = velmora::ukDate(QDate::currentDate().addMonths(6));
        const QList<QStringList> newVehicles = {
            {"AB12 CDE", "Saloon Car", "Dave Kerr", "2019", taxDue},
            {"XY34 ZZZ", "Estate", "Sam Hill", "2021", taxDue},
        };
        for (const QStringList& vehicle : newVehicles) {
            QCOMPARE(focusName(), QStringLiteral("txtreg_no"));
            typeFields(vehicle);
            tab(); // past the calendar button
            typeFields({taxDue});
            tab();
            typeFields({taxDue});
            tab();
            typeFields({"Aviva 42", "", "Y"});
            child<QAction>(*vehicles, QStringLiteral("mnuadd"))->trigger();
        }
        QVERIFY(exitScreen(vehicles));

        // A second operator.
        auto* users = open<velmora::frmsecurity>(
            main, QStringLiteral("&Management Functions/&Maintain Users"));
        typeFields({"Sandra", "Secret1", "Data Input"});
        child<QAction>(*users, QStringLiteral("mnusave"))->trigger();
        QVERIFY(exitScreen(users));

        QCOMPARE(dialogs.texts(),
                 (QStringList{"No vehicle types recorded", "No payment types recorded",
                              "No accounts currently created", "New account details",
                              "New account details", "No contact recorded for this driver",
                              "New Driver Details", "No contact recorded for this driver",
                              "New Driver Details", "No contact recorded for this driver",
                              "New Driver Details", "New entry", "New user"}));

        const auto listed = velmora::listAccounts(db, &error);
        QVERIFY(listed);
        QStringList entries;
        for (const velmora::AccountRecord& account : *listed)
            entries << velmora::accountEntry(account);
        QCOMPARE(entries, (QStringList{"1 : Acme Travel : Jo Smith : ACME",
                                       "2 : O'Brien's Coaches : Pat O'Brien :  "}));
        QCOMPARE(t.rows(QStringLiteral("select driver_name, contact_name, licence_number, barred, "
                                       "driver_percentage, a.address_type from drivers d "
                                       "join addresses a on a.address_id = d.address_id "
                                       "order by driver_id")),
                 (QStringList{"Dave Kerr|Sue Kerr|PH-100|0|20|8", "Sam Hill|Ann Hill|PH-200|1|0|8",
                              "Raj Patel||PH-300|0|0|8"}));
        const QString stored = velmora::storedDate(QDate::currentDate().addMonths(6));
        QCOMPARE(t.rows(QStringLiteral("select reg_no, vehicledescription, driver_name, road_tax "
                                       "from vehicles v join vehicle_types t "
                                       "on t.vehicletypeid = v.vehicle_type "
                                       "join drivers d on d.driver_id = v.driver_id "
                                       "order by reg_no")),
                 (QStringList{"AB12 CDE|Saloon Car|Dave Kerr|" + stored,
                              "XY34 ZZZ|Estate|Sam Hill|" + stored}));
        QCOMPARE(
            velmora::checkLogin(db, QStringLiteral("Sandra"), QStringLiteral("Secret1")).result,
            velmora::LoginCheck::Result::Accepted);
        QCOMPARE(velmora::checkLogin(db, QStringLiteral("admin"), QStringLiteral("first")).result,
                 velmora::LoginCheck::Result::Accepted);

        // The job screen opens on what was set up, with the company VAT registered.
        const auto vat = velmora::readVatRegistered(db, &error);
        QVERIFY(vat && *vat);
        JobScreen jobs(t);
        QVERIFY(jobs.open());
        QCOMPARE(jobs.text("txtload"), QString());
        QCOMPARE(jobs.dialogs.texts(), QStringList());

        // An account job for the first account, with a driver and a vehicle type set up above.
        const QDate pickUp = QDate::currentDate().addDays(1);
        jobs.fill("txtcustomer", "Mr O'Hara");
        jobs.fill("txtdate", velmora::ukDate(pickUp));
        jobs.fill("txttime", "0930");
        jobs.fill("txtdriver", "Dave Kerr");
        jobs.fill("txtpickup", "Leeds Station");
        jobs.fill("txtdrop", "Canal Wharf");
        jobs.fill("txtvtype", "Estate");
        jobs.fill("txtpaymtype", "Account");
        QVERIFY(velmora::test::pick(jobs.combo("txtaccname1"),
                                    QStringLiteral("1 : Acme Travel ; Jo Smith : ACME")));
        jobs.fill("txtcost_code", "TRAVEL");
        jobs.fill("txtacc_ref", "PO 77");
        jobs.press("Command1");
        QVERIFY2(jobs.dialogs.texts().isEmpty(), qPrintable(jobs.dialogs.texts().join(u'/')));
        QCOMPARE(jobs.text("txtjob_prefix"), QStringLiteral("A"));
        QCOMPARE(t.rows(QStringLiteral(
                     "select j.job_prefix, j.job_id, j.passenger_name, j.date, j.time, "
                     "j.address_from, j.address_to, a.account_name, d.driver_name, "
                     "p.paymentdescription, v.vehicledescription, j.acc_ref, j.costed_code, "
                     "j.invoiced, j.record_status from jobs j "
                     "join accounts a on a.account_id = j.account_no "
                     "join drivers d on d.driver_id = j.driver "
                     "join payment_types p on p.paymenttypeid = j.payment_type "
                     "join vehicle_types v on v.vehicletypeid = j.vehicle_type")),
                 QStringList{QStringLiteral("A|%1|Mr O'Hara|%2|09:30:00|Leeds Station|"
                                            "Canal Wharf|Acme Travel|Dave Kerr|Account|Estate|"
                                            "PO 77|TRAVEL|N|I")
                                 .arg(jobs.text("txtjobno"), velmora::storedDate(pickUp))});
        QCOMPARE(t.count(QStringLiteral("select count(*) from jobs")), 1);
    }
};

QTEST_MAIN(TestReferenceScreens)
#include "test_referencescreens.moc"
