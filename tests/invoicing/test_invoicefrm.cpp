// The "Generate / Print Invoices" screen: its opening rule, the account choice by name and
// the run from its menu.

#include "invoicefirm.h"
#include "invoicing/invoicefrm.h"
#include "platform/scriptedreportengine.h"
#include "screenhelpers.h"
#include "testdatabase.h"

#include <QDir>
#include <QPushButton>

using velmora::invoicefrm;
using velmora::ScriptedDialogs;
using velmora::ScriptedReportEngine;
using velmora::test::child;
using velmora::test::focusOn;
using velmora::test::InvoiceFirm;
using velmora::test::pick;
using velmora::test::TestDatabase;

namespace {

// The screen over a firm of three accounts, each with one job of 10.00 (the second with a
// credit note of -2.50), opened and active.
struct Screen
{
    Screen()
    {
        firm.addCompany();
        const auto fare = firm.addType(QStringLiteral("Fare"));
        const auto credit = firm.addType(QStringLiteral("Credit Note"));
        for (const QString& name :
             {QStringLiteral("Acme"), QStringLiteral("Brill"), QStringLiteral("Cole")}) {
            const auto account = firm.addAccount(name, QStringLiteral("Contact ") + name);
            firm.addJob(QStringLiteral("A"), account, account);
            firm.addCost(QStringLiteral("A"), account, fare, QStringLiteral("I"), 100000, 0, 17500,
                         117500);
        }
        firm.addCost(QStringLiteral("A"), 2, credit, QStringLiteral("I"), -25000, 0, 0, -25000);
        window.show();
    }

    QLineEdit* field(const char* name) const
    {
        return child<QLineEdit>(window, QString::fromLatin1(name));
    }
    QComboBox* list(const char* name) const
    {
        return child<QComboBox>(window, QString::fromLatin1(name));
    }
    // Runs the invoices, answering Yes to the question before; what was shown after it.
    QStringList run()
    {
        dialogs.clear();
        dialogs.answers.enqueue(velmora::Dialogs::Answer::Yes);
        child<QAction>(window, QStringLiteral("mnucrinv"))->trigger();
        dialogs.answers.clear();
        QStringList shown = dialogs.texts();
        asked = !shown.isEmpty() && shown.first().startsWith(QStringLiteral("Create invoices"))
                    ? shown.takeFirst()
                    : QString();
        return shown;
    }
    QStringList invoicedJobs()
    {
        return t.rows(QStringLiteral("select job_id from jobs where invoiced = 'Y' order by 1"));
    }

    TestDatabase t;
    InvoiceFirm firm{t};
    ScriptedDialogs dialogs;
    ScriptedReportEngine reports;
    invoicefrm window{t.db(), dialogs, reports};
    QString asked; // the question of the last run, if it asked one
};

} // namespace

class InvoiceScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void refusesToOpenWithoutAccounts();
    void listsAccountsAndWording();
    void choosesAccountsByName();
    void runsOverTheChosenRange();
    void fallsBackToTheFirstAndLastAccount();
    void showsAFailureAndStaysOpen();
};

void InvoiceScreenTest::refusesToOpenWithoutAccounts()
{
    TestDatabase t;
    ScriptedDialogs dialogs;
    ScriptedReportEngine reports;
    invoicefrm window(t.db(), dialogs, reports);
    window.show();
    QCOMPARE(child<QLineEdit>(window, QStringLiteral("txtfrm_load"))->text(), QStringLiteral("N"));
    QCOMPARE(dialogs.texts(), QStringList{"No accounts so invoices can not be produced"});
}

void InvoiceScreenTest::listsAccountsAndWording()
{
    Screen s;
    QCOMPARE(s.window.windowTitle(), QStringLiteral("Generate / Print Invoices"));
    QCOMPARE(s.field("txtfrm_load")->text(), QStringLiteral("Y"));
    QCOMPARE(velmora::test::items(s.list("startaccount")),
             (QStringList{"Acme : Contact Acme", "Brill : Contact Brill", "Cole : Contact Cole"}));
    QCOMPARE(s.list("endaccount")->toolTip(),
             QStringLiteral("Select end account from drop down list"));
    const QStringList buttons = {"Command1|&Print Invoices|Press to print invoices",
                                 "Command2|P&review Invoice Data|Press to preview invoices",
                                 "Command3|Pre&view Invoices|Press to print invoices"};
    for (const QString& expected : buttons) {
        const QStringList parts = expected.split(u'|');
        auto* button = child<QPushButton>(s.window, parts[0]);
        QCOMPARE(button->text(), parts[1]);
        QCOMPARE(button->toolTip(), parts[2]);
    }
    QVERIFY(!s.field("txtgross")->isVisible());
    QVERIFY(!s.field("txtnet")->isVisible());
}

