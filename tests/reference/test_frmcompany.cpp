#include "data/columnwidths.h"
#include "mail/keystore.h"
#include "platform/scripteddialogs.h"
#include "reference/company.h"
#include "reference/frmcompany.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using velmora::frmcompany;
using velmora::ScriptedDialogs;
using velmora::test::child;
using velmora::test::focusOn;
using velmora::test::TestDatabase;

namespace {

// Field, label, tip and column, as the screen maps them.
struct Mapping
{
    const char* field;
    const char* label;
    const char* tip;
    const char* column;
};
const Mapping kFields[] = {
    {"txtcompany", "Company Name", "Enter the name of the company.", "company_Name"},
    {"txtco_heading", "Company Heading", "E.g Chauffeur Service", "company_heading"},
    {"txtaddr1", "Address", "Enter first line of address.", "company_addr1"},
    {"txtaddr2", nullptr, "Enter second line of address.", "company_addr2"},
    {"txttown", "Town", "Enter town.", "company_town"},
    {"txtcounty", "County", "Enter county.", "company_county"},
    {"txtpostcode1", "Postcode", "Enter first part of postcode.", "company_postcode1"},
    {"txtpostcode2", nullptr, "Enter second part of postcode.", "company_postcode2"},
    {"txttel1", "Telephone", "Enter telephone number.", "company_tel1"},
    {"txttel2", "Mobile 1", "Enter mobile number.", "company_tel2"},
    {"txttel3", "Fax", "Enter Fax number.", "company_mobile1"},
    {"txttel4", "Mobile 2", "Enter Fax number.", "company_mobile2"},
    {"txtemail", "E-Mail Address", "Enter Fax number.", "company_e_mail"},
    {"txtcompany_number", "Company Registration Number",
     "Enter the companies registration number if applicable.", "company_registration"},
    {"txtreg_number", "VAT Registration Number",
     "Enter the companys vat registration number if applicable.", "company_vat"},
};

QLineEdit* field(const QWidget& window, const char* name)
{
    return child<QLineEdit>(window, QString::fromLatin1(name));
}

// Types a distinct text into every field: the field's own name.
// The text fillAll() gives the field of `m`: its name, cut to what its column holds.
QString filled(const Mapping& m)
{
    return (QStringLiteral("v-") + QLatin1String(m.field))
        .left(velmora::columnWidth(u"company", QString::fromLatin1(m.column)));
}

void fillAll(const QWidget& window)
{
    for (const Mapping& m : kFields)
        field(window, m.field)->setText(filled(m));
}

QString column(TestDatabase& t, const char* name)
{
    return t.value(QStringLiteral("select %1 from company").arg(QLatin1String(name))).toString();
}

} // namespace

