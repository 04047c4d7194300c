#include "jobfixture.h"
#include "jobscreen.h"

#include <QLabel>
#include <QTabWidget>

using velmora::test::items;
using velmora::test::TestDatabase;

namespace {

// What the type lists offer on a screen whose job has no line of that type yet.
const QStringList allTypes{"None", "Fare", "Parking", "Credit Note"};

// The stored lines as "side|type|gross|discount|discount value|vat|vat value|net", in order.
QStringList costs(TestDatabase& t)
{
    return t.rows(QStringLiteral(
        "select income_expence, paymenttype, gross_cost, discount, discount_value, vat, "
        "vat_value, net_cost from Costs join receipt_types on receipttypeid = costtype "
        "order by Costs.rowid"));
}

// Shows `s` on a new completed account job, on the tab `tab`; returns the job number.
int showJob(TestDatabase& t, const JobFixture& f, JobScreen& s, int tab)
{
    const int job =
        t.addJob("A", QDate(2026, 6, 1), "10:00:00", "Mr Costly", "C", f.saloon, f.driver);
    t.exec(QStringLiteral("update jobs set payment_type = ?, account_no = ?"),
           {f.byAccount, f.acme});
    s.screen.presetJob({QStringLiteral("A"), job});
    if (!s.open())
        return 0;
    s.find<QTabWidget>(QString())->setCurrentIndex(tab);
    return job;
}

// Fills each named field of `s` with its text, in turn.
void fillIn(JobScreen& s, std::initializer_list<std::pair<const char*, const char*>> fields)
{
    for (const auto& [name, text] : fields)
        s.fill(QString::fromLatin1(name), QString::fromLatin1(text));
}

// The job fixture's database, made before the screen on it.
struct FixtureDatabase
{
    TestDatabase t;
    JobFixture f{t};
};

// A job screen on the job fixture's database.
struct Bench : FixtureDatabase, JobScreen
{
    Bench() : JobScreen(t) {}

    bool openOnJob(int tab = 1)
    {
        job = showJob(t, f, *this, tab);
        return job != 0;
    }
    // Types the type and the cost of receipt line `n`.
    void receipt(int n, const QString& type, const QString& cost)
    {
        fill(QStringLiteral("txttype%1").arg(n), type);
        fill(QStringLiteral("txtcost%1").arg(n), cost);
    }
    QString shown() const { return dialogs.texts().join(u'/'); }

    int job = 0;
};

// The texts of the fields `names` on `s`, joined by "|".
QString texts(JobScreen& s, const QStringList& names)
{
    QStringList all;
    for (const QString& name : names)
        all << s.text(name);
    return all.join(u'|');
}

// Saving the receipts is refused with `message`, the focus left on `focus` when one is
// given, and nothing is written.
void saveIsRefused(Bench& s, const QString& message, const QString& focus = {})
{
    s.dialogs.clear();
    s.press("cmdreceiptsave");
    QCOMPARE(s.dialogs.texts(), QStringList{message});
    if (!focus.isEmpty())
        QCOMPARE(s.focused(), focus);
    QVERIFY(costs(s.t).isEmpty());
}

} // namespace

