#include "addressscreenfields.h"
#include "reference/accounts.h"
#include "reference/frmaccount.h"

#include <QApplication>

using velmora::frmaccount;
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

// Adds an account with its address row directly; returns the account id.
qint64 addAccount(TestDatabase& t, const QString& name, const QString& contact,
                  const QVariant& nickname = QStringLiteral(" "), const QVariant& id = {})
{
    t.exec(QStringLiteral("insert into addresses (address_line1, address_line2, address_line3, "
                          "address_town, address_county, address_postcode1, address_postcode2, "
                          "address_phone1, address_type) values (?, ?, ?, ?, ?, ?, ?, ?, 9)"),
           {QStringLiteral("1 Mill Lane"), QStringLiteral("Third Line"),
            QStringLiteral("Second Line"), QStringLiteral("Leeds"), QStringLiteral("West Yorks"),
            QStringLiteral("LS1"), QStringLiteral("4AB"), QStringLiteral("0113 000")});
    const QVariant address = t.value(QStringLiteral("select max(address_id) from addresses"));
    t.exec(QStringLiteral("insert into accounts (account_id, address_id, account_name, "
                          "contact_name, nickname) values (?, ?, ?, ?, ?)"),
           {id, address, name, contact, nickname});
    return t.value(QStringLiteral("select max(account_id) from accounts")).toLongLong();
}

// "name|contact|nickname|address_id" of every account in id order; NULL shows as "<null>".
QStringList accounts(TestDatabase& t)
{
    return t.rows(QStringLiteral("select account_name, contact_name, nickname, address_id "
                                 "from accounts order by account_id"),
                  {}, QStringLiteral("<null>"));
}

// The address row `id`; NULL shows as "<null>".
QString address(TestDatabase& t, const QVariant& id)
{
    return addressRow(t, id, QStringLiteral("<null>"));
}

// The account screen, with its fields found by name.
struct Screen : AddressScreenFields<frmaccount>
{
    // Fills every address field directly (no focus moves).
    void fillAddress()
    {
        AddressScreenFields::fillAddress({"Unit 4", "Canal Wharf", "Holbeck", "Leeds",
                                          "West Yorkshire", "LS11", "5PS", "0113 111", "0113 222",
                                          "07700 333"});
    }

    QLineEdit* nickname = child<QLineEdit>(window, QStringLiteral("txtnickname"));
};

const QString kFilledAddress = QStringLiteral(
    "Unit 4|Holbeck|Canal Wharf|Leeds|West Yorkshire|LS11|5PS|0113 111|0113 222|07700 333|9");

} // namespace

class TestFrmAccount : public QObject
{
    Q_OBJECT

private slots:
    void layoutAndWording()
    {
        Screen s;
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Address Details"));
        QCOMPARE(s.list->toolTip(), QStringLiteral("Select name or enter new name"));
        QCOMPARE(s.save->text(), QStringLiteral("&Save"));
        QCOMPARE(child<QAction>(s.window, QStringLiteral("mnuexit"))->text(),
                 QStringLiteral("&Exit"));
        QCOMPARE(s.clear->text(), QStringLiteral("&Clear Address"));
        QVERIFY(s.open());
        for (const char* driverOnly : {"txtlicence", "Check1", "Check2", "txtpercentage"})
            QVERIFY(!child<QWidget>(s.window, QString::fromLatin1(driverOnly))->isVisible());
        QVERIFY(s.nickname->isVisible());
        const QStringList labels = captions(s.window, true);
        for (const char* caption : {"Company Name", "Contact Name", "Nick Name",
                                    "Correspondence Address", "Town", "County"})
            QVERIFY2(labels.contains(QString::fromLatin1(caption)), caption);
    }

    void emptyTableThenFirstAccount()
    {
        Screen s;
        QVERIFY(s.open());
        QCOMPARE(s.dialogs.texts(), QStringList{"No accounts currently created"});
        QCOMPARE(s.dialogs.shown[0].title, QStringLiteral("Velmora Application"));
        QCOMPARE(s.list->count(), 0);
        s.dialogs.clear();

        typeAndLeave(s.name, QStringLiteral("Acme Travel"), s.contact);
        typeAndLeave(s.contact, QStringLiteral("Jo Smith"), s.nickname);
        QCOMPARE(s.dialogs.texts(), QStringList{"New account details"});
        QCOMPARE(s.window.currentId(), 0);
        s.fillAddress();
        QCOMPARE(s.saving(), QStringList());

        QCOMPARE(accounts(s.t), QStringList{"Acme Travel|Jo Smith| |1"});
        QCOMPARE(address(s.t, 1), kFilledAddress);
        // The screen is back to a new account with the list reloaded.
        QCOMPARE(items(s.list), QStringList{"1 : Acme Travel : Jo Smith :  "});
        QCOMPARE(texts({s.list, s.name, s.contact, s.addr1, s.phone3}), QStringLiteral("||||"));
        QCOMPARE(s.window.currentId(), 0);
    }