class TestFrmCompany : public QObject
{
    Q_OBJECT

private slots:
    void wording()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::ScriptedKeyStore keys;
        frmcompany window(t.db(), dialogs, keys);
        QCOMPARE(window.windowTitle(), QStringLiteral("Record Company Details"));
        for (const Mapping& m : kFields) {
            QLineEdit* edit = field(window, m.field);
            QCOMPARE(edit->toolTip(), QString::fromLatin1(m.tip));
            const QLabel* label = velmora::test::captionOf(window, edit);
            if (m.label)
                QCOMPARE(label ? label->text().remove(u'&') : QString(),
                         QString::fromLatin1(m.label));
            else
                QVERIFY(!label);
        }
        QCOMPARE(child<QAction>(window, QStringLiteral("mnusave"))->text(),
                 QStringLiteral("&Save"));
        QCOMPARE(child<QAction>(window, QStringLiteral("mnuexit"))->text(),
                 QStringLiteral("&Exit"));
        QCOMPARE(child<QPushButton>(window, QStringLiteral("Command1"))->text().remove(u'&'),
                 QStringLiteral("Change Font"));
    }

    void appendThenEdit()
    {
        TestDatabase t;
        {
            ScriptedDialogs dialogs;
            velmora::ScriptedKeyStore keys;
            frmcompany window(t.db(), dialogs, keys);
            QVERIFY(velmora::test::activate(window));
            for (const Mapping& m : kFields)
                QCOMPARE(field(window, m.field)->text(), QString());
            fillAll(window);
            child<QAction>(window, QStringLiteral("mnusave"))->trigger();
            QCOMPARE(dialogs.texts(), QStringList());
            QVERIFY(!window.isVisible());
        }
        QCOMPARE(t.value(QStringLiteral("select count(*) from company")).toInt(), 1);
        QCOMPARE(t.value(QStringLiteral("select company_id from company")).toInt(), 1);
        for (const Mapping& m : kFields)
            QCOMPARE(column(t, m.column), filled(m));
        QVERIFY(t.value(QStringLiteral("select company_tel3 from company")).isNull());

        t.exec(QStringLiteral("update company set company_tel3 = 'kept', company_id = 7"));
        {
            ScriptedDialogs dialogs;
            velmora::ScriptedKeyStore keys;
            frmcompany window(t.db(), dialogs, keys);
            QVERIFY(velmora::test::activate(window));
            for (const Mapping& m : kFields)
                QCOMPARE(field(window, m.field)->text(), filled(m));
            field(window, "txttel3")->setText(QStringLiteral("0113 fax"));
            field(window, "txtreg_number")->clear();
            child<QAction>(window, QStringLiteral("mnusave"))->trigger();
            QCOMPARE(dialogs.texts(), QStringList());
        }
        QCOMPARE(t.value(QStringLiteral("select count(*) from company")).toInt(), 1);
        QCOMPARE(column(t, "company_mobile1"), QStringLiteral("0113 fax"));
        QCOMPARE(column(t, "company_tel3"), QStringLiteral("kept"));
        QCOMPARE(column(t, "company_id"), QStringLiteral("7"));
        QCOMPARE(column(t, "company_vat"), QString());
        QCOMPARE(t.value(QStringLiteral("select typeof(company_vat) from company")).toString(),
                 QStringLiteral("text"));
    }

    void nullColumnsShowEmpty()
    {
        TestDatabase t;
        t.exec(QStringLiteral("insert into company (company_id, company_Name) values (1, NULL)"));
        ScriptedDialogs dialogs;
        velmora::ScriptedKeyStore keys;
        frmcompany window(t.db(), dialogs, keys);
        QVERIFY(velmora::test::activate(window));
        for (const Mapping& m : kFields)
            QCOMPARE(field(window, m.field)->text(), QString());
        field(window, "txtcompany")->setText(QStringLiteral("O'Brien's Cabs"));
        child<QAction>(window, QStringLiteral("mnusave"))->trigger();
        QCOMPARE(column(t, "company_Name"), QStringLiteral("O'Brien's Cabs"));
        QCOMPARE(t.value(QStringLiteral("select count(*) from company")).toInt(), 1);
    }

    // The invoice terms are checked before anything is saved, then saved with the details.
    void invoiceTermsSaveWithTheDetails()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::ScriptedKeyStore keys;
        frmcompany window(t.db(), dialogs, keys);
        QVERIFY(velmora::test::activate(window));
        fillAll(window);
        QCOMPARE(field(window, "txtpayment_terms")->text(), QStringLiteral("30"));
        field(window, "txtsort_code")->setText(QStringLiteral("12-34"));
        field(window, "txtaccount_number")->setText(QStringLiteral("12345678"));
        child<QAction>(window, QStringLiteral("mnusave"))->trigger();
        QCOMPARE(dialogs.texts(),
                 QStringList{QStringLiteral("The sort code must be six digits, e.g. 12-34-56")});
        QVERIFY(window.isVisible());
        QCOMPARE(QApplication::focusWidget(), field(window, "txtsort_code"));
        QCOMPARE(t.value(QStringLiteral("select count(*) from company")).toInt(), 0);

        field(window, "txtpayment_terms")->setText(QStringLiteral("14"));
        field(window, "txtsort_code")->setText(QStringLiteral("123456"));
        field(window, "txtbank_name")->setText(QStringLiteral("Northern Bank"));
        child<QAction>(window, QStringLiteral("mnusave"))->trigger();
        QCOMPARE(t.rows(QStringLiteral("select payment_terms, bank_name, bank_sort_code, "
                                       "bank_account_number, company_Name from company")),
                 QStringList{QStringLiteral("14|Northern Bank|12-34-56|12345678|v-txtcompany")});
    }

    // The mail server's settings are kept with the details, its password only in the key
    // store; security "none" only for a server on this computer.
    void mailSettingsAndPassword_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("security");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("starttls") << "smtp.example.com" << 0 << "office@cabs.example"
                                  << "";
        QTest::newRow("none on loopback") << "127.0.0.1" << 2 << "office@cabs.example"
                                          << "";
        QTest::newRow("none elsewhere")
            << "smtp.example.com" << 2 << "office@cabs.example"
            << "Mail may only be sent without encryption to a server on this computer; choose "
               "STARTTLS or TLS for 'smtp.example.com'";
        QTest::newRow("bad sender") << "smtp.example.com" << 1 << "office"
                                    << "The sender's address 'office' is not an e-mail address";
    }
    void mailSettingsAndPassword()
    {
        QFETCH(QString, host);
        QFETCH(int, security);
        QFETCH(QString, from);
        QFETCH(QString, refusal);
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::ScriptedKeyStore keys;
        frmcompany window(t.db(), dialogs, keys);
        QVERIFY(velmora::test::activate(window));
        fillAll(window);
        field(window, "txtsmtp_host")->setText(host);
        child<QComboBox>(window, QStringLiteral("cbosmtp_security"))->setCurrentIndex(security);
        field(window, "txtsmtp_user")->setText(QStringLiteral("office"));
        field(window, "txtsmtp_password")->setText(QStringLiteral("s3cret-pass"));
        field(window, "txtmail_from_address")->setText(from);
        child<QAction>(window, QStringLiteral("mnusave"))->trigger();
        if (!refusal.isEmpty()) {
            QCOMPARE(dialogs.texts(), QStringList{refusal});
            QCOMPARE(t.value(QStringLiteral("select count(*) from company")).toInt(), 0);
            QVERIFY(keys.passwords.isEmpty());
            return;
        }
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(t.rows(QStringLiteral("select smtp_host, smtp_port, smtp_security, smtp_user, "
                                       "mail_from_address from company")),
                 QStringList{QStringLiteral("%1|587|%2|office|%3")
                                 .arg(host, security == 0 ? "starttls" : "none", from)});
        QCOMPARE(keys.passwords,
                 (QMap<QString, QString>{{QStringLiteral("office@") + host, "s3cret-pass"}}));
        QVERIFY(!t.dump().contains(QStringLiteral("s3cret-pass")));
    }

    // Exit with typed details asks first; No leaves without saving.
    void exitSavesNothing()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::ScriptedKeyStore keys;
        frmcompany window(t.db(), dialogs, keys);
        QVERIFY(velmora::test::activate(window));
        fillAll(window);
        dialogs.answers << velmora::Dialogs::Answer::No;
        child<QAction>(window, QStringLiteral("mnuexit"))->trigger();
        QVERIFY(!window.isVisible());
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Save the company details?")});
        QCOMPARE(t.value(QStringLiteral("select count(*) from company")).toInt(), 0);
    }

    void leavingRequiredFieldsEmpty_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("keeps");
        QTest::newRow("name") << "txtcompany"
                              << "You must supply the company name" << true;
        QTest::newRow("address") << "txtaddr1"
                                 << "First line of address must be supplied" << true;
        QTest::newRow("town") << "txttown"
                              << "You must supply the town" << false;
        QTest::newRow("county") << "txtcounty"
                                << "You must supply a county" << true;
        QTest::newRow("postcode 1") << "txtpostcode1"
                                    << "You must supply a postcode" << true;
        QTest::newRow("postcode 2") << "txtpostcode2"
                                    << "You must supply a postcode" << true;
    }
    void leavingRequiredFieldsEmpty()
    {
        QFETCH(QString, left);
        QFETCH(QString, message);
        QFETCH(bool, keeps);
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::ScriptedKeyStore keys;
        frmcompany window(t.db(), dialogs, keys);
        QVERIFY(velmora::test::activate(window));
        fillAll(window);
        auto* edit = child<QLineEdit>(window, left);
        focusOn(edit);
        edit->clear();
        QLineEdit* next = field(window, "txtemail");
        focusOn(next);
        QCOMPARE(dialogs.texts(), QStringList{message});
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Velmora Application"));
        QCOMPARE(QApplication::focusWidget(), keeps ? edit : next);
    }

    void optionalFieldsLeaveQuietly()
    {
        TestDatabase t;
        ScriptedDialogs dialogs;
        velmora::ScriptedKeyStore keys;
        frmcompany window(t.db(), dialogs, keys);
        QVERIFY(velmora::test::activate(window));
        fillAll(window);
        for (const char* name : {"txtco_heading", "txtaddr2", "txttel1", "txtemail"}) {
            focusOn(field(window, name));
            field(window, name)->clear();
            focusOn(field(window, "txtreg_number"));
        }
        QCOMPARE(dialogs.texts(), QStringList());
    }
};

QTEST_MAIN(TestFrmCompany)
#include "test_frmcompany.moc"