void InvoiceScreenTest::choosesAccountsByName()
{
    Screen s;
    QVERIFY(velmora::test::activate(s.window));
    QVERIFY(pick(s.list("startaccount"), QStringLiteral("Brill : Contact Brill")));
    QCOMPARE(s.field("txtstart_account")->text(), QStringLiteral("Brill"));

    // A typed entry whose name is not on file is refused and the focus goes back.
    focusOn(s.list("endaccount"));
    s.list("endaccount")->setEditText(QStringLiteral("Nobody : x"));
    emit s.list("endaccount")->activated(-1);
    QCOMPARE(s.dialogs.texts(), QStringList{"Account name supplied not found, please resubmit"});

    // Leaving an empty list takes the last account.
    s.dialogs.clear();
    s.list("endaccount")->setEditText({});
    focusOn(s.field("txtend_account"));
    QCOMPARE(s.field("txtend_account")->text(), QStringLiteral("Cole"));
    QVERIFY(s.dialogs.texts().isEmpty());
}

void InvoiceScreenTest::runsOverTheChosenRange()
{
    Screen s;
    s.field("txtstart_account")->setText(QStringLiteral("Brill"));
    s.field("txtend_account")->setText(QStringLiteral("brill"));
    QCOMPARE(s.run(), QStringList());
    QCOMPARE(s.asked, QStringLiteral("Create invoices for 1 jobs of 1 accounts?"));
    QCOMPARE(s.invoicedJobs(), QStringList{"2"});
    QCOMPARE(s.field("txtgross")->text(), QStringLiteral("10.00"));
    QCOMPARE(s.field("txtvat")->text(), QStringLiteral("1.75"));
    QCOMPARE(s.field("txtdisc")->text(), QStringLiteral("0.00"));
    QCOMPARE(s.field("txtcred_note")->text(), QStringLiteral("-2.50"));
    QVERIFY(s.field("txtgross")->isVisible());
    QVERIFY(!s.field("txtnet")->isVisible());

    QCOMPARE(s.run(), QStringList{"No invoices to be created for the selection parameters input"});
    QVERIFY(s.asked.isEmpty());
    QVERIFY(!s.field("txtgross")->isVisible());
}

void InvoiceScreenTest::fallsBackToTheFirstAndLastAccount()
{
    Screen s;
    s.field("txtstart_account")->setText(QStringLiteral("Gone Ltd"));
    QCOMPARE(s.run(), QStringList());
    QCOMPARE(s.field("txtstart_account")->text(), QStringLiteral("Acme"));
    QCOMPARE(s.field("txtend_account")->text(), QStringLiteral("Cole"));
    QCOMPARE(s.asked, QStringLiteral("Create invoices for 3 jobs of 3 accounts?"));
    QCOMPARE(s.invoicedJobs(), (QStringList{"1", "2", "3"}));
    QCOMPARE(s.t.rows(QStringLiteral("select invoice_no, account_no from invoice_header")),
             (QStringList{"0|1", "1|2", "2|3"}));
}

void InvoiceScreenTest::showsAFailureAndStaysOpen()
{
    Screen s;
    s.t.exec(QStringLiteral("create trigger refuse before update of account_balance on accounts "
                            "when old.account_id = 3 begin select raise(abort, 'disk full'); end"));
    const QString before = s.t.dump();
    const QStringList shown = s.run();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("disk full")), qPrintable(shown.first()));
    // The fault names the file it happened in.
    QVERIFY2(shown.first().contains(QDir::toNativeSeparators(s.t.db().databaseName())),
             qPrintable(shown.first()));
    QVERIFY(s.window.isVisible());
    QCOMPARE(s.t.dump(), before);
    QVERIFY(!s.field("txtgross")->isVisible());
}

QTEST_MAIN(InvoiceScreenTest)
#include "test_invoicefrm.moc"