    void newAccountKeepsEmptyContactAndNameBecomesSpace()
    {
        Screen s;
        QVERIFY(s.open());
        s.fillAddress();
        s.save->trigger();
        QCOMPARE(accounts(s.t), QStringList{" || |1"});
        QCOMPARE(s.t.value(QStringLiteral("select typeof(contact_name) from accounts")).toString(),
                 QStringLiteral("text"));
    }

    void pickEntryLoadsAccountWithCrossedLines()
    {
        Screen s;
        addAccount(s.t, QStringLiteral("Zeta Logistics"), QStringLiteral("Ann"));
        const qint64 id = addAccount(s.t, QStringLiteral("Acme Travel"), QStringLiteral("Jo Smith"),
                                     QStringLiteral("ACME"));
        QVERIFY(s.open());
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(items(s.list), (QStringList{"2 : Acme Travel : Jo Smith : ACME",
                                             "1 : Zeta Logistics : Ann :  "}));
        QCOMPARE(s.list->currentText(), QString());

        QVERIFY(velmora::test::pick(s.list, QStringLiteral("2 : Acme Travel : Jo Smith : ACME")));
        QCOMPARE(s.window.currentId(), id);
        QCOMPARE(texts({s.name, s.contact, s.nickname, s.addr1}),
                 QStringLiteral("Acme Travel|Jo Smith|ACME|1 Mill Lane"));
        // addr5 shows address_line3, addr2 address_line2; a NULL phone shows empty.
        QCOMPARE(texts({s.addr5, s.addr2, s.town, s.postcode2, s.phone1, s.phone2}),
                 QStringLiteral("Second Line|Third Line|Leeds|4AB|0113 000|"));
        QCOMPARE(QApplication::focusWidget(), s.contact);
    }

    void existingAccountIsEditedInPlace()
    {
        Screen s;
        const qint64 id = addAccount(s.t, QStringLiteral("Acme Travel"), QStringLiteral("Jo Smith"),
                                     QStringLiteral("ACME"));
        s.t.exec(QStringLiteral("update accounts set account_balance = 12345, invoice_type = 'F', "
                                "account_ref = 'R1', cost_code = 'C1'"));
        QVERIFY(s.open());
        QVERIFY(velmora::test::pick(s.list, s.list->itemText(0)));
        s.fillAddress();
        s.name->setText(QStringLiteral("Acme Travel Ltd"));
        s.save->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(accounts(s.t), QStringList{"Acme Travel Ltd|Jo Smith|ACME|1"});
        QCOMPARE(s.addresses(), 1);
        QCOMPARE(address(s.t, 1), kFilledAddress);
        QCOMPARE(
            s.t.value(QStringLiteral("select account_balance || invoice_type || account_ref || "
                                     "cost_code from accounts where account_id = ?"),
                      {id})
                .toString(),
            QStringLiteral("12345FR1C1"));
        QCOMPARE(items(s.list), QStringList{"1 : Acme Travel Ltd : Jo Smith : ACME"});
    }

