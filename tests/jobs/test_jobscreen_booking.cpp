#include "jobfixture.h"
#include "jobscreen.h"

#include <QCalendarWidget>
#include <QSignalSpy>
#include <QTabWidget>

using velmora::Dialogs;
using velmora::test::TestDatabase;

namespace {

// Fills the booking of a cash job from the keyboard, field by field.
void fillCashBooking(JobScreen& s)
{
    s.fill("txtcustomer", "Mrs O'Hara");
    s.fill("txtdate", "25/12/2026");
    s.fill("txttime", "930");
    s.fill("txtdriver", "Pete Walsh");
    s.fill("txtpickup", "Station");
    s.fill("txtdrop", "Airport");
    s.fill("txtvtype", "Estate Car");
    s.fill("txtpaymtype", "Cash");
}

QString jobRow(TestDatabase& t, const QString& prefix, qint64 number)
{
    return t
        .value(QStringLiteral("select passenger_name || '|' || date || '|' || time || '|' || "
                              "time_text || '|' || invoiced || '|' || account_no || '|' || "
                              "record_status from jobs where job_prefix = ? and job_id = ?"),
               {prefix, number})
        .toString();
}

} // namespace

class TestJobScreenBooking : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openingNeedsItsLists_data()
    {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QString>("message");
        QTest::newRow("drivers") << "drivers"
                                 << "You must set up your drivers before entering jobs";
        QTest::newRow("payment types") << "payment_types"
                                       << "Please set up payment types before booking a job";
        QTest::newRow("vehicle types") << "vehicle_types"
                                       << "Please record vehicle types before booking jobs";
    }
    void openingNeedsItsLists()
    {
        QFETCH(QString, emptied);
        QFETCH(QString, message);
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("delete from ") + emptied);
        JobScreen s(t);
        QVERIFY(s.open());
        QCOMPARE(s.dialogs.texts(), QStringList{message});
        QCOMPARE(s.dialogs.shown.first().title, QStringLiteral("Velmora Application"));
        QCOMPARE(s.edit("txtload")->text(), QStringLiteral("F"));
    }

    void openingState()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        QVERIFY(s.open());
        QVERIFY(s.dialogs.shown.isEmpty());
        QCOMPARE(s.screen.windowTitle(), QStringLiteral("Jobs Management Summary "));
        auto* tabs = s.find<QTabWidget>(QString());
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Booking"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Receipts"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Payments Made"));
        QCOMPARE(tabs->tabText(3), QStringLiteral("Profitability"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(s.edit("txtload")->text().isEmpty());
        QVERIFY(!s.find("cmdupd")->isVisible());
        QVERIFY(s.find("Command1")->isVisible());
        QCOMPARE(s.text("txtpaymtype"), QStringLiteral("Account"));
        QCOMPARE(s.text("txtvtype"), QStringLiteral("Saloon Car"));
        QCOMPARE(s.text("txtdriver"), QString());
        QVERIFY(s.find("txtaccname1")->isVisible());
        QVERIFY(!s.find("txtaccname")->isVisible());
        QVERIFY(!s.find("Frame3")->isVisible());
        QVERIFY(!s.find("searchpanel")->isVisible());
        QCOMPARE(s.focused(), QStringLiteral("txtcustomer"));
        QComboBox* accounts = s.combo("txtaccname1");
        QCOMPARE(accounts->count(), 4);
        QCOMPARE(accounts->itemText(1),
                 QStringLiteral("%1 : Acme Ltd ; Jo Bloggs : acme").arg(f.acme));
        QCOMPARE(accounts->itemText(2),
                 QStringLiteral("%1 : O'Brien & Sons ; Pat O'Brien").arg(f.obrien));
        QComboBox* drivers = s.combo("txtdriver");
        QCOMPARE(drivers->itemText(0), QStringLiteral("Barry Banned"));
        QCOMPARE(drivers->itemText(2), QString());
        QCOMPARE(s.find("cmdcalendar")->toolTip(), QStringLiteral("Press to bring up calendar"));
        QCOMPARE(s.find("txtcost_code")->toolTip(),
                 QStringLiteral("If you have to quote a cost code enter it here."));
    }

    void bookedFromTheKeyboardAlone()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        QSignalSpy changed(&s.screen, &velmora::frmjob_management::jobsChanged);
        QVERIFY(s.open());
        // From the customer field onwards, Tab moves through the booking in screen order.
        const QList<std::pair<const char*, const char*>> typed = {
            {"txtcustomer", "Mr Keyboard"}, {"txtdate", "24/12/2026"},  {"txttime", "0745"},
            {"txtdriver", "Pete Walsh"},    {"txtpickup", "1 High St"}, {"txtdrop", "Docks"},
            {"txtsi", "Ring twice"}};
        for (const auto& [name, text] : typed) {
            QCOMPARE(s.focused(), QString::fromLatin1(name));
            QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(text));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(s.focused(), QStringLiteral("txtvtype"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(s.focused(), QStringLiteral("txtpaymtype"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(s.focused(), QStringLiteral("txtaccname1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // the first account
        QCOMPARE(s.text("txtaccname"), QStringLiteral("%1 : Acme Ltd").arg(f.acme));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(s.focused(), QStringLiteral("txtaccname"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(s.focused(), QStringLiteral("txtcost_code"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("CC1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("REF7"));
        // "&Add New" by its access key; the button shows itself pressed before it acts.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(!s.text("txtjobno").isEmpty());
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        const qint64 number = s.text("txtjobno").toLongLong();
        QCOMPARE(s.text("txtjob_prefix"), QStringLiteral("A"));
        QCOMPARE(s.text("txttime"), QStringLiteral("07:45"));
        QCOMPARE(jobRow(t, "A", number),
                 QStringLiteral("Mr Keyboard|2026-12-24|07:45:00|07:45|N|%1|I").arg(f.acme));
        QCOMPARE(t.value(QStringLiteral("select acc_ref || costed_code || special_instructions || "
                                        "vehicle_type || driver from jobs")),
                 QVariant(QStringLiteral("REF7CC1Ring twice%1%2").arg(f.saloon).arg(f.driver)));
        QCOMPARE(changed.count(), 1);
        QVERIFY(!s.find("cmdupd")->isVisible()); // Add New leaves Update as it was
    }

    void validationMessagesOnTheScreen()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        QVERIFY(s.open());
        s.press("Command1");
        QCOMPARE(s.dialogs.texts(), QStringList{"Please supply a customer name"});
        QCOMPARE(s.focused(), QStringLiteral("txtcustomer"));
        fillCashBooking(s);
        s.fill("txtvtype", "Hovercraft");
        s.fill("txtpaymtype", "");
        s.dialogs.clear();
        s.press("Command1");
        QCOMPARE(s.dialogs.texts(), (QStringList{"Invalid vehicle type specified, please re-submit",
                                                 "A payment type must be supplied"}));
        QCOMPARE(s.focused(), QStringLiteral("txtpaymtype"));
        QCOMPARE(t.value(QStringLiteral("select count(*) from jobs")).toInt(), 0);

        s.fill("txtvtype", "Saloon Car");
        s.fill("txtpaymtype", "Account");
        s.dialogs.clear();
        s.press("Command1");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"An account must be supplied when payment type = Account"});

        s.fill("txtpaymtype", "Cash");
        s.fill("txttime", "12");
        s.dialogs.clear();
        s.press("Command1");
        QCOMPARE(s.dialogs.texts(), QStringList{"Please input a pick up time"});
        QCOMPARE(s.text("txttime"), QString());
        QCOMPARE(s.focused(), QStringLiteral("txttime"));

        s.fill("txttime", "2460");
        s.dialogs.clear();
        s.press("Command1");
        QCOMPARE(s.dialogs.texts(), QStringList{"Please correct pick up time"});
        QCOMPARE(s.text("txttime"), QStringLiteral("2460")); // as typed, not "24:60"

        s.fill("txttime", "9:30");
        s.fill("txtdate", "30/02/2026");
        s.dialogs.clear();
        s.press("Command1");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"Please input the pick up date as day/month/year, e.g. 25/12/2026"});
        QCOMPARE(s.focused(), QStringLiteral("txtdate"));
        QCOMPARE(s.text("txttime"), QStringLiteral("9:30")); // not reached
        QCOMPARE(t.value(QStringLiteral("select count(*) from jobs")).toInt(), 0);
    }

    void barredDriverIsAsked()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        QVERIFY(s.open());
        fillCashBooking(s);
        s.fill("txtdriver", "Barry Banned");
        s.press("Command1");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"This driver is shown as barred do you wish to use"});
        QCOMPARE(s.dialogs.shown.first().kind, velmora::ScriptedDialogs::Kind::Question);
        QCOMPARE(s.focused(), QStringLiteral("txtdriver"));
        QCOMPARE(t.value(QStringLiteral("select count(*) from jobs")).toInt(), 0);
        s.dialogs.answers.enqueue(Dialogs::Answer::Yes);
        s.press("Command1");
        QCOMPARE(t.value(QStringLiteral("select driver from jobs")).toInt(), f.barred);
    }

    void lapsedBadgeIsAskedNamingItsDate()
    {
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("update drivers set badge_expiry = '2026-12-24' where driver_id = ?"),
               {f.driver});
        JobScreen s(t);
        QVERIFY(s.open());
        fillCashBooking(s);
        s.dialogs.answers.enqueue(Dialogs::Answer::No);
        s.press("Command1");
        QCOMPARE(s.dialogs.texts(), QStringList{"The badge of Pete Walsh ran out on 24/12/2026."
                                                "\n\nGive the job to this driver all the same?"});
        QCOMPARE(s.focused(), QStringLiteral("txtdriver"));
        QCOMPARE(t.value(QStringLiteral("select count(*) from jobs")).toInt(), 0);
        s.dialogs.answers.enqueue(Dialogs::Answer::Yes);
        s.press("Command1");
        QCOMPARE(t.value(QStringLiteral("select driver from jobs")).toInt(), f.driver);
    }

    void prefixOfTheLastJobChosen()
    {
        TestDatabase t;
        JobFixture f(t);
        const int other =
            t.addJob("B", QDate(2026, 1, 5), "10:00:00", "Prefix B", "I", f.saloon, f.driver);
        JobScreen s(t);
        QVERIFY(s.open());
        fillCashBooking(s);
        s.press("Command1");
        const qint64 first = s.text("txtjobno").toLongLong();
        QCOMPARE(t.value(QStringLiteral("select job_prefix from jobs where job_id = ?"), {first}),
                 QVariant(QStringLiteral("A")));
        // Typing a prefix does not choose it; selecting a job does.
        s.fill("txtjob_prefix", "c");
        QCOMPARE(s.text("txtjob_prefix"), QStringLiteral("C"));
        s.press("Command1");
        const qint64 second = s.text("txtjobno").toLongLong();
        QCOMPARE(t.value(QStringLiteral("select job_prefix from jobs where job_id = ?"), {second}),
                 QVariant(QStringLiteral("A")));
        s.fill("txtjob_prefix", "B");
        s.fill("txtjobno", QString::number(other));
        s.press("cmdselect");
        QCOMPARE(s.text("txtcustomer"), QStringLiteral("Prefix B"));
        s.fill("txtjob_prefix", "A");
        s.fill("txtcustomer", "New B job");
        s.fill("txttime", "1000");
        s.fill("txtpaymtype", "Cash");
        s.press("Command1");
        const qint64 third = s.text("txtjobno").toLongLong();
        QCOMPARE(third, second + 1);
        QCOMPARE(s.text("txtjob_prefix"), QStringLiteral("B"));
        QCOMPARE(t.value(QStringLiteral("select passenger_name from jobs where job_prefix = 'B' "
                                        "and job_id = ?"),
                         {third}),
                 QVariant(QStringLiteral("New B job")));
        // A Select that finds nothing leaves the prefix as it was.
        s.fill("txtjob_prefix", "Z");
        s.fill("txtjobno", "999");
        s.dialogs.clear();
        s.press("cmdselect");
        QCOMPARE(s.dialogs.texts(), QStringList{"No matching records found"});
        fillCashBooking(s);
        s.press("Command1");
        QCOMPARE(t.value(QStringLiteral("select job_prefix from jobs where job_id = ?"),
                         {s.text("txtjobno").toLongLong()}),
                 QVariant(QStringLiteral("B")));
    }

    void selectAndLoad()
    {
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("update job_counter set last = 40000"));
        const int number =
            t.addJob("A", QDate(2026, 7, 1), "14:05:00", "Dr Load", "I", f.estate, f.driver);
        t.exec(QStringLiteral("update jobs set payment_type = ?, account_no = ?, acc_ref = 'R1', "
                              "costed_code = 'C1', special_instructions = 'Wheelchair'"),
               {f.byAccount, f.obrien});
        JobScreen s(t);
        QVERIFY(s.open());
        s.press("cmdselect");
        QCOMPARE(s.dialogs.texts(), QStringList{"Please input a job prefix"});
        QCOMPARE(s.focused(), QStringLiteral("txtjob_prefix"));
        s.fill("txtjob_prefix", "a");
        s.dialogs.clear();
        s.press("cmdselect");
        QCOMPARE(s.dialogs.texts(), QStringList{"Please input a job number"});
        QCOMPARE(s.focused(), QStringLiteral("txtjobno"));
        s.fill("txtjobno", QString::number(number));
        s.dialogs.clear();
        s.press("cmdselect");
        QVERIFY(s.dialogs.shown.isEmpty());
        QCOMPARE(s.text("txtjobno"), QStringLiteral("40001"));
        QCOMPARE(s.text("txtjob_prefix"), QStringLiteral("A"));
        QCOMPARE(s.text("txtcustomer"), QStringLiteral("Dr Load"));
        QCOMPARE(s.text("txtdate"), QStringLiteral("01/07/2026"));
        QCOMPARE(s.text("txttime"), QStringLiteral("14:05:00"));
        QCOMPARE(s.text("txtdriver"), QStringLiteral("Pete Walsh"));
        QCOMPARE(s.text("txtvtype"), QStringLiteral("Estate Car"));
        QCOMPARE(s.text("txtpaymtype"), QStringLiteral("Account"));
        QCOMPARE(s.text("txtaccname"), QStringLiteral("%1 : O'Brien & Sons").arg(f.obrien));
        QVERIFY(s.find("txtaccname")->isVisible());
        QCOMPARE(s.text("txtacc_ref"), QStringLiteral("R1"));
        QCOMPARE(s.text("txtcost_code"), QStringLiteral("C1"));
        QCOMPARE(s.text("txtsi"), QStringLiteral("Wheelchair"));
        QVERIFY(s.find("cmdupd")->isVisible());

        s.fill("txtjobno", "9");
        s.press("cmdselect");
        QCOMPARE(s.dialogs.texts(), QStringList{"No matching records found"});
        QVERIFY(!s.find("cmdupd")->isVisible());
        QCOMPARE(s.text("txtcustomer"), QString());
    }

    void openedOnAJob()
    {
        TestDatabase t;
        JobFixture f(t);
        const int number =
            t.addJob("A", QDate(2026, 7, 1), "14:05:00", "Preset", "I", f.estate, 999);
        t.exec(QStringLiteral("delete from vehicle_types where vehicletypeid = ?"), {f.estate});
        JobScreen s(t);
        s.screen.presetJob({QStringLiteral("A"), number});
        QVERIFY(s.open());
        QVERIFY(s.dialogs.shown.isEmpty());
        QCOMPARE(s.text("txtcustomer"), QStringLiteral("Preset"));
        QCOMPARE(s.text("txtdriver"), QString());                   // the driver no longer exists
        QCOMPARE(s.text("txtvtype"), QStringLiteral("Saloon Car")); // nor the vehicle type
        QVERIFY(s.find("cmdupd")->isVisible());

        JobScreen missing(t);
        missing.screen.presetJob({QStringLiteral("A"), 77});
        QVERIFY(missing.open());
        QCOMPARE(missing.dialogs.texts(), QStringList{"No matching records found"});
        QVERIFY(!missing.find("cmdupd")->isVisible());
    }

    void updateRewritesTheJob()
    {
        TestDatabase t;
        JobFixture f(t);
        const int number =
            t.addJob("A", QDate(2026, 7, 1), "14:05:00", "Before", "I", f.estate, f.driver);
        t.exec(QStringLiteral("update jobs set invoiced = 'N', payment_type = ?"), {f.cash});
        // A transferred job with the same number under another prefix stays as it was.
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id, passenger_name, invoiced) "
                              "values ('T', ?, 'Other', 'Y')"),
               {number});
        JobScreen s(t);
        QSignalSpy changed(&s.screen, &velmora::frmjob_management::jobsChanged);
        s.screen.presetJob({QStringLiteral("A"), number});
        QVERIFY(s.open());
        s.fill("txtcustomer", "After");
        s.fill("txttime", "1530");
        s.press("cmdupd");
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        QCOMPARE(jobRow(t, "A", number), QStringLiteral("After|2026-07-01|15:30:00|15:30| |0|I"));
        QCOMPARE(t.value(QStringLiteral("select passenger_name || invoiced from jobs "
                                        "where job_prefix = 'T'")),
                 QVariant(QStringLiteral("OtherY")));
        QCOMPARE(changed.count(), 1);

        s.edit("txtjobno")->clear();
        s.press("cmdupd");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"You must supply a job before attempting to update"});
    }

    // A job another desk saved since it was loaded is not overwritten: the save is refused
    // and the screen offers to show the job as it is now; saved over again, it is kept.
    void aJobChangedAtAnotherDeskIsNotOverwritten()
    {
        TestDatabase t;
        JobFixture f(t);
        const int number =
            t.addJob("A", QDate(2026, 7, 1), "14:05:00", "Before", "I", f.estate, f.driver);
        t.exec(QStringLiteral("update jobs set invoiced = 'N', payment_type = ?"), {f.cash});
        JobScreen s(t);
        s.screen.presetJob({QStringLiteral("A"), number});
        QVERIFY(s.open());
        t.exec(QStringLiteral("update jobs set passenger_name = 'Elsewhere', row_version = "
                              "row_version + 1, row_changed_at = '2026-07-01 14:32:10'"));
        s.fill("txtcustomer", "Mine");
        s.dialogs.answers.enqueue(velmora::Dialogs::Answer::Yes);
        s.press("cmdupd");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{QStringLiteral("Job A%1 was changed at another desk at 14:32; your "
                                            "changes were not saved\n\nShow the job as it is now?")
                                 .arg(number)});
        QCOMPARE(s.edit("txtcustomer")->text(), QStringLiteral("Elsewhere"));
        s.dialogs.clear();
        s.fill("txtcustomer", "Mine");
        s.press("cmdupd");
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        QCOMPARE(t.value(QStringLiteral("select passenger_name || row_version from jobs")),
                 QVariant(QStringLiteral("Mine2")));
    }

    void clearEmptiesTheScreen()
    {
        TestDatabase t;
        JobFixture f(t);
        const int number =
            t.addJob("A", QDate(2026, 7, 1), "14:05:00", "Clear me", "I", f.estate, f.driver);
        JobScreen s(t);
        s.screen.presetJob({QStringLiteral("A"), number});
        QVERIFY(s.open());
        s.fill("txtpaymtype", "Cash");
        s.press("cmdclearall");
        for (const char* name : {"txtjobno", "txtcustomer", "txtjob_prefix", "txtdate", "txttime",
                                 "txtdriver", "txtpickup", "txtdrop", "txtsi", "txtaccname",
                                 "txtacc_ref", "txtcost_code", "txtaccname1"})
            QVERIFY2(s.text(name).isEmpty(), name);
        QCOMPARE(s.text("txtvtype"), QStringLiteral("Saloon Car"));
        QCOMPARE(s.text("txtpaymtype"), QStringLiteral("Account"));
        QVERIFY(s.find("txtaccname1")->isVisible());
        QVERIFY(!s.find("txtaccname")->isVisible());
        QVERIFY(!s.find("cmdupd")->isVisible());
        QCOMPARE(s.focused(), QStringLiteral("txtcustomer"));
    }

    void paymentTypeShowsTheAccountFields()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        QVERIFY(s.open());
        QComboBox* chooser = s.combo("txtaccname1");
        chooser->setFocus();
        chooser->setCurrentIndex(2);
        Q_EMIT chooser->activated(2);
        QCOMPARE(s.text("txtaccname"), QStringLiteral("%1 : O'Brien & Sons").arg(f.obrien));
        QVERIFY(s.find("txtaccname")->isVisible());
        Q_EMIT chooser->activated(0);
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"An account name must be selected if payment type = Account"});
        QCOMPARE(s.focused(), QStringLiteral("txtaccname1"));

        s.fill("txtcost_code", "CC");
        s.fill("txtpaymtype", "Cash");
        for (const char* name : {"txtaccname1", "txtaccname", "txtcost_code", "txtacc_ref",
                                 "lblaccname1", "lblcost_code", "lblacc_ref"})
            QVERIFY2(!s.find(name)->isVisible(), name);
        QCOMPARE(s.text("txtaccname"), QString());
        s.fill("txtpaymtype", "account");
        for (const char* name : {"txtaccname1", "txtcost_code", "txtacc_ref", "lblaccname1"})
            QVERIFY2(s.find(name)->isVisible(), name);
        QCOMPARE(s.text("txtcost_code"), QString()); // a change to Account starts afresh
        s.fill("txtcost_code", "CC2");
        s.fill("txtpaymtype", "Account");
        QCOMPARE(s.text("txtcost_code"), QStringLiteral("CC2"));

        s.edit("txtaccname")->show();
        s.fill("txtaccname", "Nobody Ltd");
        QCOMPARE(s.dialogs.texts().last(),
                 QStringLiteral("Account name supplied not found, please resubmit"));
        QCOMPARE(s.focused(), QStringLiteral("txtaccname"));
        s.fill("txtaccname", "acme ltd");
        QCOMPARE(s.text("txtaccname"), QStringLiteral("%1 : Acme Ltd").arg(f.acme));
    }

    void calendar()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        QVERIFY(s.open());
        s.press("cmdcalendar");
        QVERIFY(s.find("Frame3")->isVisible());
        auto* calendar = s.find<QCalendarWidget>("Calendar2");
        QCOMPARE(calendar->selectedDate(), QDate::currentDate());
        calendar->setSelectedDate(QDate(2026, 8, 9));
        Q_EMIT calendar->activated(calendar->selectedDate());
        QCOMPARE(s.text("txtdate"), QStringLiteral("09/08/2026"));
        QVERIFY(!s.find("Frame3")->isVisible());
        QCOMPARE(s.focused(), QStringLiteral("txttime"));
    }

    void exitCloses()
    {
        TestDatabase t;
        JobFixture f(t);
        for (const char* exit : {"Command6", "cmdexit", "cmndexit2", "cmndexit3"}) {
            JobScreen s(t);
            QVERIFY(s.open());
            s.press(exit);
            QVERIFY2(!s.screen.isVisible(), exit);
        }
    }
};

QTEST_MAIN(TestJobScreenBooking)
#include "test_jobscreen_booking.moc"
