#include "addressscreenfields.h"
#include "reference/drivers.h"
#include "reference/frmdriver.h"

#include <QApplication>
#include <QCheckBox>

using velmora::frmdriver;
using velmora::test::addressRow;
using velmora::test::AddressScreenFields;
using velmora::test::captions;
using velmora::test::child;
using velmora::test::focusOn;
using velmora::test::items;
using velmora::test::TestDatabase;
using velmora::test::texts;
using velmora::test::typeAndLeave;

namespace {

// Adds a driver with an address row directly; returns the driver id.
qint64 addDriver(TestDatabase& t, const QString& name, const QVariant& contact, int percentage = 0,
                 bool barred = false)
{
    t.exec(
        QStringLiteral("insert into addresses (address_line1, address_line2, address_line3, "
                       "address_town, address_county, address_type) "
                       "values ('2 Rank Road', 'Third', 'Second', 'Bradford', 'West Yorks', 8)"));
    const QVariant address = t.value(QStringLiteral("select max(address_id) from addresses"));
    t.exec(QStringLiteral("insert into drivers (address_id, driver_name, contact_name, "
                          "licence_number, self_employed, barred, driver_percentage) "
                          "values (?, ?, ?, ?, 1, ?, ?)"),
           {address, name, contact, QStringLiteral("BADGE-") + name, barred ? 1 : 0, percentage});
    return t.value(QStringLiteral("select max(driver_id) from drivers")).toLongLong();
}

// "name|contact|licence|self_employed|barred|percentage|address_id" of every driver.
QStringList drivers(TestDatabase& t)
{
    return t.rows(QStringLiteral("select driver_name, contact_name, licence_number, self_employed, "
                                 "barred, driver_percentage, address_id from drivers "
                                 "order by driver_id"));
}

// The address row that Screen::fill() leaves to be saved.
const QString kFilledAddress = QStringLiteral(
    "9 Cab Street|Near the mill|Manningham|Bradford|West Yorkshire|BD8||07700 900|||8");

// The driver screen, with its fields found by name.
struct Screen : AddressScreenFields<frmdriver>
{
    // Fills the licence and the address directly (no focus moves).
    void fill()
    {
        licence->setText(QStringLiteral("PH-1234"));
        fillAddress({"9 Cab Street", "Manningham", "Near the mill", "Bradford", "West Yorkshire",
                     "BD8", "", "07700 900"});
    }
    // fill() for the driver "Raj".
    void fillAll()
    {
        name->setText(QStringLiteral("Raj"));
        fill();
    }

    QLineEdit* licence = child<QLineEdit>(window, QStringLiteral("txtlicence"));
    QCheckBox* selfEmployed = child<QCheckBox>(window, QStringLiteral("Check1"));
    QCheckBox* barred = child<QCheckBox>(window, QStringLiteral("Check2"));
    QLineEdit* percentage = child<QLineEdit>(window, QStringLiteral("txtpercentage"));
};

} // namespace

class TestFrmDriver : public QObject
{
    Q_OBJECT

private slots:
    void layoutAndWording()
    {
        Screen s;
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Address Details"));
        QCOMPARE(s.selfEmployed->text().remove(u'&'), QStringLiteral("Self Employed"));
        QCOMPARE(s.selfEmployed->toolTip(), QStringLiteral("Click if self-employed"));
        QCOMPARE(s.barred->text().remove(u'&'), QStringLiteral("Barred"));
        QCOMPARE(s.barred->toolTip(), QStringLiteral("Click if driver barred"));
        QVERIFY(s.open());
        QVERIFY(!child<QLineEdit>(s.window, QStringLiteral("txtnickname"))->isVisible());
        for (QWidget* w : {static_cast<QWidget*>(s.licence), static_cast<QWidget*>(s.selfEmployed),
                           static_cast<QWidget*>(s.barred), static_cast<QWidget*>(s.percentage)})
            QVERIFY(w->isVisible());
        const QStringList labels = captions(s.window, true);
        for (const char* caption : {"Driver Name", "Contact Name", "Licence Number", "Percentage"})
            QVERIFY2(labels.contains(QString::fromLatin1(caption)), caption);
    }