    void invoiceEmailIsCheckedAndKept()
    {
        Screen s;
        addAccount(s.t, QStringLiteral("Acme Travel"), QStringLiteral("Jo Smith"),
                   QStringLiteral("ACME"));
        QVERIFY(s.open());
        auto* email = child<QLineEdit>(s.window, QStringLiteral("txtinvoice_email"));
        const QString stored =
            QStringLiteral("select coalesce(invoice_email, '<null>') from accounts");
        for (const QString& address : {QStringLiteral("accounts at acme"), QStringLiteral("a@b"),
                                       QStringLiteral("a b@acme.example")}) {
            QVERIFY(velmora::test::pick(s.list, s.list->itemText(0)));
            s.fillAddress();
            email->setText(address);
            s.dialogs.clear();
            s.save->trigger();
            QCOMPARE(s.dialogs.texts(),
                     QStringList{"The e-mail address for invoices is not an e-mail address"});
            QCOMPARE(s.t.value(stored).toString(), QStringLiteral("<null>"));
        }
        email->setText(QStringLiteral(" accounts@acme.example "));
        s.dialogs.clear();
        s.save->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.t.value(stored).toString(), QStringLiteral("accounts@acme.example"));
        QVERIFY(velmora::test::pick(s.list, s.list->itemText(0)));
        QCOMPARE(email->text(), QStringLiteral("accounts@acme.example"));
        email->clear();
        s.save->trigger();
        QCOMPARE(s.t.value(stored).toString(), QStringLiteral("<null>"));
    }

    void existingAccountEmptyTextsBecomeSpaces()
    {
        Screen s;
        addAccount(s.t, QStringLiteral("Acme Travel"), QStringLiteral("Jo Smith"),
                   QStringLiteral("ACME"));
        QVERIFY(s.open());
        QVERIFY(velmora::test::pick(s.list, s.list->itemText(0)));
        s.name->clear();
        s.contact->setEditText(QString());
        s.nickname->clear();
        s.save->trigger();
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(accounts(s.t), QStringList{" | | |1"});
    }

    void nicknameLeftEmptyBecomesSpace()
    {
        Screen s;
        QVERIFY(s.open());
        s.name->setText(QStringLiteral("Acme"));
        focusOn(s.nickname);
        focusOn(s.addr1);
        QCOMPARE(s.nickname->text(), QStringLiteral(" "));
    }

    void fourDigitAccountIdIsReadInFull()
    {
        Screen s;
        addAccount(s.t, QStringLiteral("Small"), QStringLiteral("A"), QStringLiteral(" "), 123);
        addAccount(s.t, QStringLiteral("Large"), QStringLiteral("B"), QStringLiteral(" "), 1234);
        QVERIFY(s.open());
        QVERIFY(velmora::test::pick(s.list, QStringLiteral("1234 : Large : B :  ")));
        QCOMPARE(s.window.currentId(), 1234);
        QCOMPARE(s.name->text(), QStringLiteral("Large"));
        QCOMPARE(velmora::accountIdOfEntry(u"1234 : Large : B"), 1234);
        QCOMPARE(velmora::accountIdOfEntry(u"98765 : Huge"), 98765);
        QCOMPARE(velmora::accountIdOfEntry(u"Acme Travel"), 0);
    }

    void nullNicknameListsThreeParts()
    {
        Screen s;
        addAccount(s.t, QStringLiteral("Acme"), QStringLiteral("Jo"), QVariant());
        QVERIFY(s.open());
        QCOMPARE(items(s.list), QStringList{"1 : Acme : Jo"});
    }

    void accountWithoutAddressIsNotListed()
    {
        Screen s;
        addAccount(s.t, QStringLiteral("Acme"), QStringLiteral("Jo"));
        s.t.exec(
            QStringLiteral("insert into accounts (address_id, account_name) values (99, 'Lost')"));
        QVERIFY(s.open());
        QCOMPARE(items(s.list), QStringList{"1 : Acme : Jo :  "});
    }

    void lookUpByNameAndContact_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<int>("found");
        QTest::newRow("both") << "Acme Travel"
                              << "Jo Smith" << 2;
        QTest::newRow("case ignored") << "ACME travel"
                                      << "jo smith" << 2;
        QTest::newRow("name only") << "Acme Travel"
                                   << "" << 1;
        QTest::newRow("apostrophes") << "O'Brien's Cars"
                                     << "Pat O'Brien" << 3;
        QTest::newRow("apostrophe name only") << "O'Brien's Cars"
                                              << "" << 3;
        QTest::newRow("other contact") << "Acme Travel"
                                       << "Someone Else" << 0;
        QTest::newRow("unknown") << "Nobody"
                                 << "Jo Smith" << 0;
    }
    void lookUpByNameAndContact()
    {
        QFETCH(QString, name);
        QFETCH(QString, contact);
        QFETCH(int, found);
        Screen s;
        addAccount(s.t, QStringLiteral("Acme Travel"), QStringLiteral("Al Brown"));
        addAccount(s.t, QStringLiteral("Acme Travel"), QStringLiteral("Jo Smith"),
                   QStringLiteral("AJ"));
        addAccount(s.t, QStringLiteral("O'Brien's Cars"), QStringLiteral("Pat O'Brien"),
                   QStringLiteral("OB"));
        QVERIFY(s.open());
        s.addr5->setText(QStringLiteral("typed before"));
        typeAndLeave(s.name, name, s.contact);
        typeAndLeave(s.contact, contact, s.nickname);
        QCOMPARE(s.window.currentId(), found);
        if (found == 0) {
            QCOMPARE(s.dialogs.texts(), QStringList{"New account details"});
            QCOMPARE(s.addr1->text(), QString());
            return;
        }
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(s.addr1->text(), QStringLiteral("1 Mill Lane"));
        QCOMPARE(s.addr5->text(), QStringLiteral("Second Line"));
        QVERIFY(!s.contact->currentText().isEmpty());
    }

    void changedContactMakesASecondAccount()
    {
        Screen s;
        addAccount(s.t, QStringLiteral("Acme Travel"), QStringLiteral("Jo Smith"));
        QVERIFY(s.open());
        QVERIFY(velmora::test::pick(s.list, s.list->itemText(0)));
        QCOMPARE(s.window.currentId(), 1);
        typeAndLeave(s.contact, QStringLiteral("Sam Jones"), s.nickname);
        QCOMPARE(s.dialogs.texts(), QStringList{"New account details"});
        QCOMPARE(s.window.currentId(), 0);
        s.save->trigger();
        QCOMPARE(accounts(s.t),
                 (QStringList{"Acme Travel|Jo Smith| |1", "Acme Travel|Sam Jones| |2"}));
        QCOMPARE(address(s.t, 2),
                 QStringLiteral("1 Mill Lane|Third Line|Second Line|Leeds|West Yorks|LS1|4AB|"
                                "0113 000|||9"));
    }

    void nameCheckOnLeaving()
    {
        Screen s;
        QVERIFY(s.open());
        s.dialogs.clear();
        focusOn(s.name);
        focusOn(s.nickname);
        QCOMPARE(s.dialogs.texts(), QStringList{"Please input or select an account name"});
        QCOMPARE(QApplication::focusWidget(), s.nickname);
        s.dialogs.clear();
        typeAndLeave(s.name, QStringLiteral("Acme"), s.nickname);
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(QApplication::focusWidget(), s.contact);
    }

    void entryOrderGuards_data()
    {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("tested");
        QTest::addColumn<QString>("message");
        QTest::newRow("first line") << "txtaddr1"
                                    << "txtacc_name"
                                    << "An account name must be specified";
        QTest::newRow("second line") << "txtaddr5"
                                     << "txtaddr1"
                                     << "First line of address must be specified";
        QTest::newRow("county") << "txtaddr4"
                                << "txtaddr3"
                                << "A town must be specified";
        QTest::newRow("postcode") << "txtpostcode1"
                                  << "txtaddr4"
                                  << "A county must be specified";
    }
    void entryOrderGuards()
    {
        QFETCH(QString, entered);
        QFETCH(QString, tested);
        QFETCH(QString, message);
        Screen s;
        QVERIFY(s.open());
        s.name->setText(QStringLiteral("Acme"));
        s.contact->setEditText(QStringLiteral("Jo"));
        s.fillAddress();
        child<QLineEdit>(s.window, tested)->clear();
        focusOn(s.phone3);
        s.dialogs.clear();

        focusOn(child<QLineEdit>(s.window, entered));
        QCOMPARE(s.dialogs.texts(), QStringList{message});
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(s.window, tested));

        // Filled, the same field is entered without that message.
        child<QLineEdit>(s.window, tested)->setText(QStringLiteral("x"));
        s.dialogs.clear();
        focusOn(child<QLineEdit>(s.window, entered));
        QVERIFY(!s.dialogs.texts().contains(message));
    }

    void validateAddressOrder_data()
    {
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("first line")
            << QStringList{"txtaddr1", "txtaddr3"} << "First line of address must be supplied"
            << "txtaddr1";
        QTest::newRow("town") << QStringList{"txtaddr3", "txtaddr4"} << "A town must be supplied"
                              << "txtaddr3";
        QTest::newRow("county") << QStringList{"txtaddr4"} << "A county must be supplied"
                                << "txtaddr4";
    }
    void validateAddressOrder()
    {
        QFETCH(QStringList, emptied);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Screen s;
        QVERIFY(s.open());
        s.name->setText(QStringLiteral("Acme"));
        s.fillAddress();
        for (const QString& name : emptied)
            child<QLineEdit>(s.window, name)->clear();
        focusOn(s.phone1);
        s.dialogs.clear();

        QVERIFY(!s.window.validate_address());
        QCOMPARE(s.dialogs.texts(), QStringList{message});
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(s.saving(), QStringList{message});
        QCOMPARE(accounts(s.t), QStringList());
        QCOMPARE(s.addresses(), 0);
    }

    void newAddressIdComesFromTheInsert()
    {
        Screen s;
        // Another address row appears behind every account address, so max() would be wrong.
        s.t.exec(QStringLiteral("create trigger shadow after insert on addresses "
                                "when new.address_type = 9 begin "
                                "insert into addresses (address_type) values (0); end"));
        QVERIFY(s.open());
        s.name->setText(QStringLiteral("Acme"));
        s.fillAddress();
        s.save->trigger();
        QCOMPARE(accounts(s.t), QStringList{"Acme|| |1"});
        QCOMPARE(s.t.value(QStringLiteral("select max(address_id) from addresses")).toInt(), 2);
        QCOMPARE(address(s.t, 1), kFilledAddress);
    }

    void failedSaveWritesNothing()
    {
        Screen s;
        s.t.exec(QStringLiteral("create trigger refuse before insert on accounts begin "
                                "select raise(abort, 'accounts are closed'); end"));
        QVERIFY(s.open());
        s.dialogs.clear();
        s.name->setText(QStringLiteral("Acme"));
        s.fillAddress();
        s.save->trigger();
        QCOMPARE(s.dialogs.shown.size(), 1);
        QVERIFY2(s.dialogs.shown[0].text.contains(QStringLiteral("accounts are closed")),
                 qPrintable(s.dialogs.shown[0].text));
        QCOMPARE(s.addresses(), 0);
        QCOMPARE(texts({s.name, s.addr1}), QStringLiteral("Acme|Unit 4")); // fields are kept
    }

    void textsKeepToTheirColumns()
    {
        Screen s;
        QVERIFY(s.open());
        QCOMPARE(s.name->maxLength(), 40);
        QCOMPARE(s.nickname->maxLength(), 20);
        QCOMPARE(s.contact->lineEdit()->maxLength(), 50);
        QCOMPARE(s.postcode1->maxLength(), 4);
        // The store refuses what a field would have stopped.
        QString error;
        velmora::AccountRecord account;
        account.name = QString(41, u'a');
        QVERIFY(!velmora::saveAccount(s.t.db(), account, &error));
        QCOMPARE(error, QStringLiteral("account_name may be at most 40 characters long."));
        account.name = QString(40, u'a');
        QVERIFY(velmora::saveAccount(s.t.db(), account, &error));
    }

    void missingAddressRowIsAddedOnSave()
    {
        Screen s;
        const qint64 id = addAccount(s.t, QStringLiteral("Acme"), QStringLiteral("Jo"));
        s.t.exec(QStringLiteral("delete from addresses"));
        QString error;
        velmora::AccountRecord account;
        account.id = id;
        account.name = QStringLiteral("Acme");
        account.address.line1 = QStringLiteral("Unit 4");
        QCOMPARE(velmora::saveAccount(s.t.db(), account, &error), std::optional<qint64>(id));
        QCOMPARE(s.t.value(QStringLiteral("select address_line1 || '|' || address_type from "
                                          "addresses a join accounts c on c.address_id = "
                                          "a.address_id where c.account_id = ?"),
                           {id})
                     .toString(),
                 QStringLiteral("Unit 4|9"));
    }

    void clearReturnsToANewAccount()
    {
        Screen s;
        addAccount(s.t, QStringLiteral("Acme Travel"), QStringLiteral("Jo Smith"));
        QVERIFY(s.open());
        QVERIFY(velmora::test::pick(s.list, s.list->itemText(0)));
        s.clear->click();
        QCOMPARE(s.window.currentId(), 0);
        QCOMPARE(texts({s.name, s.contact, s.addr1, s.list}), QStringLiteral("|||"));
        QCOMPARE(items(s.list), QStringList{"1 : Acme Travel : Jo Smith :  "});
    }

    void tabOrderFollowsTheScreen()
    {
        Screen s;
        QVERIFY(s.open());
        s.name->setText(QStringLiteral("Acme"));
        s.fillAddress();
        focusOn(s.list);
        QStringList visited;
        for (int i = 0; i < 16; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited,
                 (QStringList{"txtacc_name", "txtcompany_name", "txtnickname", "txtinvoice_email",
                              "txtaddr1", "txtaddr5", "txtaddr2", "txtaddr3", "txtaddr4",
                              "txtpostcode1", "txtpostcode2", "txtphone1", "txtphone2", "txtphone3",
                              "Command1", "txtacc_name1"}));
    }

    void exitCloses()
    {
        Screen s;
        QVERIFY(s.open());
        child<QAction>(s.window, QStringLiteral("mnuexit"))->trigger();
        QVERIFY(!s.window.isVisible());
    }
};

QTEST_MAIN(TestFrmAccount)
#include "test_frmaccount.moc"
