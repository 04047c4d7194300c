#include "jobfixture.h"
#include "jobscreen.h"

#include <QTabWidget>

using velmora::test::items;
using velmora::test::TestDatabase;

namespace {

// The stored lines as "side|type|gross|discount|discount value|vat|vat value|net", in order.
QStringList costs(TestDatabase& t)
{
    return t.rows(QStringLiteral(
        "select income_expence, paymenttype, gross_cost, discount, discount_value, vat, "
        "vat_value, net_cost from Costs join receipt_types on receipttypeid = costtype "
        "order by Costs.rowid"));
}

} // namespace

class TestJobScreenCosts : public QObject
{
    Q_OBJECT

private:
    int m_job = 0;

    // A screen opened on a completed account job, showing the tab `tab`.
    void openOnJob(TestDatabase& t, const JobFixture& f, JobScreen& s, int tab)
    {
        m_job = t.addJob("A", QDate(2026, 6, 1), "10:00:00", "Mr Costly", "C", f.saloon, f.driver);
        t.exec(QStringLiteral("update jobs set payment_type = ?, account_no = ?"),
               {f.byAccount, f.acme});
        s.screen.presetJob({QStringLiteral("A"), m_job});
        QVERIFY(s.open());
        s.find<QTabWidget>(QString())->setCurrentIndex(tab);
    }

private Q_SLOTS:
    void receiptLineWorkedAsFieldsAreLeft()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        QCOMPARE(items(s.combo("txttype1")),
                 (QStringList{"None", "Fare", "Parking", "Credit Note"}));
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
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        QCOMPARE(costs(t), QStringList{"I|Fare|1000000|10|100000|Y|157500|1057500"});
        QCOMPARE(s.text("txtreceiptsnet"), QStringLiteral("105.75"));
        QCOMPARE(s.text("txttotalreceipt"), QStringLiteral("105.75"));
        QCOMPARE(s.text("txtproloss"), QStringLiteral("105.75"));
        // Saved again, the line is edited in place.
        s.fill("txtcost1", "200");
        s.press("cmdreceiptsave");
        QCOMPARE(costs(t), QStringList{"I|Fare|2000000|10|200000|Y|315000|2115000"});
        QCOMPARE(s.text("txttotalreceipt"), QStringLiteral("211.50"));
    }

    void typesOncePerJob()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        s.fill("txttype1", "Fare");
        s.fill("txttype2", "Fare");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"You can only input a receipt type once per job, this type has been "
                             "used in poition 1"});
        QCOMPARE(s.focused(), QStringLiteral("txttype1"));
        QCOMPARE(s.text("txttype2"), QString());
        s.dialogs.clear();
        s.fill("txttype4", "");
        s.fill("txttype5", "");
        QCOMPARE(s.text("txttype4"), QStringLiteral("None"));
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"You can only input a receipt type once per job, this type has been "
                             "used in poition 4"});
    }

    void costMustBeGiven()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        s.fill("txttype1", "Fare");
        s.fill("txtcost1", "");
        QCOMPARE(s.dialogs.texts(), QStringList{"You must supply a cost"});
        QCOMPARE(s.focused(), QStringLiteral("txtcost1"));
        s.dialogs.clear();
        s.press("cmdreceiptsave");
        QCOMPARE(s.dialogs.texts(), QStringList{"A value must be supplied"});
        QCOMPARE(s.focused(), QStringLiteral("txtcost1"));
        QVERIFY(costs(t).isEmpty());
        QCOMPARE(s.text("txtdescription1"), QStringLiteral("Fare"));
    }

    void creditNoteStaysNegative()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        s.fill("txttype1", "Credit Note");
        s.fill("txtdescription1", "Late pick-up");
        s.fill("txtcost1", "50");
        QCOMPARE(s.text("txtcost1"), QStringLiteral("-50.00"));
        s.fill("txtcost1", "-50.00");
        QCOMPARE(s.text("txtcost1"), QStringLiteral("-50.00"));
        s.edit("txtcost1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(s.text("txtcost1"), QStringLiteral("-50.00"));
        s.fill("txtvat1", "n");
        s.press("cmdreceiptsave");
        QCOMPARE(costs(t), QStringList{"I|Credit Note|-500000|0|0|N|0|-500000"});
        QCOMPARE(
            t.value(QStringLiteral("select account_no || '|' || job_no || '|' || refund_reason "
                                   "|| '|' || refund_amount_net || '|' || processed "
                                   "from credit_notes")),
            QVariant(QStringLiteral("%1|%2|Late pick-up|-500000|Y").arg(f.acme).arg(m_job)));
        QCOMPARE(s.text("txtproloss"), QStringLiteral("-50.00"));
    }

    void unknownTypeWritesNothing()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        s.fill("txttype1", "Fare");
        s.fill("txtcost1", "10");
        s.fill("txttype2", "Tips");
        s.fill("txtcost2", "1");
        s.dialogs.clear();
        s.press("cmdreceiptsave");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"Supplied receipt type not found, please supply from drop down list"});
        QCOMPARE(s.focused(), QStringLiteral("txttype2"));
        QVERIFY(costs(t).isEmpty());
    }

    void linesAfterAnUnusedLineAreSavedUnchecked()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        s.fill("txttype1", "Fare");
        s.fill("txtcost1", "10");
        s.fill("txttype2", "None");
        s.combo("txttype3")->setEditText(QStringLiteral("Parking"));
        s.edit("txtcost3")->setText(QStringLiteral("4"));
        s.press("cmdreceiptsave");
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        QCOMPARE(costs(t),
                 (QStringList{"I|Fare|100000|0|0|N|0|100000", "I|Parking|40000|0|0|N|0|40000"}));
        QCOMPARE(s.text("txtcost3"), QStringLiteral("4")); // not recomputed on the screen
        QCOMPARE(s.text("txttotalreceipt"), QStringLiteral("14.00"));
    }

    void deleteByDoubleClick()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        s.fill("txttype1", "Fare");
        s.fill("txtcost1", "10");
        s.fill("txttype2", "Parking");
        s.fill("txtcost2", "3");
        s.press("cmdreceiptsave");
        s.fill("txttype3", "Credit Note");
        s.fill("txtdescription3", "Not saved");
        s.fill("txtcost3", "5");
        s.dialogs.clear();
        QTest::mouseDClick(s.edit("txtdescription3"), Qt::LeftButton);
        QCOMPARE(s.dialogs.texts(), QStringList{"Transaction not found, have you saved it"});
        QTest::mouseDClick(s.edit("txtdescription1"), Qt::LeftButton);
        QCOMPARE(costs(t), QStringList{"I|Parking|30000|0|0|N|0|30000"});
        QCOMPARE(s.text("txttype1"), QStringLiteral("Parking"));
        QCOMPARE(items(s.combo("txttype1")), QStringList{});
        QCOMPARE(s.text("txttype2"), QString());
        QCOMPARE(s.text("txtdescription3"), QString());
        QCOMPARE(items(s.combo("txttype2")),
                 (QStringList{"None", "Fare", "Parking", "Credit Note"}));
        QCOMPARE(s.text("txttotalreceipt"), QStringLiteral("3.00"));
        s.edit("txtdescription2")->setText(QStringLiteral("Typed"));
        s.combo("txttype2")->setEditText(QStringLiteral("Tips"));
        s.dialogs.clear();
        QTest::mouseDClick(s.edit("txtdescription2"), Qt::LeftButton);
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"Payment Type not found, if problem persists contact program vendor"});
    }

    void paymentsAndProfit()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 2);
        QCOMPARE(items(s.combo("txtpayment1")),
                 (QStringList{"None", "Fare", "Parking", "Credit Note"}));
        s.fill("txtpayment1", "Parking");
        s.fill("txtpaycost1", "200");
        s.fill("txtpaydisc1", "5");
        QCOMPARE(s.text("txtpaymentdisc1"), QStringLiteral("10.00"));
        s.fill("txtpayvat1", "Y");
        QCOMPARE(s.text("txtpayvatcost1"), QString()); // worked out when saved
        QCOMPARE(s.text("txtpaynet1"), QStringLiteral("190.00"));
        s.press("cmdpaysave");
        QVERIFY2(s.dialogs.shown.isEmpty(), qPrintable(s.dialogs.texts().join(u'/')));
        QCOMPARE(s.text("txtpayvatcost1"), QStringLiteral("33.25"));
        QCOMPARE(s.text("txtpaynet1"), QStringLiteral("223.25"));
        QCOMPARE(costs(t), QStringList{"E|Parking|2000000|5|100000|Y|332500|2232500"});
        QCOMPARE(s.text("txttotal_cost"), QStringLiteral("223.25"));
        QCOMPARE(s.text("txtTotalPayments"), QStringLiteral("223.25"));
        QCOMPARE(s.text("txtproloss"), QStringLiteral("-223.25"));

        s.fill("txtpaycost1", "40");
        s.fill("txtpaydisc1", "0");
        s.fill("txtpayvat1", "N");
        s.press("cmdpaysave");
        QCOMPARE(costs(t), QStringList{"E|Parking|400000|0|0|N|0|400000"});
        QCOMPARE(s.text("txtpaymentdisc1"), QStringLiteral("0"));
        QCOMPARE(s.text("txttotalreceipt"), QString());
        QCOMPARE(s.text("txtproloss"), QStringLiteral("-40.00"));
    }

    void loadingShowsTheLinesAndTheProfit()
    {
        TestDatabase t;
        JobFixture f(t);
        {
            JobScreen s(t);
            openOnJob(t, f, s, 1);
            s.fill("txttype1", "Fare");
            s.fill("txtcost1", "100");
            s.fill("txtdiscount1", "10");
            s.fill("txtvat1", "Y");
            s.press("cmdreceiptsave");
            s.find<QTabWidget>(QString())->setCurrentIndex(2);
            s.fill("txtpayment1", "Parking");
            s.fill("txtpaycost1", "40");
            s.fill("txtpayvat1", "Y");
            s.press("cmdpaysave");
        }
        JobScreen s(t);
        s.screen.presetJob({QStringLiteral("A"), m_job});
        QVERIFY(s.open());
        QCOMPARE(s.text("txttype1"), QStringLiteral("Fare"));
        QCOMPARE(items(s.combo("txttype1")), QStringList{});
        QCOMPARE(s.text("txtdiscount1"), QStringLiteral("10"));
        QCOMPARE(s.text("txtdisc1"), QStringLiteral("10.00"));
        QCOMPARE(s.text("txtvat1"), QStringLiteral("Y"));
        QCOMPARE(s.text("txtvatcost1"), QString());
        QCOMPARE(s.text("txtnetcost1"), QStringLiteral("105.75"));
        QCOMPARE(items(s.combo("txttype2")),
                 (QStringList{"None", "Fare", "Parking", "Credit Note"}));
        QCOMPARE(s.text("txtpayment1"), QStringLiteral("Parking"));
        QCOMPARE(s.text("txtpayvatcost1"), QStringLiteral("7.00"));
        QCOMPARE(s.text("txtpaynet1"), QStringLiteral("47.00"));
        QCOMPARE(items(s.combo("txtpayment2")), (QStringList{"Fare", "Parking", "Credit Note"}));
        QCOMPARE(s.text("txtreceiptsnet"), QStringLiteral("105.75"));
        QCOMPARE(s.text("txttotal_cost"), QStringLiteral("47.00"));
        QCOMPARE(s.text("txttotalreceipt"), QStringLiteral("105.75"));
        QCOMPARE(s.text("txtTotalPayments"), QStringLiteral("47.00"));
        QCOMPARE(s.text("txtproloss"), QStringLiteral("58.75"));
    }

    void workingTheTabsHidesTheReceiptTotal()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        QVERIFY(!s.find("txtreceiptsnet")->isVisible());
        s.fill("txttype1", "Fare");
        s.fill("txtcost1", "5");
        s.press("cmdreceiptsave");
        QVERIFY(s.find("txtreceiptsnet")->isVisible());
    }

    void noTypesRecorded()
    {
        TestDatabase t;
        JobFixture f(t);
        t.exec(QStringLiteral("delete from receipt_types"));
        JobScreen s(t);
        openOnJob(t, f, s, 1);
        QCOMPARE(s.dialogs.texts(), (QStringList{"Please record your receipt types first",
                                                 "Please record your payment types first"}));
    }

    void linesNeedAJob()
    {
        TestDatabase t;
        JobFixture f(t);
        JobScreen s(t);
        QVERIFY(s.open());
        s.find<QTabWidget>(QString())->setCurrentIndex(1);
        QCOMPARE(items(s.combo("txttype7")),
                 (QStringList{"None", "Fare", "Parking", "Credit Note"}));
        s.fill("txttype1", "Fare");
        s.fill("txtcost1", "5");
        s.press("cmdreceiptsave");
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"You must supply a job before attempting to update"});
        QVERIFY(costs(t).isEmpty());
    }
};

QTEST_MAIN(TestJobScreenCosts)
#include "test_jobscreen_costs.moc"