    void emptyTableGivesNoMessage()
    {
        Screen s;
        QVERIFY(s.open());
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.list->count(), 0);
    }

    void newDriverWithUnknownName()
    {
        Screen s;
        QVERIFY(s.open());
        typeAndLeave(s.name, QStringLiteral("Raj Patel"), s.contact);
        QCOMPARE(s.dialogs.texts(), QStringList{"No contact recorded for this driver"});
        QCOMPARE(QApplication::focusWidget(), s.contact);
        s.dialogs.clear();
        typeAndLeave(s.contact, QStringLiteral("Mrs Patel"), s.licence);
        QCOMPARE(s.dialogs.texts(), QStringList{"New Driver Details"});
        s.fill();
        s.selfEmployed->setChecked(true);
        s.percentage->setText(QStringLiteral("15"));
        QCOMPARE(s.saving(), QStringList());
        QCOMPARE(drivers(s.t), QStringList{"Raj Patel|Mrs Patel|PH-1234|1|0|15|1"});
        QCOMPARE(addressRow(s.t, 1), kFilledAddress);
        QCOMPARE(
            s.t.value(QStringLiteral("select typeof(address_postcode2) from addresses")).toString(),
            QStringLiteral("text"));
        // Reset: every field empty, the list reloaded.
        QCOMPARE(items(s.list), QStringList{"Raj Patel : Mrs Patel"});
        QCOMPARE(texts({s.name, s.contact, s.licence, s.percentage}), QStringLiteral("|||"));
        QVERIFY(!s.selfEmployed->isChecked());
        QCOMPARE(s.window.currentId(), 0);
    }

    void typedNameWithOneDriverFillsEverything()
    {
        Screen s;
        addDriver(s.t, QStringLiteral("Other"), QStringLiteral("X"));
        const qint64 id =
            addDriver(s.t, QStringLiteral("Dave Kerr"), QStringLiteral("Sue Kerr"), 20, true);
        QVERIFY(s.open());
        typeAndLeave(s.name, QStringLiteral("dave kerr"), s.contact);
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.window.currentId(), id);
        QCOMPARE(texts({s.contact, s.licence, s.percentage, s.addr1, s.addr5, s.addr2}),
                 QStringLiteral("Sue Kerr|BADGE-Dave Kerr|20|2 Rank Road|Second|Third"));
        QVERIFY(s.selfEmployed->isChecked());
        QVERIFY(s.barred->isChecked());
    }

    void typedNameWithSeveralContactsWaitsForAPick()
    {
        Screen s;
        addDriver(s.t, QStringLiteral("Sam Hill"), QStringLiteral("Ann Hill"));
        addDriver(s.t, QStringLiteral("Sam Hill"), QVariant());
        const qint64 second =
            addDriver(s.t, QStringLiteral("Sam Hill"), QStringLiteral("Bob Hill"));
        QVERIFY(s.open());
        typeAndLeave(s.name, QStringLiteral("Sam Hill"), s.contact);
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(items(s.contact), (QStringList{"Ann Hill", "Bob Hill"}));
        QCOMPARE(s.contact->currentText(), QString());
        QCOMPARE(s.window.currentId(), 0);
        QCOMPARE(s.addr1->text(), QString());

        s.contact->setCurrentIndex(1);
        focusOn(s.licence);
        QCOMPARE(s.window.currentId(), second);
        QCOMPARE(s.addr1->text(), QStringLiteral("2 Rank Road"));

        // Leaving the name again refills the drop-down rather than adding to it.
        typeAndLeave(s.name, QStringLiteral("Sam Hill"), s.contact);
        QCOMPARE(items(s.contact), (QStringList{"Ann Hill", "Bob Hill"}));
    }

    void apostrophesWork()
    {
        Screen s;
        const qint64 id =
            addDriver(s.t, QStringLiteral("Pat O'Brien"), QStringLiteral("Mary O'Brien"));
        QVERIFY(s.open());
        typeAndLeave(s.name, QStringLiteral("Pat O'Brien"), s.contact);
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.window.currentId(), id);
        s.clear->click();

        QVERIFY(s.window.load_driver_list());
        QVERIFY(velmora::test::pick(s.list, QStringLiteral("Pat O'Brien : Mary O'Brien")));
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.window.currentId(), id);
        QCOMPARE(texts({s.name, s.contact}), QStringLiteral("Pat O'Brien|Mary O'Brien"));
        s.percentage->setText(QStringLiteral("12"));
        s.save->trigger();
        QCOMPARE(drivers(s.t), QStringList{"Pat O'Brien|Mary O'Brien|BADGE-Pat O'Brien|1|0|12|1"});
    }

    void pickedEntryIsEditedInPlace()
    {
        Screen s;
        addDriver(s.t, QStringLiteral("Dave Kerr"), QStringLiteral("Sue Kerr"));
        QVERIFY(s.open());
        QCOMPARE(items(s.list), QStringList{"Dave Kerr : Sue Kerr"});
        QVERIFY(velmora::test::pick(s.list, QStringLiteral("Dave Kerr : Sue Kerr")));
        QCOMPARE(s.window.currentId(), 1);
        s.fill();
        s.barred->setChecked(true);
        s.selfEmployed->setChecked(false);
        s.percentage->setText(QStringLiteral("-5"));
        s.save->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(drivers(s.t), QStringList{"Dave Kerr|Sue Kerr|PH-1234|0|1|0|1"});
        QCOMPARE(s.addresses(), 1);
        QCOMPARE(addressRow(s.t, 1), kFilledAddress);
    }

    void entryWithoutContactMovesToContact()
    {
        Screen s;
        addDriver(s.t, QStringLiteral("Lone"), QVariant());
        QVERIFY(s.open());
        QCOMPARE(items(s.list), QStringList{"Lone : "});
        QVERIFY(velmora::test::pick(s.list, QStringLiteral("Lone : ")));
        QCOMPARE(s.name->text(), QStringLiteral("Lone"));
        QCOMPARE(QApplication::focusWidget(), s.contact);
        QCOMPARE(s.dialogs.texts(), QStringList());
    }

    void splitsListEntries()
    {
        using velmora::splitDriverEntry;
        QCOMPARE(splitDriverEntry(u"Dave Kerr : Sue Kerr").name, QStringLiteral("Dave Kerr"));
        QCOMPARE(splitDriverEntry(u"Dave Kerr : Sue Kerr").contact, QStringLiteral("Sue Kerr"));
        QCOMPARE(splitDriverEntry(u"Al : ").contact, QString());
        // Without " : " to split at, the whole entry is the name.
        for (const QString& entry : QStringList{"A: B : C", ":x", "Plain name"})
            QCOMPARE(splitDriverEntry(entry).name, entry);
    }

    void percentage_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("stored");
        QTest::newRow("100") << "100" << false << 0;
        QTest::newRow("7x") << "7x" << true << 7;
        QTest::newRow("-5") << "-5" << true << 0;
        QTest::newRow("ab") << "ab" << true << 0;
        QTest::newRow("99") << "99" << true << 99;
        QTest::newRow("empty") << "" << true << 0;
    }
    void percentage()
    {
        QFETCH(QString, typed);
        QFETCH(bool, fits);
        QFETCH(int, stored);
        Screen s;
        QVERIFY(s.open());
        s.fillAll();
        focusOn(s.percentage);
        s.dialogs.clear();
        s.percentage->setText(typed);
        focusOn(s.phone1);
        const QStringList refused{"Invalid percentage value, valid values are 0 through 99"};
        QCOMPARE(s.dialogs.texts(), fits ? QStringList() : refused);
        if (!fits) {
            QCOMPARE(QApplication::focusWidget(), s.percentage);
            QCOMPARE(s.saving(), refused);
            QCOMPARE(drivers(s.t), QStringList());
            return;
        }
        s.save->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(drivers(s.t).size(), 1);
        QCOMPARE(drivers(s.t).first().section(u'|', 5, 5).toInt(), stored);
        QCOMPARE(velmora::storedPercentage(typed), stored);
    }

    void checksBeforeSaving_data()
    {
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("name") << QStringList{"txtacc_name", "txtaddr1"} << "A name must be supplied"
                              << "txtacc_name";
        QTest::newRow("first line")
            << QStringList{"txtaddr1", "txtlicence"} << "First line of address must be supplied"
            << "txtaddr1";
        QTest::newRow("town") << QStringList{"txtaddr3"} << "A town must be supplied"
                              << "txtaddr3";
        QTest::newRow("county") << QStringList{"txtaddr4"} << "A county must be supplied"
                                << "txtaddr4";
        QTest::newRow("licence") << QStringList{"txtlicence"}
                                 << "You have not input a licenece / badge number"
                                 << "txtlicence";
    }
    void checksBeforeSaving()
    {
        QFETCH(QStringList, emptied);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Screen s;
        QVERIFY(s.open());
        s.fillAll();
        for (const QString& field : emptied)
            child<QLineEdit>(s.window, field)->clear();
        focusOn(s.phone1);
        QCOMPARE(s.saving(), QStringList{message});
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(drivers(s.t), QStringList());
        QCOMPARE(s.addresses(), 0);
    }

    void entryOrderGuardsAsOnTheAccountScreen()
    {
        Screen s;
        QVERIFY(s.open());
        focusOn(s.phone1);
        s.dialogs.clear();
        focusOn(s.addr1);
        QCOMPARE(s.dialogs.texts(), QStringList{"An account name must be specified"});
        QCOMPARE(QApplication::focusWidget(), s.name);
        s.name->setText(QStringLiteral("Raj"));
        s.list->setEditText(QStringLiteral("typed, so the name is not looked up"));
        s.town->setText(QStringLiteral("Bradford"));
        focusOn(s.phone1);
        s.dialogs.clear();
        focusOn(s.postcode1);
        QCOMPARE(s.dialogs.texts(), QStringList{"A county must be specified"});
        QCOMPARE(QApplication::focusWidget(), s.county);
    }

    void emptyNameIsRefusedOnLeaving()
    {
        Screen s;
        QVERIFY(s.open());
        focusOn(s.name);
        focusOn(s.contact);
        QCOMPARE(s.dialogs.texts(), QStringList{"A name must be supplied"});
        QCOMPARE(QApplication::focusWidget(), s.name);
    }

    void changedContactAddsASecondDriver()
    {
        Screen s;
        addDriver(s.t, QStringLiteral("Dave Kerr"), QStringLiteral("Sue Kerr"));
        QVERIFY(s.open());
        QVERIFY(velmora::test::pick(s.list, QStringLiteral("Dave Kerr : Sue Kerr")));
        typeAndLeave(s.contact, QStringLiteral("Tom Kerr"), s.licence);
        QCOMPARE(s.dialogs.texts(), QStringList{"New Driver Details"});
        s.save->trigger();
        QCOMPARE(drivers(s.t).size(), 2);
        QCOMPARE(drivers(s.t).at(1).section(u'|', 0, 1), QStringLiteral("Dave Kerr|Tom Kerr"));
        QCOMPARE(drivers(s.t).at(1).section(u'|', 6), QStringLiteral("2"));
    }

    void clearKeepsPercentageAndEmptiesTheList()
    {
        Screen s;
        addDriver(s.t, QStringLiteral("Dave Kerr"), QStringLiteral("Sue Kerr"), 30, true);
        QVERIFY(s.open());
        QVERIFY(velmora::test::pick(s.list, QStringLiteral("Dave Kerr : Sue Kerr")));
        QCOMPARE(s.percentage->text(), QStringLiteral("30"));
        s.clear->click();
        QCOMPARE(s.window.currentId(), 0);
        QCOMPARE(texts({s.name, s.contact, s.licence, s.addr1}), QStringLiteral("|||"));
        QCOMPARE(s.contact->count(), 0);
        QVERIFY(!s.barred->isChecked());
        QVERIFY(!s.selfEmployed->isChecked());
        QCOMPARE(s.percentage->text(), QStringLiteral("30"));
        QCOMPARE(s.list->count(), 0);
        QVERIFY(s.licence->isVisible());
    }

    void failedSaveWritesNothing()
    {
        Screen s;
        s.t.exec(QStringLiteral("create trigger refuse before insert on drivers begin "
                                "select raise(abort, 'no more drivers'); end"));
        QVERIFY(s.open());
        s.fillAll();
        s.save->trigger();
        QCOMPARE(s.dialogs.shown.size(), 1);
        QVERIFY(s.dialogs.shown[0].text.contains(QStringLiteral("no more drivers")));
        QCOMPARE(s.addresses(), 0);
        QCOMPARE(s.name->text(), QStringLiteral("Raj"));
    }
};

QTEST_MAIN(TestFrmDriver)
#include "test_frmdriver.moc"