class TestJobScreenCosts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void receiptLineWorkedAsFieldsAreLeft()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        QCOMPARE(items(s.combo("txttype1")), allTypes);
        s.fill("txttype1", "Fare");
        QCOMPARE(s.focused(), QStringLiteral("txtdescription1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(s.text("txtdescription1"), QStringLiteral("Fare"));
        s.fill("txtcost1", "100");
        QCOMPARE(s.text("txtcost1"), QStringLiteral("100.00"));
        s.fill("txtdiscount1", "10");
        QCOMPARE(s.text("txtdisc1"), QStringLiteral("10.00"));
        QCOMPARE(s.text("txtnetcost1"), QStringLiteral("90.00"));
        s.fill("txtvat1", "");
        QCOMPARE(s.text("txtvat1"), QStringLiteral("Y")); // the company is VAT registered
        QCOMPARE(s.text("txtvatcost1"), QStringLiteral("15.75"));
        QCOMPARE(s.text("txtnetcost1"), QStringLiteral("105.75"));
        QCOMPARE(s.focused(), QStringLiteral("txttype2"));
        s.press("cmdreceiptsave");
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.shown()));
        QCOMPARE(costs(s.t), QStringList{"I|Fare|1000000|10|100000|Y|157500|1057500"});
        QCOMPARE(texts(s, {"txtreceiptsnet", "txttotalreceipt", "txtproloss"}),
                 QStringLiteral("105.75|105.75|105.75"));
        // Saved again, the line is edited in place.
        s.fill("txtcost1", "200");
        s.press("cmdreceiptsave");
        QCOMPARE(costs(s.t), QStringList{"I|Fare|2000000|10|200000|Y|315000|2115000"});
        QCOMPARE(s.text("txttotalreceipt"), QStringLiteral("211.50"));
    }

    // The job (picked up 01/06/2026) bears the rate of its day; a line stored before the
    // rate changed keeps its figures.
    void vatRateOfTheJobsDay_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("vat");
        QTest::newRow("rate from the job's day") << "2026-06-01"
                                                 << "18.00";
        QTest::newRow("rate from the next day") << "2026-06-02"
                                                << "15.75";
    }
    void vatRateOfTheJobsDay()
    {
        QFETCH(QString, from);
        QFETCH(QString, vat);
        Bench s;
        s.t.exec(QStringLiteral("insert into Costs (job_prefix, jobnumber, costtype, "
                                "income_expence, gross_cost, net_cost, vat, vat_value) "
                                "values ('A', 1, ?, 'E', 1000000, 1175000, 'Y', 175000)"),
                 {s.f.parking});
        s.t.exec(QStringLiteral("update company set vat_rate = 200000, vat_rate_from = ?"), {from});
        QVERIFY(s.openOnJob());
        QCOMPARE(s.job, 1);
        s.receipt(1, QStringLiteral("Fare"), QStringLiteral("100"));
        s.fill("txtdiscount1", "10");
        s.fill("txtvat1", "Y");
        QCOMPARE(s.text("txtvatcost1"), vat);
        s.press("cmdreceiptsave");
        QCOMPARE(costs(s.t).first(), QStringLiteral("E|Parking|1000000|0|0|Y|175000|1175000"));
    }

    void typesOncePerJob()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        const QString once = QStringLiteral("You can only input a receipt type once per job, this "
                                            "type has been used in poition %1");
        s.fill("txttype1", "Fare");
        s.fill("txttype2", "Fare");
        QCOMPARE(s.dialogs.texts(), QStringList{once.arg(1)});
        QCOMPARE(s.focused(), QStringLiteral("txttype1"));
        QCOMPARE(s.text("txttype2"), QString());
        s.dialogs.clear();
        s.fill("txttype4", "");
        s.fill("txttype5", "");
        QCOMPARE(s.text("txttype4"), QStringLiteral("None"));
        QCOMPARE(s.dialogs.texts(), QStringList{once.arg(4)});
    }

    void costMustBeGiven()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        s.receipt(1, "Fare", "");
        QCOMPARE(s.dialogs.texts(), QStringList{"You must supply a cost"});
        QCOMPARE(s.focused(), QStringLiteral("txtcost1"));
        saveIsRefused(s, "A value must be supplied", "txtcost1");
        QCOMPARE(s.text("txtdescription1"), QStringLiteral("Fare"));
    }

    void unknownTypeWritesNothing()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        s.receipt(1, "Fare", "10");
        s.receipt(2, "Tips", "1");
        saveIsRefused(s, "Supplied receipt type not found, please supply from drop down list",
                      "txttype2");
    }

    void linesNeedAJob()
    {
        Bench s;
        QVERIFY(s.open());
        s.find<QTabWidget>(QString())->setCurrentIndex(1);
        QCOMPARE(items(s.combo("txttype7")), allTypes);
        s.receipt(1, "Fare", "5");
        saveIsRefused(s, "You must supply a job before attempting to update");
    }

    void linesGoOnlyToTheJobOnScreen()
    {
        Bench s;
        QVERIFY(s.openOnJob(0));
        auto* tabs = s.find<QTabWidget>(QString());
        s.press("cmdclearall");
        tabs->setCurrentIndex(1);
        s.receipt(1, "Fare", "5");
        saveIsRefused(s, "You must supply a job before attempting to update");

        // A number typed without Select does not name the job the lines belong to.
        const int other =
            s.t.addJob("A", QDate(2026, 6, 2), "11:00:00", "Mr Other", "I", s.f.saloon, s.f.driver);
        tabs->setCurrentIndex(0);
        s.fill("txtjob_prefix", "A");
        s.fill("txtjobno", QString::number(s.job));
        s.press("cmdselect");
        s.fill("txtjobno", QString::number(other));
        tabs->setCurrentIndex(1);
        s.receipt(1, "Fare", "5");
        saveIsRefused(s, "You must supply a job before attempting to update");

        tabs->setCurrentIndex(0);
        s.press("cmdselect");
        tabs->setCurrentIndex(1);
        s.receipt(1, "Fare", "5");
        s.press("cmdreceiptsave");
        QCOMPARE(s.t.rows(QStringLiteral("select jobnumber from Costs")),
                 QStringList{QString::number(other)});
    }

    void tooLargeAnAmountSaysSo()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        s.receipt(1, "Fare", "1000000000");
        QCOMPARE(s.dialogs.texts(), QStringList{"The cost is too large: a line may hold at most "
                                                "999,999,999.99"});
        saveIsRefused(s, "The cost is too large: a line may hold at most 999,999,999.99",
                      "txtcost1");
    }

    void creditNoteStaysNegative()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        fillIn(
            s,
            {{"txttype1", "Credit Note"}, {"txtdescription1", "Late pick-up"}, {"txtcost1", "50"}});
        QCOMPARE(s.text("txtcost1"), QStringLiteral("-50.00"));
        s.fill("txtcost1", "-50.00");
        QCOMPARE(s.text("txtcost1"), QStringLiteral("-50.00"));
        s.edit("txtcost1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(s.text("txtcost1"), QStringLiteral("-50.00"));
        s.fill("txtvat1", "n");
        s.press("cmdreceiptsave");
        QCOMPARE(costs(s.t), QStringList{"I|Credit Note|-500000|0|0|N|0|-500000"});
        QCOMPARE(
            s.t.value(QStringLiteral("select account_no || '|' || job_no || '|' || refund_reason "
                                     "|| '|' || refund_amount_net || '|' || processed "
                                     "from credit_notes")),
            QVariant(QStringLiteral("%1|%2|Late pick-up|-500000|Y").arg(s.f.acme).arg(s.job)));
        QCOMPARE(s.text("txtproloss"), QStringLiteral("-50.00"));
    }

    void linesAfterAnUnusedLineAreSavedUnchecked()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        s.receipt(1, "Fare", "10");
        s.fill("txttype2", "None");
        s.combo("txttype3")->setEditText(QStringLiteral("Parking"));
        s.edit("txtcost3")->setText(QStringLiteral("4"));
        s.press("cmdreceiptsave");
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.shown()));
        QCOMPARE(costs(s.t),
                 (QStringList{"I|Fare|100000|0|0|N|0|100000", "I|Parking|40000|0|0|N|0|40000"}));
        QCOMPARE(s.text("txtcost3"), QStringLiteral("4")); // not recomputed on the screen
        QCOMPARE(s.text("txttotalreceipt"), QStringLiteral("14.00"));
    }

    void deleteByDoubleClick()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        s.receipt(1, "Fare", "10");
        s.receipt(2, "Parking", "3");
        s.press("cmdreceiptsave");
        fillIn(s,
               {{"txttype3", "Credit Note"}, {"txtdescription3", "Not saved"}, {"txtcost3", "5"}});
        s.dialogs.clear();
        QTest::mouseDClick(s.edit("txtdescription3"), Qt::LeftButton);
        QCOMPARE(s.dialogs.texts(), QStringList{"Transaction not found, have you saved it"});
        QTest::mouseDClick(s.edit("txtdescription1"), Qt::LeftButton);
        QCOMPARE(costs(s.t), QStringList{"I|Parking|30000|0|0|N|0|30000"});
        QCOMPARE(texts(s, {"txttype1", "txttype2", "txtdescription3"}),
                 QStringLiteral("Parking||"));
        QCOMPARE(items(s.combo("txttype1")), QStringList{});
        QCOMPARE(items(s.combo("txttype2")), allTypes);
        QCOMPARE(s.text("txttotalreceipt"), QStringLiteral("3.00"));
        s.edit("txtdescription2")->setText(QStringLiteral("Typed"));
        s.combo("txttype2")->setEditText(QStringLiteral("Tips"));
        s.dialogs.clear();
        QTest::mouseDClick(s.edit("txtdescription2"), Qt::LeftButton);
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"Payment Type not found, if problem persists contact program vendor"});
    }

    // The receipt lines of an invoiced job are on its invoice: changing them asks first,
    // naming the invoice; payment lines do not ask.
    void invoicedJobsReceiptsAskFirst()
    {
        FixtureDatabase d;
        JobScreen s(d.t);
        const int job = d.t.addJob("A", QDate(2026, 6, 1), "10:00:00", "Mr Billed", "C", d.f.saloon,
                                   d.f.driver);
        d.t.exec(QStringLiteral("update jobs set invoiced = 'Y', invoice_no = 41"));
        s.screen.presetJob({QStringLiteral("A"), job});
        QVERIFY(s.open());
        QCOMPARE(s.find<QLabel>(QStringLiteral("lblinvoice"))->text(),
                 QStringLiteral("Invoice 41"));
        s.find<QTabWidget>(QString())->setCurrentIndex(1);
        s.fill("txttype1", "Fare");
        s.fill("txtcost1", "10");
        const QString question = QStringLiteral("Job A%1 is on invoice 41, which will not change: "
                                                "the customer is not billed again. Change its "
                                                "receipt lines?")
                                     .arg(job);
        s.dialogs.clear();
        s.dialogs.answers.enqueue(velmora::Dialogs::Answer::No);
        s.press("cmdreceiptsave");
        QCOMPARE(s.dialogs.texts(), QStringList{question});
        QCOMPARE(costs(d.t), QStringList());
        s.dialogs.answers.enqueue(velmora::Dialogs::Answer::Yes);
        s.press("cmdreceiptsave");
        QCOMPARE(costs(d.t), QStringList{"I|Fare|100000|0|0|N|0|100000"});
        s.find<QTabWidget>(QString())->setCurrentIndex(2);
        s.fill("txtpayment1", "Parking");
        s.fill("txtpaycost1", "2");
        s.dialogs.clear();
        s.press("cmdpaysave");
        QCOMPARE(s.dialogs.texts(), QStringList());
        QCOMPARE(costs(d.t).size(), 2);
    }

    void paymentsAndProfit()
    {
        Bench s;
        QVERIFY(s.openOnJob(2));
        QCOMPARE(items(s.combo("txtpayment1")), allTypes);
        fillIn(s, {{"txtpayment1", "Parking"}, {"txtpaycost1", "200"}, {"txtpaydisc1", "5"}});
        QCOMPARE(s.text("txtpaymentdisc1"), QStringLiteral("10.00"));
        s.fill("txtpayvat1", "Y");
        QCOMPARE(s.text("txtpayvatcost1"), QString()); // worked out when saved
        QCOMPARE(s.text("txtpaynet1"), QStringLiteral("190.00"));
        s.press("cmdpaysave");
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.shown()));
        QCOMPARE(texts(s, {"txtpayvatcost1", "txtpaynet1", "txttotal_cost", "txtTotalPayments",
                           "txtproloss"}),
                 QStringLiteral("33.25|223.25|223.25|223.25|-223.25"));
        QCOMPARE(costs(s.t), QStringList{"E|Parking|2000000|5|100000|Y|332500|2232500"});

        fillIn(s, {{"txtpaycost1", "40"}, {"txtpaydisc1", "0"}, {"txtpayvat1", "N"}});
        s.press("cmdpaysave");
        QCOMPARE(costs(s.t), QStringList{"E|Parking|400000|0|0|N|0|400000"});
        QCOMPARE(texts(s, {"txtpaymentdisc1", "txttotalreceipt", "txtproloss"}),
                 QStringLiteral("0.00|0.00|-40.00"));
    }

    void loadingShowsTheLinesAndTheProfit()
    {
        TestDatabase t;
        JobFixture f(t);
        int job = 0;
        {
            JobScreen s(t);
            job = showJob(t, f, s, 1);
            QVERIFY(job);
            fillIn(s, {{"txttype1", "Fare"},
                       {"txtcost1", "100"},
                       {"txtdiscount1", "10"},
                       {"txtvat1", "Y"}});
            s.press("cmdreceiptsave");
            s.find<QTabWidget>(QString())->setCurrentIndex(2);
            fillIn(s, {{"txtpayment1", "Parking"}, {"txtpaycost1", "40"}, {"txtpayvat1", "Y"}});
            s.press("cmdpaysave");
        }
        JobScreen s(t);
        s.screen.presetJob({QStringLiteral("A"), job});
        QVERIFY(s.open());
        QCOMPARE(texts(s, {"txttype1", "txtdiscount1", "txtdisc1", "txtvat1", "txtvatcost1",
                           "txtnetcost1"}),
                 QStringLiteral("Fare|10|10.00|Y|15.75|105.75"));
        QCOMPARE(texts(s, {"txtpayment1", "txtpayvatcost1", "txtpaynet1"}),
                 QStringLiteral("Parking|7.00|47.00"));
        QCOMPARE(texts(s, {"txtreceiptsnet", "txttotal_cost", "txttotalreceipt", "txtTotalPayments",
                           "txtproloss"}),
                 QStringLiteral("105.75|47.00|105.75|47.00|58.75"));
        QCOMPARE(items(s.combo("txttype1")), QStringList{});
        QCOMPARE(items(s.combo("txttype2")), allTypes);
        QCOMPARE(items(s.combo("txtpayment2")), (QStringList{"Fare", "Parking", "Credit Note"}));
    }

    void workingTheTabsHidesTheReceiptTotal()
    {
        Bench s;
        QVERIFY(s.openOnJob());
        QVERIFY(!s.find("txtreceiptsnet")->isVisible());
        s.receipt(1, "Fare", "5");
        s.press("cmdreceiptsave");
        QVERIFY(s.find("txtreceiptsnet")->isVisible());
    }

    void noTypesRecorded()
    {
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("delete from receipt_types"));
        JobScreen s(t);
        QVERIFY(showJob(t, f, s, 1));
        QCOMPARE(s.dialogs.texts(), (QStringList{"Please record your receipt types first",
                                                 "Please record your payment types first"}));
    }
};

QTEST_MAIN(TestJobScreenCosts)
#include "test_jobscreen_costs.moc"
